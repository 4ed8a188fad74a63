#include "spreadsheet/detail/CellStore.h"

#include <algorithm>

namespace spreadsheet::detail {

namespace {

std::uint32_t keyOf(int row, int column) {
    return xls::PackedCell::keyOf(static_cast<std::uint32_t>(row),
                                  static_cast<std::uint32_t>(column));
}

bool keyLess(const xls::PackedCell& cell, std::uint32_t key) { return cell.key() < key; }

}  // namespace

void CellStore::normalize() const {
    if (m_sorted) return;
    std::stable_sort(
        m_cells.begin(), m_cells.end(),
        [](const xls::PackedCell& a, const xls::PackedCell& b) { return a.key() < b.key(); });
    // Of several writes to one position the last one counts.
    auto out = m_cells.begin();
    for (auto it = m_cells.begin(); it != m_cells.end(); ++it) {
        auto next = std::next(it);
        if (next != m_cells.end() && next->key() == it->key()) continue;
        if (out != it) *out = *it;
        ++out;
    }
    m_cells.erase(out, m_cells.end());
    m_sorted = true;
}

const xls::PackedCell* CellStore::find(int row, int column) const {
    normalize();
    std::uint32_t key = keyOf(row, column);
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, keyLess);
    return it != m_cells.end() && it->key() == key ? &*it : nullptr;
}

void CellStore::putBehind(xls::PackedCell cell) {
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), cell.key(), keyLess);
    if (it->key() == cell.key()) {
        *it = cell;
        return;
    }
    m_sorted = false;
    m_cells.push_back(cell);
}

void CellStore::erase(int row, int column) {
    std::uint32_t key = keyOf(row, column);
    // Clearing past the last cell, as a table's empty values do, finds nothing to erase.
    if (m_sorted && (m_cells.empty() || m_cells.back().key() < key)) return;
    normalize();
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, keyLess);
    if (it != m_cells.end() && it->key() == key) m_cells.erase(it);
}

void CellStore::eraseArea(const CellArea& area) {
    normalize();
    std::erase_if(m_cells, [&](const xls::PackedCell& cell) {
        return area.contains(static_cast<int>(cell.row()), cell.column());
    });
}

std::span<const xls::PackedCell> CellStore::cells() const {
    normalize();
    return m_cells;
}

std::vector<const xls::PackedCell*> CellStore::cellsIn(const CellArea& area) const {
    normalize();
    std::vector<const xls::PackedCell*> found;
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), keyOf(area.top, 0), keyLess);
    for (; it != m_cells.end() && static_cast<int>(it->row()) <= area.bottom; ++it) {
        if (it->column() >= area.left && it->column() <= area.right) found.push_back(&*it);
    }
    return found;
}

std::optional<CellArea> CellStore::usedArea() const {
    normalize();
    if (m_cells.empty()) return std::nullopt;
    CellArea area{static_cast<int>(m_cells.front().row()), kColumnCount - 1,
                  static_cast<int>(m_cells.back().row()), 0};
    for (const xls::PackedCell& cell : m_cells) {
        area.left = std::min<int>(area.left, cell.column());
        area.right = std::max<int>(area.right, cell.column());
    }
    return area;
}

void CellStore::shiftRows(int firstRow, int count) {
    normalize();
    for (xls::PackedCell& cell : m_cells) {
        if (static_cast<int>(cell.row()) >= firstRow) {
            cell.moveTo(static_cast<std::uint32_t>(static_cast<int>(cell.row()) + count),
                        cell.column());
        }
    }
}

void CellStore::shiftColumns(int firstColumn, int count) {
    normalize();
    for (xls::PackedCell& cell : m_cells) {
        if (cell.column() >= firstColumn) {
            cell.moveTo(cell.row(), static_cast<std::uint32_t>(cell.column() + count));
        }
    }
    m_sorted = false;
    normalize();
}

void CellStore::assign(std::vector<xls::PackedCell>&& cells) {
    m_cells = std::move(cells);
    m_sorted = false;
    normalize();
}

}  // namespace spreadsheet::detail
