#include "xls/biff8/WorkbookStream.h"

#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/Records.h"
#include "xls/biff8/SharedStrings.h"
#include "xls/biff8/Utf16.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

namespace xls::biff8 {

namespace {

constexpr std::size_t kMinimumStreamLength = 4096;
constexpr std::size_t kSectorSize = 512;

// A sheet checked against the limits, with its cells in writing order.
struct PreparedSheet {
    std::u16string name;
    std::vector<std::size_t> order;          // indices into Sheet::cells; empty texts left out
    std::vector<std::uint32_t> stringIndex;  // per entry of order: SST index of a text cell
};

std::string withThousands(std::size_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return digits;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string where(const Sheet& sheet, const Cell& cell) {
    return "cell " + cellReference(cell.row, cell.column) + " of sheet " + quoted(sheet.name);
}

void checkSheetName(const Sheet& sheet, std::u16string& units) {
    units.clear();
    if (!utf8ToUtf16(sheet.name, units)) {
        throw XlsError("the sheet name " + quoted(sheet.name) + " is not valid UTF-8 text");
    }
    if (units.empty()) throw XlsError("a sheet has an empty name");
    if (units.size() > kMaxSheetNameUnits) {
        throw XlsError("the sheet name " + quoted(sheet.name) + " has " +
                       std::to_string(units.size()) + " characters; at most " +
                       std::to_string(kMaxSheetNameUnits) + " are allowed");
    }
    for (char16_t unit : units) {
        if (std::u16string_view(u":\\/?*[]").find(unit) != std::u16string_view::npos) {
            throw XlsError("the sheet name " + quoted(sheet.name) +
                           " contains one of the characters : \\ / ? * [ ], which are not allowed");
        }
        if (unit < 0x20) {
            throw XlsError("the sheet name " + quoted(sheet.name) +
                           " contains a control character");
        }
    }
    if (units.front() == u'\'' || units.back() == u'\'') {
        throw XlsError("the sheet name " + quoted(sheet.name) +
                       " begins or ends with an apostrophe, which is not allowed");
    }
}

void checkCell(const Sheet& sheet, const Cell& cell) {
    if (cell.row >= kMaxRows) {
        throw XlsError("row " + withThousands(std::size_t(cell.row) + 1) + " of sheet " +
                       quoted(sheet.name) + " is past the last row of an .xls worksheet (" +
                       withThousands(kMaxRows) + ")");
    }
    if (cell.column >= kMaxColumns) {
        throw XlsError("column " + std::to_string(cell.column + 1) + " of sheet " +
                       quoted(sheet.name) + " is past the last column of an .xls worksheet (" +
                       std::to_string(kMaxColumns) + ", IV)");
    }
    switch (cell.type) {
        case CellType::Number:
            if (!std::isfinite(cell.number)) {
                throw XlsError(where(sheet, cell) +
                               " holds a number that is not finite, which an .xls file cannot "
                               "store");
            }
            break;
        case CellType::Error:
            if (std::none_of(std::begin(kErrorCodes), std::end(kErrorCodes),
                             [&](const ErrorCode& e) { return e.code == cell.errorCode; })) {
                throw XlsError(where(sheet, cell) + " holds an unknown error code " +
                               std::to_string(cell.errorCode));
            }
            break;
        case CellType::Text:
        case CellType::Boolean:
            break;
    }
}

// The shared strings and, for finding repeats, the cell texts already added. The keys view the
// texts of the WorkbookData, which outlives the table.
struct StringTable {
    SharedStrings strings;
    std::unordered_map<std::string_view, std::uint32_t> index;
};

PreparedSheet prepareSheet(const Sheet& sheet, StringTable& table) {
    PreparedSheet prepared;
    checkSheetName(sheet, prepared.name);
    if (sheet.kind != SheetKind::Worksheet) {
        throw XlsError("sheet " + quoted(sheet.name) +
                       " is not a worksheet; only worksheets can be written");
    }

    std::vector<std::size_t> order;
    order.reserve(sheet.cells.size());
    for (std::size_t i = 0; i < sheet.cells.size(); ++i) {
        checkCell(sheet, sheet.cells[i]);
        order.push_back(i);
    }
    auto position = [&](std::size_t i) {
        return std::pair(sheet.cells[i].row, sheet.cells[i].column);
    };
    if (!std::is_sorted(order.begin(), order.end(),
                        [&](std::size_t a, std::size_t b) { return position(a) < position(b); })) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return position(a) < position(b); });
    }
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (position(order[k]) == position(order[k - 1])) {
            throw XlsError(where(sheet, sheet.cells[order[k]]) + " is given two values");
        }
    }

    // Texts are checked and converted once each: a repeat is found by its UTF-8 text.
    std::u16string units;
    prepared.order.reserve(order.size());
    prepared.stringIndex.reserve(order.size());
    for (std::size_t i : order) {
        const Cell& cell = sheet.cells[i];
        std::uint32_t stringIndex = 0;
        if (cell.type == CellType::Text) {
            // An empty string is legal BIFF8 but some readers refuse the whole file over it; an
            // empty text is written as no cell.
            if (cell.text.empty()) continue;
            if (auto found = table.index.find(cell.text); found != table.index.end()) {
                table.strings.reuse();
                stringIndex = found->second;
            } else {
                units.clear();
                if (!utf8ToUtf16(cell.text, units)) {
                    throw XlsError("the text of " + where(sheet, cell) + " is not valid UTF-8");
                }
                if (units.size() > kMaxCellTextUnits) {
                    throw XlsError("the text of " + where(sheet, cell) + " has " +
                                   withThousands(units.size()) +
                                   " characters; an .xls cell holds at most " +
                                   withThousands(kMaxCellTextUnits));
                }
                stringIndex = table.strings.add(units);
                table.index.emplace(cell.text, stringIndex);
            }
        }
        prepared.order.push_back(i);
        prepared.stringIndex.push_back(stringIndex);
    }
    return prepared;
}

void checkNamesUnique(const std::vector<PreparedSheet>& sheets, const std::vector<Sheet>& source) {
    std::unordered_map<std::u16string, std::size_t> seen;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        auto [it, inserted] = seen.try_emplace(foldCase(sheets[i].name), i);
        if (!inserted) {
            throw XlsError("the sheet names " + quoted(source[it->second].name) + " and " +
                           quoted(source[i].name) +
                           " are the same without regard to case; sheet names must be unique");
        }
    }
}

std::uint16_t xfFor(const Cell& cell) {
    if (cell.type != CellType::Number) return kXfDefaultCell;
    switch (cell.format) {
        case NumberFormat::Date:
            return kXfDate;
        case NumberFormat::DateTime:
            return kXfDateTime;
        case NumberFormat::Time:
            return kXfTime;
        case NumberFormat::General:
        case NumberFormat::Other:
            break;
    }
    return kXfDefaultCell;
}

void appendCell(Bytes& out, const Cell& cell, std::uint32_t stringIndex) {
    auto row = static_cast<std::uint16_t>(cell.row);
    std::uint16_t xf = xfFor(cell);
    switch (cell.type) {
        case CellType::Number:
            if (auto rk = encodeRk(cell.number)) {
                appendRk(out, row, cell.column, xf, *rk);
            } else {
                appendNumber(out, row, cell.column, xf, cell.number);
            }
            break;
        case CellType::Text:
            appendLabelSst(out, row, cell.column, xf, stringIndex);
            break;
        case CellType::Boolean:
            appendBoolErr(out, row, cell.column, xf, cell.boolean ? 1 : 0, false);
            break;
        case CellType::Error:
            appendBoolErr(out, row, cell.column, xf, cell.errorCode, true);
            break;
    }
}

void appendSheet(Bytes& out, const Sheet& sheet, const PreparedSheet& prepared, bool active) {
    appendBof(out, substream::kWorksheet);
    if (prepared.order.empty()) {
        appendDimensions(out, 0, 0, 0, 0);
    } else {
        std::uint32_t firstRow = sheet.cells[prepared.order.front()].row;
        std::uint32_t lastRow = sheet.cells[prepared.order.back()].row;
        std::uint16_t firstColumn = 0xFFFF, lastColumn = 0;
        for (std::size_t i : prepared.order) {
            firstColumn = std::min(firstColumn, sheet.cells[i].column);
            lastColumn = std::max(lastColumn, sheet.cells[i].column);
        }
        appendDimensions(out, firstRow, lastRow + 1, firstColumn,
                         static_cast<std::uint16_t>(lastColumn + 1));
    }
    for (std::size_t k = 0; k < prepared.order.size(); ++k) {
        appendCell(out, sheet.cells[prepared.order[k]], prepared.stringIndex[k]);
    }
    appendWindow2(out, sheet.selected, active);
    appendEof(out);
}

}  // namespace

std::string cellReference(std::uint32_t row, std::uint32_t column) {
    std::string letters;
    for (std::uint32_t n = column + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters + std::to_string(std::uint64_t(row) + 1);
}

std::size_t paddedStreamLength(std::size_t length) {
    if (length <= kMinimumStreamLength) return kMinimumStreamLength + kSectorSize;
    return (length + kSectorSize - 1) / kSectorSize * kSectorSize;
}

Bytes buildWorkbookStream(const WorkbookData& workbook) {
    if (workbook.sheets.empty()) throw XlsError("a workbook needs at least one worksheet");
    if (workbook.sheets.size() > 0xFFFF) throw XlsError("a workbook holds too many sheets");
    if (workbook.activeSheet >= workbook.sheets.size()) {
        throw XlsError("the active sheet (number " + std::to_string(workbook.activeSheet + 1) +
                       ") does not exist");
    }
    StringTable table;
    std::size_t cellCount = 0;
    for (const Sheet& sheet : workbook.sheets) cellCount += sheet.cells.size();
    table.index.reserve(cellCount / 4);
    std::vector<PreparedSheet> prepared;
    prepared.reserve(workbook.sheets.size());
    for (const Sheet& sheet : workbook.sheets) prepared.push_back(prepareSheet(sheet, table));
    checkNamesUnique(prepared, workbook.sheets);

    std::uint16_t selectedSheets = 0;
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        if (workbook.sheets[i].selected || i == workbook.activeSheet) ++selectedSheets;
    }

    Bytes out;
    // Every cell record takes at most 18 bytes; strings take about what their text takes.
    out.reserve(2048 + cellCount * 18);
    appendBof(out, substream::kGlobals);
    appendCodePage(out);
    appendWindow1(out, static_cast<std::uint16_t>(workbook.activeSheet), selectedSheets);
    appendDateMode(out, workbook.date1904);
    for (int i = 0; i < 5; ++i) appendFont(out);
    appendStyleXf(out, true);
    for (int i = 1; i < kStyleXfCount; ++i) appendStyleXf(out, false);
    appendCellXf(out, kFormatGeneral);
    appendCellXf(out, kFormatDate);
    appendCellXf(out, kFormatDateTime);
    appendCellXf(out, kFormatTime);
    appendStyle(out);
    std::vector<std::size_t> sheetOffsetFields;
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        std::uint8_t visibility = 0;
        if (workbook.sheets[i].visibility == SheetVisibility::Hidden) visibility = 1;
        if (workbook.sheets[i].visibility == SheetVisibility::VeryHidden) visibility = 2;
        sheetOffsetFields.push_back(appendBoundSheet(out, prepared[i].name, visibility));
    }
    if (table.strings.uniqueCount() > 0) table.strings.appendRecords(out);
    appendEof(out);

    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        if (out.size() > 0xFFFFFFFFu) throw XlsError("the workbook is too large for an .xls file");
        patchU32(out, sheetOffsetFields[i], static_cast<std::uint32_t>(out.size()));
        appendSheet(out, workbook.sheets[i], prepared[i], i == workbook.activeSheet);
    }
    out.resize(paddedStreamLength(out.size()), 0);
    return out;
}

}  // namespace xls::biff8
