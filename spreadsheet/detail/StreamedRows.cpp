#include "spreadsheet/detail/StreamedRows.h"

#include "spreadsheet/RowSource.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TypedInput.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/detail/CellStore.h"
#include "spreadsheet/detail/Text.h"

namespace spreadsheet::detail {

StreamedRows::StreamedRows(const Worksheet::RowBlock& block, std::string sheetName)
    : m_block(block),
      m_sheetName(std::move(sheetName)),
      m_cells(static_cast<std::size_t>(block.columns)),
      m_madeTexts(static_cast<std::size_t>(block.columns)) {}

void StreamedRows::start() {
    try {
        m_row = 0;
        m_block.source->rewind();
    } catch (...) {
        throw SourceFailed{std::current_exception()};
    }
}

std::span<const xlsx::RowCell> StreamedRows::next() {
    try {
        std::span<const Variant> values = m_block.source->nextRow();
        if (values.size() < m_cells.size()) {
            throw SpreadsheetError::operationFailed("the source of the rows on " + m_sheetName +
                                                    " gave " + std::to_string(values.size()) +
                                                    " values for a row of " +
                                                    std::to_string(m_cells.size()) + " columns.");
        }
        for (std::size_t k = 0; k < m_cells.size(); ++k) {
            const TypedCell typed = readCellData(values[k], m_madeTexts[k]);
            xlsx::RowCell& cell = m_cells[k];
            cell.format = xls::NumberFormat::General;
            switch (typed.kind) {
                case CellValue::Kind::Empty:
                case CellValue::Kind::Error:
                    cell.kind = xlsx::RowCell::Kind::Empty;
                    break;
                case CellValue::Kind::Number:
                    cell.kind = xlsx::RowCell::Kind::Number;
                    cell.number = typed.number;
                    break;
                case CellValue::Kind::Date:
                    cell.kind = xlsx::RowCell::Kind::Number;
                    cell.number = typed.number;
                    cell.format = numberFormatOf(typed.style);
                    break;
                case CellValue::Kind::Boolean:
                    cell.kind = xlsx::RowCell::Kind::Boolean;
                    cell.boolean = typed.boolean;
                    break;
                case CellValue::Kind::Text: {
                    const std::optional<std::size_t> units = utf16Length(typed.text);
                    if (!units || *units > xlsx::kMaxCellTextUnits) {
                        throw cellTextRefusal(cellName(static_cast<int>(m_block.row + m_row),
                                                       m_block.column + static_cast<int>(k)),
                                              m_sheetName, units);
                    }
                    cell.kind = xlsx::RowCell::Kind::Text;
                    cell.text = typed.text;
                    break;
                }
            }
        }
        ++m_row;
        return m_cells;
    } catch (...) {
        throw SourceFailed{std::current_exception()};
    }
}

}  // namespace spreadsheet::detail
