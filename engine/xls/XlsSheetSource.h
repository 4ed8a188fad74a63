// The worksheet driver: one worksheet of a BIFF8 workbook as a read-only table.
#pragma once

#include <memory>
#include <string>

namespace engine {

class TableSource;

// Opens the worksheet named sheetName (matched without regard to case) of the workbook at
// workbookPath. The first row gives the field names; each column's type comes from its cells.
// Throws EngineError with a clear description when the workbook cannot be read or has no such
// worksheet.
std::unique_ptr<TableSource> openWorksheet(const std::string& workbookPath,
                                           const std::string& sheetName);

}  // namespace engine
