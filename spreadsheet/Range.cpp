#include "spreadsheet/Range.h"

#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TypedInput.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/Printing.h"

namespace spreadsheet {

namespace {

bool insideSheet(const CellArea& area) {
    return area.top >= 0 && area.left >= 0 && area.bottom < kRowCount && area.right < kColumnCount;
}

}  // namespace

Range Range::relativeRange(std::string_view reference) const {
    CellArea relative = parseReference(reference);
    CellArea area{relative.top + m_area.top, relative.left + m_area.left,
                  relative.bottom + m_area.top, relative.right + m_area.left};
    if (!insideSheet(area)) {
        throw SpreadsheetError::operationFailed(std::string(reference) + " relative to " +
                                                Address() + " lies outside the worksheet.");
    }
    return {*m_sheet, area};
}

Range Range::Offset(int rowOffset, int columnOffset) const {
    CellArea area{m_area.top + rowOffset, m_area.left + columnOffset, m_area.bottom + rowOffset,
                  m_area.right + columnOffset};
    if (!insideSheet(area)) {
        throw SpreadsheetError::operationFailed(
            Address() + " moved by " + std::to_string(rowOffset) + " rows and " +
            std::to_string(columnOffset) + " columns lies outside the worksheet.");
    }
    return {*m_sheet, area};
}

Range Range::EntireRow() const {
    return {*m_sheet, {m_area.top, 0, m_area.bottom, kColumnCount - 1}};
}

Range Range::EntireColumn() const {
    return {*m_sheet, {0, m_area.left, kRowCount - 1, m_area.right}};
}

Range Range::CurrentRegion() const {
    if (!m_area.isSingleCell()) return *this;
    const detail::CellStore& store = m_sheet->store();
    CellArea region = m_area;
    // Grow while a cell on the ring around the region holds a value.
    for (bool grown = true; grown;) {
        grown = false;
        CellArea ring{std::max(region.top - 1, 0), std::max(region.left - 1, 0),
                      std::min(region.bottom + 1, kRowCount - 1),
                      std::min(region.right + 1, kColumnCount - 1)};
        for (const xls::Cell* cell : store.cellsIn(ring)) {
            int row = static_cast<int>(cell->row);
            int column = cell->column;
            if (region.contains(row, column)) continue;
            region.top = std::min(region.top, row);
            region.bottom = std::max(region.bottom, row);
            region.left = std::min(region.left, column);
            region.right = std::max(region.right, column);
            grown = true;
        }
    }
    return {*m_sheet, region};
}

void Range::Select() const {
    if (&m_sheet->parent().ActiveSheet() != m_sheet) {
        throw SpreadsheetError::operationFailed("cannot select " + Address() + " on " +
                                                m_sheet->Name() + ": it is not the active sheet.");
    }
    m_sheet->setSelection(m_area, m_area.top, m_area.left);
}

void Range::Insert() const {
    detail::CellStore& store = m_sheet->store();
    std::optional<CellArea> used = store.usedArea();
    auto pushedOff = [&] {
        return SpreadsheetError::operationFailed(
            "cannot insert " + Address() + " on " + m_sheet->Name() +
            ": non-empty cells would be pushed off the end of the worksheet.");
    };
    if (m_area.isEntireRows()) {
        int count = m_area.rowCount();
        if (used && used->bottom >= kRowCount - count) throw pushedOff();
        store.shiftRows(m_area.top, count);
    } else if (m_area.isEntireColumns()) {
        int count = m_area.columnCount();
        if (used && used->right >= kColumnCount - count) throw pushedOff();
        store.shiftColumns(m_area.left, count);
    } else {
        throw SpreadsheetError::operationFailed("cannot insert " + Address() +
                                                ": only whole rows or whole columns can be "
                                                "inserted.");
    }
}

void Range::Delete() const {
    detail::CellStore& store = m_sheet->store();
    if (m_area.isEntireRows()) {
        store.eraseArea(m_area);
        store.shiftRows(m_area.bottom + 1, -m_area.rowCount());
    } else if (m_area.isEntireColumns()) {
        store.eraseArea(m_area);
        store.shiftColumns(m_area.right + 1, -m_area.columnCount());
    } else {
        throw SpreadsheetError::operationFailed("cannot delete " + Address() +
                                                ": only whole rows or whole columns can be "
                                                "deleted.");
    }
}

CellValue Range::Value() const { return m_sheet->value(m_area.top, m_area.left); }

void Range::SetValue(const CellValue& value) const {
    if (value.isEmpty()) {
        m_sheet->store().eraseArea(m_area);
        return;
    }
    for (int row = m_area.top; row <= m_area.bottom; ++row) {
        for (int column = m_area.left; column <= m_area.right; ++column) {
            m_sheet->setValue(row, column, value);
        }
    }
}

void Range::SetFormulaR1C1(const Variant& dat) const {
    CellValue value = typedInput(dat);
    if (m_area.isSingleCell()) {
        m_sheet->setValue(m_area.top, m_area.left, std::move(value));
    } else {
        SetValue(value);
    }
}

void Range::PrintOut(int copies, std::optional<bool> collate) const {
    std::vector<PrintJob> jobs;
    if (std::optional<PrintJob> job = detail::makePrintJob(*m_sheet, m_area, copies, collate)) {
        jobs.push_back(std::move(*job));
    }
    detail::printJobs(*m_sheet, jobs);
}

}  // namespace spreadsheet
