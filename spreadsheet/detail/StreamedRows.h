// A worksheet's pending block of rows, produced for the .xlsx writer while it writes the file.
#pragma once

#include "spreadsheet/Worksheet.h"
#include "xlsx/WorkbookView.h"

#include <exception>
#include <string>
#include <vector>

namespace spreadsheet::detail {

// Thrown through the writer in place of what the source or a check threw, which it carries, so
// that the writer's own handling cannot change it; Workbook rethrows the failure itself.
struct SourceFailed {
    std::exception_ptr failure;
};

// Each row of the block's source as cells: every value taken as data (readCellData), text
// checked as a stored cell's is (valid UTF-8 of at most 32,767 UTF-16 units).
class StreamedRows : public xlsx::RowProducer {
public:
    StreamedRows(const Worksheet::RowBlock& block, std::string sheetName);

    void start() override;
    std::span<const xlsx::RowCell> next() override;

private:
    const Worksheet::RowBlock& m_block;
    std::string m_sheetName;
    std::vector<xlsx::RowCell> m_cells;
    std::vector<std::string> m_madeTexts;  // per column: text a value does not hold itself
    long m_row = 0;
};

}  // namespace spreadsheet::detail
