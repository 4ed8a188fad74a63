// A block of cells on one worksheet, and what can be done with it: select, assign, insert and
// delete whole rows or columns, sort, print.
#pragma once

#include "spreadsheet/CellReference.h"
#include "spreadsheet/CellValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace spreadsheet {

class Variant;
class Worksheet;
struct SortOptions;

// A view of cells; it holds no cells itself and must not outlive its worksheet.
class Range {
public:
    Range(Worksheet& sheet, const CellArea& area) : m_sheet(&sheet), m_area(area) {}

    Worksheet& sheet() const { return *m_sheet; }
    const CellArea& area() const { return m_area; }
    // 1-based, as the object model counts.
    int Row() const { return m_area.top + 1; }
    int Column() const { return m_area.left + 1; }
    // "B2" or "A1:D20".
    std::string Address() const { return areaName(m_area); }

    // The object model's Range.Range (a class cannot have a member of its own name): the range
    // addressed by reference relative to this range's first cell: "A1" is that cell, "B2" the
    // cell one down and one right. Throws SpreadsheetError (1004) when the reference is invalid
    // or reaches past the worksheet.
    Range relativeRange(std::string_view reference) const;
    // The range moved by whole rows and columns; throws SpreadsheetError (1004) past the
    // worksheet's edges.
    Range Offset(int rowOffset, int columnOffset) const;
    Range EntireRow() const;
    Range EntireColumn() const;
    // A single cell grows to the block of non-empty cells around it (touching it at a side or a
    // corner, repeatedly); a larger range stays as it is.
    Range CurrentRegion() const;

    // Makes the range the selection of its worksheet and its first cell the active cell. Throws
    // SpreadsheetError (1004) when the worksheet is not the active sheet of its workbook.
    void Select() const;

    // Inserts as many empty rows (columns) as the range has, before its first row (column);
    // the cells there and below (to the right) move down (right). The range must be whole rows
    // or whole columns. Throws SpreadsheetError (1004), changing nothing, when it is not, or
    // when non-empty cells would be pushed off the worksheet.
    void Insert() const;
    // Deletes the range's whole rows (columns); the cells below (right) move up (left).
    void Delete() const;

    // The value of the first cell.
    CellValue Value() const;
    // Stores value into every cell of the range (an empty value clears them).
    void SetValue(const CellValue& value) const;
    // Assigns dat to every cell of the range as typed input (spreadsheet/TypedInput.h).
    void SetFormulaR1C1(const Variant& dat) const;

    // Sorts the rows of the range (of its current region, for a single cell) by up to two keys.
    // See SortOptions.
    void Sort(const SortOptions& options) const;

    // Prints the used part of the range (from its first to its last non-empty row and column;
    // nothing when it is all empty) through the application's printer. collate, when omitted, is
    // the printer's default (not collated). Throws SpreadsheetError (1004) when copies < 1, when
    // the application has no printer, or when printing fails.
    void PrintOut(int copies = 1, std::optional<bool> collate = {}) const;

private:
    Worksheet* m_sheet;
    CellArea m_area;
};

// Arguments of Range::Sort, with the object model's codes.
//
// Rows are compared by key 1, then by key 2. A key is a cell whose column is sorted on; it must
// lie on the sorted worksheet within the sorted columns. Order 1 is ascending, 2 descending.
// Ascending order: numbers and dates (by value), then text (alphabetical; case ignored unless
// matchCase), then FALSE before TRUE, then error values; empty cells always come last, in both
// orders. Rows that compare equal keep their order.
//
// Header: 1 the first row is a header and stays in place, 2 there is none, 0 guess. The guess
// says the first row is a header when the range has at least two rows, every non-empty cell of
// the first row is text, and in at least one column the first row holds text while the second
// holds a number, a date or a boolean (a table whose first row names its columns, above data
// that is not all text). A range of text only is therefore sorted whole.
//
// Only rows can be sorted (orientation 1), and only in the normal order (orderCustom 1).
struct SortOptions {
    std::optional<Range> key1;
    int order1 = 1;
    std::optional<Range> key2;
    int order2 = 1;
    int header = 0;
    int orderCustom = 1;
    bool matchCase = false;
    int orientation = 1;
};

inline constexpr int kSortAscending = 1;
inline constexpr int kSortDescending = 2;
inline constexpr int kHeaderGuess = 0;
inline constexpr int kHeaderYes = 1;
inline constexpr int kHeaderNo = 2;
inline constexpr int kSortRows = 1;

}  // namespace spreadsheet
