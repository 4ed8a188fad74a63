// Cell coordinates and A1 references ("B2", "$A$1", "A1:D20", "C:E", "3:7").
#pragma once

#include <string>
#include <string_view>

namespace spreadsheet {

// The size of a worksheet in the .xls workbook format.
inline constexpr int kRowCount = 65536;
inline constexpr int kColumnCount = 256;

// A rectangle of cells, 0-based and inclusive: top <= bottom < kRowCount, left <= right <
// kColumnCount.
struct CellArea {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    int rowCount() const { return bottom - top + 1; }
    int columnCount() const { return right - left + 1; }
    bool isSingleCell() const { return top == bottom && left == right; }
    bool contains(int row, int column) const {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool isEntireRows() const { return left == 0 && right == kColumnCount - 1; }
    bool isEntireColumns() const { return top == 0 && bottom == kRowCount - 1; }

    friend bool operator==(const CellArea&, const CellArea&) = default;
};

// The column's letters in A1 notation: 0 -> "A", 25 -> "Z", 26 -> "AA", 52 -> "BA"
// (bijective base 26). Any non-negative column is named, also past the worksheet's last
// column, so that callers can say which column does not fit.
std::string columnLetters(int column);

// "B2" for row 1, column 1.
std::string cellName(int row, int column);

// "B2" for a single cell, else "A1:D20".
std::string areaName(const CellArea& area);

// Parses an A1 reference: a cell ("b2", "$B$2"), two cells joined by ":" (in any order of
// corners), whole columns ("C:E") or whole rows ("3:7"). Letters may be in either case; no
// spaces, sheet names or lists of areas. Throws SpreadsheetError (1004) naming the text when it
// is not a reference or lies outside the worksheet (past row 65536 or column IV).
CellArea parseReference(std::string_view text);

}  // namespace spreadsheet
