// The export of the open table into a new workbook or CSV file.
#pragma once

#include <string>

namespace engine {
class DataControl;
}
namespace platform {
class Prompts;
}

namespace tableexport {

// Copies the record set open in dtcDbf into a new file and saves it as fileName (leading and
// trailing spaces removed), in the format its name ends in, without regard to case:
// - ".xlsx": an Open XML workbook; ".csv": the CSV that quillon-cli dump writes
// (engine/CsvWriter.h),
//   straight from the engine; any other name: an .xls workbook.
// - A workbook holds the field names in row 1, row 2 empty, the records from row 3 in record set
//   order, one column per field (A, B, ..., Z, AA, ...). Names and values reach the cells as their
//   own types (RecordRows.h): text stays text, never a number or a formula. Every move raises the
//   record-position event and the record set is left past its last record; the CSV form reads the
//   records without moving the set.
// Shows "Success export to excel" (title "Sorvela", OK button, no icon) through prompts when the
// file is written, also for a set without records (the names alone). When numbers of more than
// 15 significant digits went into a workbook as text (RecordRows.h), a second message (same
// title, exclamation icon) names their fields. While it works it reports
// its progress through prompts (title "Sorvela"); when the user cancels there, it ends at once
// with no file written and nothing shown.
//
// Throws (EngineError, SpreadsheetError, ...) on any failure; then no file is written and no
// message is shown. Refused before the record set moves or any byte is written: no open set, an
// empty name, the open table's own file (its .dbf or memo file, or the workbook it was read
// from), and a set that does not fit a worksheet of the format (.xls: 65,534 records below the
// names and the empty row and 256 fields; .xlsx: 1,048,574 records and 16,384 fields; the
// description gives the count and the limit). A text too long for a cell (32,767 characters)
// ends the export with a description naming the cell, before anything is left at fileName.
void ExportarExcel(engine::DataControl& dtcDbf, const std::string& fileName,
                   platform::Prompts& prompts);

}  // namespace tableexport
