// The export of the open table into a new workbook.
#pragma once

#include <string>

namespace engine {
class DataControl;
}
namespace platform {
class Prompts;
}

namespace tableexport {

// Copies the record set open in dtcDbf into a new workbook and saves it as fileName (leading and
// trailing spaces removed): field names in row 1, row 2 empty, the records from row 3 in record
// set order, one column per field (A, B, ..., Z, AA, ...). Names and values reach the cells as
// their own types (spreadsheet/TypedInput.h): text stays text, never a number or a formula.
// Shows "Success export to excel" (title "Sorvela", OK button, no icon) through prompts when the
// file is written, also for a set without records (row 1 alone). Every move raises the
// record-position event; the record set is left past its last record.
//
// Throws (EngineError, SpreadsheetError, ...) on any failure; then no file is written and no
// message is shown. Refused before the record set moves or any workbook is made: no open set, an
// empty name, the open table's own file (its .dbf or memo file, or the workbook it was read
// from), and a set that does not fit a worksheet (more than 65,534 records or 256 fields; the
// description gives the count and the limit).
void ExportarExcel(engine::DataControl& dtcDbf, const std::string& fileName,
                   platform::Prompts& prompts);

}  // namespace tableexport
