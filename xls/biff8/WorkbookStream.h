// The writer's stream builders: a WorkbookData laid out as a BIFF8 workbook stream.
#pragma once

#include "xls/WorkbookData.h"
#include "xls/biff8/RecordWriter.h"

#include <cstdint>
#include <string>

namespace xls::biff8 {

// Builds the workbook stream: workbook globals (BOF, CODEPAGE, WINDOW1, DATEMODE, FONT x5,
// XF x19, STYLE, BOUNDSHEET per sheet, SST with CONTINUE, EXTSST, EOF), then per sheet BOF,
// DIMENSIONS, the cells in row and column order, WINDOW2, EOF; padded with zero bytes to a
// multiple of 512 above 4096 so the stream never lives in the compound file's mini stream.
// Every limit is checked before the first byte is laid out: throws XlsError whose description
// names the offending sheet or cell (without the file name).
Bytes buildWorkbookStream(const WorkbookData& workbook);

// The stream length after padding, for a stream of `length` bytes.
std::size_t paddedStreamLength(std::size_t length);

// "B3" for row 2, column 1 (both 0-based).
std::string cellReference(std::uint32_t row, std::uint32_t column);

}  // namespace xls::biff8
