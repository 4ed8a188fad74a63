// The cells of one sheet as the sheetData element of its part, streamed.
#pragma once

#include "xlsx/detail/Frame.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace xls {
class StringTable;
}

namespace xlsx {
struct SheetView;
}

namespace xlsx::detail {

// Writes <sheetData>...</sheetData> for the sheet's packed cells and block, row by row, to out in
// pieces of about a megabyte: a row element per row that has a cell, each cell with its
// reference. Text is inline text, escaped for XML; characters XML cannot hold (control
// characters but tab and line feed, U+FFFE, U+FFFF) and a literal "_xHHHH_" are written in the
// _xHHHH_ form that spreadsheet readers decode, and text with spaces at either end is marked to
// keep them. Throws XlsxError for a packed cell inside the block; what the producer or out throw
// passes unchanged.
void writeSheetData(const SheetView& sheet, const xls::StringTable& texts,
                    const FrameStyles& styles, const std::function<void(std::string_view)>& out);

// The sheet's used range in A1 form ("A1:J1000002"); "A1" for a sheet without cells.
std::string dimensionOf(const SheetView& sheet);

// "B3" for row 2, column 1 (both 0-based), past the .xls limits too.
std::string cellName(std::uint32_t row, std::uint32_t column);

// Appends text to out escaped as writeSheetData escapes it (without the preserve mark).
void appendEscaped(std::string& out, std::string_view text);

}  // namespace xlsx::detail
