// The cells of one worksheet, kept in the workbook file's packed form (xls/WorkbookView.h) so
// that saving hands them to the writer where they are. Text cells hold ids in the workbook's
// string table; the store never looks at texts.
#pragma once

#include "spreadsheet/CellReference.h"
#include "spreadsheet/CellValue.h"
#include "xls/WorkbookView.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace spreadsheet::detail {

// The number format a date cell of that style is stored with.
inline xls::NumberFormat numberFormatOf(DateStyle style) {
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

// Non-empty cells, at most one per position, 12 bytes each. Writes in row order (as a table is
// written, left to right and top to bottom) append in constant time; writes out of order are
// appended too and sorted once, when the cells are next read.
class CellStore {
public:
    const xls::PackedCell* find(int row, int column) const;
    // Stores the cell, replacing the one at its position. Inline, and the cell by value (it
    // travels in registers): a table's export puts every cell through here, in row order.
    void put(xls::PackedCell cell) {
        if (m_sorted && !m_cells.empty() && m_cells.back().key() >= cell.key()) {
            putBehind(cell);
        } else {
            m_cells.push_back(cell);
        }
    }
    void erase(int row, int column);
    void eraseArea(const CellArea& area);

    // All cells ascending by row, then column.
    std::span<const xls::PackedCell> cells() const;
    // The cells inside area, in row order.
    std::vector<const xls::PackedCell*> cellsIn(const CellArea& area) const;
    bool empty() const { return m_cells.empty(); }
    // Makes room for count cells in all, so that writing them moves none.
    void reserve(std::size_t count) { m_cells.reserve(count); }
    // The smallest area holding every cell, or nullopt when there is none.
    std::optional<CellArea> usedArea() const;

    // Moves every cell at or below row firstRow down by count rows (count may be negative after
    // the rows above have been erased). The caller checks that no cell leaves the worksheet.
    void shiftRows(int firstRow, int count);
    void shiftColumns(int firstColumn, int count);

    // Replaces the cells by these, in any order; of two cells at one position the later counts.
    void assign(std::vector<xls::PackedCell>&& cells);

private:
    // put() of a cell at or before the last one.
    void putBehind(xls::PackedCell cell);
    void normalize() const;

    mutable std::vector<xls::PackedCell> m_cells;
    mutable bool m_sorted = true;
};

}  // namespace spreadsheet::detail
