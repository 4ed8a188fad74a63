// The reader's stream parser: a BIFF8 workbook stream turned into WorkbookData.
#pragma once

#include "xls/WorkbookData.h"

#include <cstdint>
#include <span>
#include <string>

namespace xls::biff8 {

// Parses the workbook globals and every sheet of a workbook stream. path names the file in
// descriptions. The stream is untrusted: every read is bounds-checked and the work is bounded by
// the stream's length. Throws XlsError for a stream that is not BIFF8 (BIFF2-5), is
// password-protected (checked before any other record is interpreted) or is damaged (a record
// running past the end, a sheet that is cut short or placed outside the stream, a cell that
// refers to a shared string that is not there).
//
// Strings present in a shared string table whose counts claim more are read; a cell that refers
// past them is a failure, never an invented value. The DIMENSIONS record is ignored: the cells
// are what the records hold. Cells come out sorted by row and column; of two records for one
// cell the later wins.
WorkbookData parseWorkbookStream(std::span<const std::uint8_t> stream, const std::string& path);

}  // namespace xls::biff8
