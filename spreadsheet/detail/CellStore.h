// The cells of one worksheet, kept in the workbook file's own cell form so that saving hands them
// to the writer without a copy.
#pragma once

#include "spreadsheet/CellReference.h"
#include "spreadsheet/CellValue.h"
#include "xls/WorkbookData.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace spreadsheet::detail {

xls::Cell toXlsCell(int row, int column, CellValue&& value);
CellValue fromXlsCell(const xls::Cell& cell);

// Non-empty cells, at most one per position. Writes in row order (as a table is written, left to
// right and top to bottom) append in constant time; writes out of order are appended too and
// sorted once, when the cells are next read.
class CellStore {
public:
    const xls::Cell* find(int row, int column) const;
    // Stores the cell, replacing the one at its position.
    void put(xls::Cell&& cell);
    void erase(int row, int column);
    void eraseArea(const CellArea& area);

    // All cells ascending by row, then column.
    const std::vector<xls::Cell>& cells() const;
    // The cells inside area, in row order.
    std::vector<const xls::Cell*> cellsIn(const CellArea& area) const;
    bool empty() const { return m_cells.empty(); }
    // Makes room for count cells in all, so that writing them moves none.
    void reserve(std::size_t count) { m_cells.reserve(count); }
    // The smallest area holding every cell, or nullopt when there is none.
    std::optional<CellArea> usedArea() const;

    // Moves every cell at or below row firstRow down by count rows (count may be negative after
    // the rows above have been erased). The caller checks that no cell leaves the worksheet.
    void shiftRows(int firstRow, int count);
    void shiftColumns(int firstColumn, int count);

    // Hands the cells out (for saving) and takes them back unchanged; in between the store is
    // empty.
    std::vector<xls::Cell> take();
    void restore(std::vector<xls::Cell>&& cells);

private:
    void normalize() const;

    mutable std::vector<xls::Cell> m_cells;
    mutable bool m_sorted = true;
};

}  // namespace spreadsheet::detail
