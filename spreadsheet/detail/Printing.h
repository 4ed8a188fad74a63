// Turning cells into print jobs for the application's printer.
#pragma once

#include "spreadsheet/CellReference.h"
#include "spreadsheet/Printer.h"

#include <optional>

namespace spreadsheet {
class Worksheet;
}

namespace spreadsheet::detail {

// The displayed texts of the used part of area on sheet (its first to last non-empty row and
// column), or nullopt when area holds no value. Throws SpreadsheetError (1004) when copies < 1.
std::optional<PrintJob> makePrintJob(const Worksheet& sheet, const CellArea& area, int copies,
                                     std::optional<bool> collate);

// Sends the jobs to the printer of the sheets' application, in order. Throws SpreadsheetError
// (1004) when the application has no printer (even with nothing to print) or the printer fails.
void printJobs(const Worksheet& anySheet, const std::vector<PrintJob>& jobs);

}  // namespace spreadsheet::detail
