// The order in which cell values are sorted, shared by sorting and pivot tables.
#pragma once

#include "spreadsheet/CellValue.h"

namespace spreadsheet::detail {

// Negative, zero or positive as a sorts before, with or after b in ascending order: numbers and
// dates by value, then text (by character codes, ASCII letters' case ignored unless matchCase),
// then FALSE, TRUE, then error values. Empty values sort after all others.
int compareCells(const CellValue& a, const CellValue& b, bool matchCase);

}  // namespace spreadsheet::detail
