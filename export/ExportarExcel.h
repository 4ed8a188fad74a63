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
// set order, one column per field (A, B, ..., Z, AA, ...). Shows "Success export to excel"
// (title "Sorvela") through prompts when the file is written. The record set is left past its
// last record. Throws (EngineError, SpreadsheetError, ...) on any failure; then no file is
// written and no message is shown.
void ExportarExcel(engine::DataControl& dtcDbf, const std::string& fileName,
                   platform::Prompts& prompts);

}  // namespace tableexport
