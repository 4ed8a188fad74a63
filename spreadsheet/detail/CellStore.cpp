#include "spreadsheet/detail/CellStore.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace spreadsheet::detail {

namespace {

std::uint32_t keyOf(std::uint32_t row, std::uint16_t column) { return row << 8 | column; }
std::uint32_t keyOf(const xls::Cell& cell) { return keyOf(cell.row, cell.column); }
std::uint32_t keyOf(int row, int column) {
    return keyOf(static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(column));
}

bool keyLess(const xls::Cell& cell, std::uint32_t key) { return keyOf(cell) < key; }

xls::NumberFormat formatOf(DateStyle style) {
    switch (style) {
        case DateStyle::Date:
            return xls::NumberFormat::Date;
        case DateStyle::DateTime:
            return xls::NumberFormat::DateTime;
        case DateStyle::Time:
            return xls::NumberFormat::Time;
    }
    return xls::NumberFormat::Date;
}

}  // namespace

xls::Cell toXlsCell(int row, int column, CellValue&& value) {
    xls::Cell cell;
    cell.row = static_cast<std::uint32_t>(row);
    cell.column = static_cast<std::uint16_t>(column);
    switch (value.kind()) {
        case CellValue::Kind::Empty:
            throw std::logic_error("an empty cell is not stored");
        case CellValue::Kind::Number:
            cell.type = xls::CellType::Number;
            cell.number = value.asNumber();
            break;
        case CellValue::Kind::Date:
            cell.type = xls::CellType::Number;
            cell.number = value.asDateSerial();
            cell.format = formatOf(value.dateStyle());
            break;
        case CellValue::Kind::Text:
            cell.type = xls::CellType::Text;
            cell.text = std::move(value).takeText();
            break;
        case CellValue::Kind::Boolean:
            cell.type = xls::CellType::Boolean;
            cell.boolean = value.asBoolean();
            break;
        case CellValue::Kind::Error:
            cell.type = xls::CellType::Error;
            cell.errorCode = value.asError();
            break;
    }
    return cell;
}

CellValue fromXlsCell(const xls::Cell& cell) {
    switch (cell.type) {
        case xls::CellType::Number:
            switch (cell.format) {
                case xls::NumberFormat::Date:
                    return CellValue::dateSerial(cell.number, DateStyle::Date);
                case xls::NumberFormat::DateTime:
                    return CellValue::dateSerial(cell.number, DateStyle::DateTime);
                case xls::NumberFormat::Time:
                    return CellValue::dateSerial(cell.number, DateStyle::Time);
                case xls::NumberFormat::General:
                case xls::NumberFormat::Other:
                    return CellValue::number(cell.number);
            }
            break;
        case xls::CellType::Text:
            return CellValue::text(cell.text);
        case xls::CellType::Boolean:
            return CellValue::boolean(cell.boolean);
        case xls::CellType::Error:
            return CellValue::error(cell.errorCode);
    }
    return {};
}

void CellStore::normalize() const {
    if (m_sorted) return;
    std::stable_sort(m_cells.begin(), m_cells.end(),
                     [](const xls::Cell& a, const xls::Cell& b) { return keyOf(a) < keyOf(b); });
    // Of several writes to one position the last one counts.
    auto out = m_cells.begin();
    for (auto it = m_cells.begin(); it != m_cells.end(); ++it) {
        auto next = std::next(it);
        if (next != m_cells.end() && keyOf(*next) == keyOf(*it)) continue;
        if (out != it) *out = std::move(*it);
        ++out;
    }
    m_cells.erase(out, m_cells.end());
    m_sorted = true;
}

const xls::Cell* CellStore::find(int row, int column) const {
    normalize();
    std::uint32_t key = keyOf(row, column);
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, keyLess);
    return it != m_cells.end() && keyOf(*it) == key ? &*it : nullptr;
}

void CellStore::put(xls::Cell&& cell) {
    std::uint32_t key = keyOf(cell);
    if (m_sorted && !m_cells.empty() && keyOf(m_cells.back()) >= key) {
        auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, keyLess);
        if (keyOf(*it) == key) {
            *it = std::move(cell);
            return;
        }
        m_sorted = false;
    }
    m_cells.push_back(std::move(cell));
}

void CellStore::erase(int row, int column) {
    std::uint32_t key = keyOf(row, column);
    // Clearing past the last cell, as a table's empty values do, finds nothing to erase.
    if (m_sorted && (m_cells.empty() || keyOf(m_cells.back()) < key)) return;
    normalize();
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, keyLess);
    if (it != m_cells.end() && keyOf(*it) == key) m_cells.erase(it);
}

void CellStore::eraseArea(const CellArea& area) {
    normalize();
    std::erase_if(m_cells, [&](const xls::Cell& cell) {
        return area.contains(static_cast<int>(cell.row), cell.column);
    });
}

const std::vector<xls::Cell>& CellStore::cells() const {
    normalize();
    return m_cells;
}

std::vector<const xls::Cell*> CellStore::cellsIn(const CellArea& area) const {
    normalize();
    std::vector<const xls::Cell*> found;
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), keyOf(area.top, 0), keyLess);
    for (; it != m_cells.end() && static_cast<int>(it->row) <= area.bottom; ++it) {
        if (it->column >= area.left && it->column <= area.right) found.push_back(&*it);
    }
    return found;
}

std::optional<CellArea> CellStore::usedArea() const {
    normalize();
    if (m_cells.empty()) return std::nullopt;
    CellArea area{static_cast<int>(m_cells.front().row), kColumnCount - 1,
                  static_cast<int>(m_cells.back().row), 0};
    for (const xls::Cell& cell : m_cells) {
        area.left = std::min<int>(area.left, cell.column);
        area.right = std::max<int>(area.right, cell.column);
    }
    return area;
}

void CellStore::shiftRows(int firstRow, int count) {
    normalize();
    for (xls::Cell& cell : m_cells) {
        if (static_cast<int>(cell.row) >= firstRow) {
            cell.row = static_cast<std::uint32_t>(static_cast<int>(cell.row) + count);
        }
    }
}

void CellStore::shiftColumns(int firstColumn, int count) {
    normalize();
    for (xls::Cell& cell : m_cells) {
        if (cell.column >= firstColumn) {
            cell.column = static_cast<std::uint16_t>(cell.column + count);
        }
    }
    m_sorted = false;
    normalize();
}

std::vector<xls::Cell> CellStore::take() {
    normalize();
    return std::exchange(m_cells, {});
}

void CellStore::restore(std::vector<xls::Cell>&& cells) {
    m_cells = std::move(cells);
    m_sorted = true;
}

}  // namespace spreadsheet::detail
