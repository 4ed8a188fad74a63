#include "spreadsheet/detail/Printing.h"

#include "spreadsheet/Application.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"

#include <algorithm>
#include <exception>

namespace spreadsheet::detail {

std::optional<PrintJob> makePrintJob(const Worksheet& sheet, const CellArea& area, int copies,
                                     std::optional<bool> collate) {
    if (copies < 1) {
        throw SpreadsheetError::operationFailed("cannot print " + std::to_string(copies) +
                                                " copies.");
    }
    std::vector<const xls::Cell*> cells = sheet.store().cellsIn(area);
    if (cells.empty()) return std::nullopt;
    CellArea used{kRowCount, kColumnCount, 0, 0};
    for (const xls::Cell* cell : cells) {
        used.top = std::min(used.top, static_cast<int>(cell->row));
        used.bottom = std::max(used.bottom, static_cast<int>(cell->row));
        used.left = std::min<int>(used.left, cell->column);
        used.right = std::max<int>(used.right, cell->column);
    }
    PrintJob job;
    job.title = sheet.parent().Name() + " - " + sheet.Name();
    job.copies = copies;
    job.collate = collate.value_or(false);
    job.rows.assign(static_cast<std::size_t>(used.rowCount()),
                    std::vector<std::string>(static_cast<std::size_t>(used.columnCount())));
    for (const xls::Cell* cell : cells) {
        job.rows[cell->row - static_cast<std::size_t>(used.top)]
                [static_cast<std::size_t>(cell->column - used.left)] =
            fromXlsCell(*cell).displayText();
    }
    return job;
}

void printJobs(const Worksheet& anySheet, const std::vector<PrintJob>& jobs) {
    Printer* printer = anySheet.application().printer();
    if (printer == nullptr) {
        throw SpreadsheetError::operationFailed("there is no printer to print on.");
    }
    for (const PrintJob& job : jobs) {
        try {
            printer->print(job);
        } catch (const SpreadsheetError&) {
            throw;
        } catch (const std::exception& failure) {
            throw SpreadsheetError::operationFailed("printing " + job.title +
                                                    " failed: " + failure.what());
        }
    }
}

}  // namespace spreadsheet::detail
