// The cell records of a worksheet: numbers, strings, booleans and errors, formulas with their
// cached results, and the records whose content the workbook data cannot hold (noted by name).
#include "base/Endian.h"
#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/ParserState.h"
#include "xls/biff8/Records.h"
#include "xls/biff8/WorkbookStream.h"

#include <cstring>

namespace xls::biff8::detail {

void Parser::addCell(Sheet& sheet, Cell cell) { sheet.cells.push_back(std::move(cell)); }

void Parser::addNumber(Sheet& sheet, std::uint16_t row, std::uint16_t column, std::uint16_t xfIndex,
                       double value, bool fromFormula) {
    Cell cell;
    cell.row = row;
    cell.column = column;
    cell.type = CellType::Number;
    cell.number = value;
    cell.format = xf(xfIndex).format;
    cell.fromFormula = fromFormula;
    checkFormatting(xfIndex);
    addCell(sheet, std::move(cell));
}

void Parser::readCell(const Record& record, Sheet& sheet) {
    if (m_pendingFormulaText && record.id != record::kString &&
        record.id != record::kSharedFormula && record.id != record::kArray && record.id != kTable) {
        // The STRING record with the formula's text is missing: keep the cell, with no text.
        addCell(sheet, *m_pendingFormulaText);
        m_pendingFormulaText.reset();
    }
    BodyReader body(record);
    auto cellPrefix = [&](std::uint16_t& row, std::uint16_t& column, std::uint16_t& xfIndex) {
        row = body.u16();
        column = body.u16();
        xfIndex = body.u16();
        if (column >= kMaxColumns) {
            damaged("a cell of sheet \"" + sheet.name + "\" lies past the last column");
        }
    };
    std::uint16_t row = 0, column = 0, xfIndex = 0;
    switch (record.id) {
        case record::kNumber: {
            cellPrefix(row, column, xfIndex);
            addNumber(sheet, row, column, xfIndex, body.f64(), false);
            break;
        }
        case record::kRk: {
            cellPrefix(row, column, xfIndex);
            addNumber(sheet, row, column, xfIndex, decodeRk(body.u32()), false);
            break;
        }
        case record::kMulRk: {
            row = body.u16();
            column = body.u16();
            std::size_t count = record.body().size() < 6 ? 0 : (record.body().size() - 6) / 6;
            for (std::size_t k = 0; k < count; ++k, ++column) {
                if (column >= kMaxColumns) {
                    damaged("a cell of sheet \"" + sheet.name + "\" lies past the last column");
                }
                xfIndex = body.u16();
                addNumber(sheet, row, column, xfIndex, decodeRk(body.u32()), false);
            }
            break;
        }
        case record::kLabelSst: {
            cellPrefix(row, column, xfIndex);
            std::uint32_t index = body.u32();
            if (index >= m_strings.size()) {
                damaged("cell " + cellReference(row, column) + " of sheet \"" + sheet.name +
                        "\" refers to shared string " + std::to_string(index) +
                        ", but the workbook holds only " + std::to_string(m_strings.size()));
            }
            if ((m_stringExtras[index] & 1) != 0) note("rich text formatting");
            if ((m_stringExtras[index] & 2) != 0) note("phonetic guides");
            checkFormatting(xfIndex);
            Cell cell;
            cell.row = row;
            cell.column = column;
            cell.type = CellType::Text;
            cell.text = m_strings[index];
            addCell(sheet, std::move(cell));
            break;
        }
        case record::kLabel:
        case record::kRString: {
            cellPrefix(row, column, xfIndex);
            checkFormatting(xfIndex);
            if (record.id == record::kRString) note("rich text formatting");
            Cell cell;
            cell.row = row;
            cell.column = column;
            cell.type = CellType::Text;
            cell.text = body.string(2);
            addCell(sheet, std::move(cell));
            break;
        }
        case record::kBoolErr: {
            cellPrefix(row, column, xfIndex);
            std::uint8_t value = body.u8();
            bool isError = body.u8() != 0;
            checkFormatting(xfIndex);
            Cell cell;
            cell.row = row;
            cell.column = column;
            cell.type = isError ? CellType::Error : CellType::Boolean;
            cell.boolean = !isError && value != 0;
            cell.errorCode = isError ? value : 0;
            addCell(sheet, std::move(cell));
            break;
        }
        case record::kFormula: {
            cellPrefix(row, column, xfIndex);
            std::uint8_t result[8];
            for (std::uint8_t& byte : result) byte = body.u8();
            note("formulas");
            if (result[6] != 0xFF || result[7] != 0xFF) {
                double value = 0;
                std::memcpy(&value, result, sizeof value);
                addNumber(sheet, row, column, xfIndex, value, true);
                break;
            }
            checkFormatting(xfIndex);
            Cell cell;
            cell.row = row;
            cell.column = column;
            cell.fromFormula = true;
            switch (result[0]) {
                case 0:  // text, in the STRING record that follows
                    cell.type = CellType::Text;
                    m_pendingFormulaText = std::move(cell);
                    break;
                case 1:
                    cell.type = CellType::Boolean;
                    cell.boolean = result[2] != 0;
                    addCell(sheet, std::move(cell));
                    break;
                case 2:
                    cell.type = CellType::Error;
                    cell.errorCode = result[2];
                    addCell(sheet, std::move(cell));
                    break;
                case 3:
                    cell.type = CellType::Text;
                    addCell(sheet, std::move(cell));
                    break;
                default:
                    break;  // a result kind this reader does not know: no value
            }
            break;
        }
        case record::kString:
            if (m_pendingFormulaText) {
                m_pendingFormulaText->text = body.string(2);
                addCell(sheet, std::move(*m_pendingFormulaText));
                m_pendingFormulaText.reset();
            }
            break;
        case record::kBlank:
            cellPrefix(row, column, xfIndex);
            checkFormatting(xfIndex);
            break;
        case record::kMulBlank: {
            body.skip(4);
            std::size_t count = record.body().size() < 6 ? 0 : (record.body().size() - 6) / 2;
            for (std::size_t k = 0; k < count; ++k) checkFormatting(body.u16());
            break;
        }
        case record::kMergedCells:
            if (body.u16() > 0) note("merged cells");
            break;
        case record::kNote:
            note("comments");
            break;
        case record::kHyperlink:
            note("hyperlinks");
            break;
        case record::kDataValidations:
        case record::kDataValidation:
            note("data validation");
            break;
        case record::kCondFmt:
        case kCondFmtRule:
            note("conditional formatting");
            break;
        case record::kObj:
        case record::kMsoDrawing:
        case kTxo:
            note("drawings or embedded objects");
            break;
        case record::kProtect:
            if (body.u16() != 0) note("sheet protection");
            break;
        case record::kColInfo:
            note("column widths");
            break;
        case record::kRow: {
            body.skip(12);
            std::uint32_t flags = body.u32();
            if ((flags & 0x60) != 0) note("row heights or hidden rows");
            break;
        }
        case record::kAutoFilterInfo:
            note("filters");
            break;
        case record::kHeader:
        case record::kFooter:
            if (!record.body().empty()) note("page headers or footers");
            break;
        case record::kWindow2:
            if ((body.u16() & 0x0200) != 0) sheet.selected = true;
            break;
        default:
            break;
    }
}

}  // namespace xls::biff8::detail
