#include "xls/biff8/WorkbookStream.h"

#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/Records.h"
#include "xls/biff8/Utf16.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace xls::biff8 {

namespace {

constexpr std::size_t kMinimumStreamLength = 4096;
constexpr std::size_t kSectorSize = 512;

std::string withThousands(std::size_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return digits;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string where(const std::string& sheet, std::uint32_t row, std::uint32_t column) {
    return "cell " + cellReference(row, column) + " of sheet " + quoted(sheet);
}

XlsError rowTooFar(const std::string& sheet, std::uint32_t row) {
    return XlsError("row " + withThousands(std::size_t(row) + 1) + " of sheet " + quoted(sheet) +
                    " is past the last row of an .xls worksheet (" + withThousands(kMaxRows) + ")");
}

XlsError textTooLong(const std::string& sheet, std::uint32_t row, std::uint32_t column,
                     std::size_t units) {
    return XlsError("the text of " + where(sheet, row, column) + " has " + withThousands(units) +
                    " characters; an .xls cell holds at most " + withThousands(kMaxCellTextUnits));
}

std::u16string checkedSheetName(const std::string& name) {
    std::u16string units;
    if (!utf8ToUtf16(name, units)) {
        throw XlsError("the sheet name " + quoted(name) + " is not valid UTF-8 text");
    }
    if (units.empty()) throw XlsError("a sheet has an empty name");
    if (units.size() > kMaxSheetNameUnits) {
        throw XlsError("the sheet name " + quoted(name) + " has " + std::to_string(units.size()) +
                       " characters; at most " + std::to_string(kMaxSheetNameUnits) +
                       " are allowed");
    }
    for (char16_t unit : units) {
        if (std::u16string_view(u":\\/?*[]").find(unit) != std::u16string_view::npos) {
            throw XlsError("the sheet name " + quoted(name) +
                           " contains one of the characters : \\ / ? * [ ], which are not allowed");
        }
        if (unit < 0x20) {
            throw XlsError("the sheet name " + quoted(name) + " contains a control character");
        }
    }
    if (units.front() == u'\'' || units.back() == u'\'') {
        throw XlsError("the sheet name " + quoted(name) +
                       " begins or ends with an apostrophe, which is not allowed");
    }
    return units;
}

const StringTable& textsOf(const WorkbookView& workbook) {
    if (workbook.texts == nullptr) throw std::invalid_argument("a workbook view without texts");
    return *workbook.texts;
}

bool knownErrorCode(std::uint8_t code) {
    return std::any_of(std::begin(kErrorCodes), std::end(kErrorCodes),
                       [&](const ErrorCode& e) { return e.code == code; });
}

std::uint16_t xfFor(const PackedCell& cell) {
    if (cell.type() != CellType::Number) return kXfDefaultCell;
    switch (cell.format()) {
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

// The length of a sheet's substream without its cells: BOF, DIMENSIONS, WINDOW2, EOF.
std::size_t sheetFrameLength() {
    Bytes frame;
    appendBof(frame, substream::kWorksheet);
    appendDimensions(frame, 0, 0, 0, 0);
    appendWindow2(frame, false, false);
    appendEof(frame);
    return frame.size();
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

// ---- WorkbookLayout ----

WorkbookLayout::WorkbookLayout(const WorkbookView& workbook)
    : m_workbook(&workbook), m_strings(textsOf(workbook)) {
    if (workbook.sheets.empty()) throw XlsError("a workbook needs at least one worksheet");
    if (workbook.sheets.size() > 0xFFFF) throw XlsError("a workbook holds too many sheets");
    if (workbook.activeSheet >= workbook.sheets.size()) {
        throw XlsError("the active sheet (number " + std::to_string(workbook.activeSheet + 1) +
                       ") does not exist");
    }
    m_sheets.resize(workbook.sheets.size());
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        planSheet(workbook.sheets[i], m_sheets[i]);
    }
    m_strings.merge();
    std::unordered_map<std::u16string, std::size_t> seen;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        auto [it, inserted] = seen.try_emplace(foldCase(m_sheets[i].name), i);
        if (!inserted) {
            throw XlsError("the sheet names " + quoted(workbook.sheets[it->second].name) + " and " +
                           quoted(workbook.sheets[i].name) +
                           " are the same without regard to case; sheet names must be unique");
        }
    }
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        if (workbook.sheets[i].selected || i == workbook.activeSheet) ++m_selectedSheets;
    }

    // The globals are laid out once without keeping their bytes, to learn where the sheets go.
    StreamBuffer measure;
    m_sheetOffsets.assign(m_sheets.size(), 0);
    writeGlobals(measure);
    std::size_t position = measure.position();
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (position > 0xFFFFFFFFu) throw XlsError("the workbook is too large for an .xls file");
        m_sheetOffsets[i] = static_cast<std::uint32_t>(position);
        position += m_sheets[i].length;
    }
    m_streamLength = paddedStreamLength(position);
}

void WorkbookLayout::planSheet(const SheetView& sheet, SheetPlan& plan) {
    plan.name = checkedSheetName(sheet.name);
    const StringTable& texts = *m_workbook->texts;
    std::size_t cellsLength = 0;
    std::uint32_t previousKey = 0;
    std::uint16_t firstColumn = 0xFF, lastColumn = 0;
    std::uint32_t rk = 0;
    for (std::size_t i = 0; i < sheet.cells.size(); ++i) {
        const PackedCell& cell = sheet.cells[i];
        if (i > 0 && cell.key() <= previousKey) {
            if (cell.key() == previousKey) {
                throw XlsError(where(sheet.name, cell.row(), cell.column()) +
                               " is given two values");
            }
            throw XlsError("the cells of sheet " + quoted(sheet.name) + " are not in row order");
        }
        previousKey = cell.key();
        switch (cell.type()) {
            case CellType::Number:
                if (!std::isfinite(cell.number())) {
                    throw XlsError(where(sheet.name, cell.row(), cell.column()) +
                                   " holds a number that is not finite, which an .xls file "
                                   "cannot store");
                }
                cellsLength += encodeRk(cell.number(), rk) ? kRkRecordLength : kNumberRecordLength;
                break;
            case CellType::Text:
                if (cell.textId() >= texts.size()) {
                    throw XlsError(where(sheet.name, cell.row(), cell.column()) +
                                   " refers to a text the workbook does not hold");
                }
                // An empty string is legal BIFF8 but some readers refuse the whole file over
                // it; an empty text is written as no cell.
                if (texts.units(cell.textId()) == 0) continue;
                if (texts.units(cell.textId()) > kMaxCellTextUnits) {
                    throw textTooLong(sheet.name, cell.row(), cell.column(),
                                      texts.units(cell.textId()));
                }
                m_strings.use(cell.textId());
                cellsLength += kLabelSstRecordLength;
                break;
            case CellType::Boolean:
                cellsLength += kBoolErrRecordLength;
                break;
            case CellType::Error:
                if (!knownErrorCode(cell.errorCode())) {
                    throw XlsError(where(sheet.name, cell.row(), cell.column()) +
                                   " holds an unknown error code " +
                                   std::to_string(cell.errorCode()));
                }
                cellsLength += kBoolErrRecordLength;
                break;
        }
        if (!plan.hasCells) plan.firstRow = cell.row();
        plan.hasCells = true;
        plan.lastRow = cell.row();
        firstColumn = std::min(firstColumn, cell.column());
        lastColumn = std::max(lastColumn, cell.column());
    }
    if (plan.hasCells) {
        plan.firstColumn = firstColumn;
        plan.lastColumn = lastColumn;
    }
    plan.length = sheetFrameLength() + cellsLength;
}

void WorkbookLayout::writeGlobals(StreamBuffer& out) const {
    const WorkbookView& workbook = *m_workbook;
    Bytes& bytes = out.bytes();
    appendBof(bytes, substream::kGlobals);
    appendCodePage(bytes);
    appendWindow1(bytes, static_cast<std::uint16_t>(workbook.activeSheet), m_selectedSheets);
    appendDateMode(bytes, workbook.date1904);
    for (int i = 0; i < 5; ++i) appendFont(bytes);
    appendStyleXf(bytes, true);
    for (int i = 1; i < kStyleXfCount; ++i) appendStyleXf(bytes, false);
    appendCellXf(bytes, kFormatGeneral);
    appendCellXf(bytes, kFormatDate);
    appendCellXf(bytes, kFormatDateTime);
    appendCellXf(bytes, kFormatTime);
    appendStyle(bytes);
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        std::uint8_t visibility = 0;
        if (workbook.sheets[i].visibility == SheetVisibility::Hidden) visibility = 1;
        if (workbook.sheets[i].visibility == SheetVisibility::VeryHidden) visibility = 2;
        appendBoundSheet(bytes, m_sheetOffsets[i], m_sheets[i].name, visibility);
    }
    out.recordEnded();
    if (m_strings.uniqueCount() > 0) m_strings.appendRecords(out);
    appendEof(out.bytes());
    out.recordEnded();
}

void WorkbookLayout::writeSheet(StreamBuffer& out, std::size_t index) const {
    const SheetView& sheet = m_workbook->sheets[index];
    const SheetPlan& plan = m_sheets[index];
    const StringTable& texts = *m_workbook->texts;
    std::uint32_t rk = 0;
    appendBof(out.bytes(), substream::kWorksheet);
    if (plan.hasCells) {
        appendDimensions(out.bytes(), plan.firstRow, plan.lastRow + 1, plan.firstColumn,
                         static_cast<std::uint16_t>(plan.lastColumn + 1));
    } else {
        appendDimensions(out.bytes(), 0, 0, 0, 0);
    }
    for (const PackedCell& cell : sheet.cells) {
        auto row = static_cast<std::uint16_t>(cell.row());
        std::uint16_t column = cell.column();
        Bytes& bytes = out.bytes();
        switch (cell.type()) {
            case CellType::Number:
                if (encodeRk(cell.number(), rk)) {
                    appendRk(bytes, row, column, xfFor(cell), rk);
                } else {
                    appendNumber(bytes, row, column, xfFor(cell), cell.number());
                }
                break;
            case CellType::Text:
                if (texts.units(cell.textId()) == 0) continue;
                appendLabelSst(bytes, row, column, kXfDefaultCell,
                               m_strings.indexOf(cell.textId()));
                break;
            case CellType::Boolean:
                appendBoolErr(bytes, row, column, kXfDefaultCell, cell.boolean() ? 1 : 0, false);
                break;
            case CellType::Error:
                appendBoolErr(bytes, row, column, kXfDefaultCell, cell.errorCode(), true);
                break;
        }
        out.recordEnded();
    }
    appendWindow2(out.bytes(), sheet.selected, index == m_workbook->activeSheet);
    appendEof(out.bytes());
    out.recordEnded();
}

void WorkbookLayout::write(StreamBuffer& out) const {
    writeGlobals(out);
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        // The globals name this position; a sheet placed elsewhere would make a damaged file.
        if (out.position() != m_sheetOffsets[i]) {
            throw std::logic_error("a sheet's substream is not where the workbook globals say");
        }
        writeSheet(out, i);
    }
    std::size_t padding = m_streamLength - out.position();
    out.bytes().insert(out.bytes().end(), padding, 0);
    out.flush();
}

// ---- PackedWorkbook ----

PackedWorkbook::PackedWorkbook(const WorkbookData& data) {
    m_view.texts = &m_texts;
    m_view.activeSheet = data.activeSheet;
    m_view.date1904 = data.date1904;
    m_cells.resize(data.sheets.size());
    for (std::size_t s = 0; s < data.sheets.size(); ++s) {
        const Sheet& sheet = data.sheets[s];
        if (sheet.kind != SheetKind::Worksheet) {
            throw XlsError("sheet " + quoted(sheet.name) +
                           " is not a worksheet; only worksheets can be written");
        }
        std::vector<PackedCell>& packed = m_cells[s];
        packed.reserve(sheet.cells.size());
        for (const Cell& cell : sheet.cells) {
            if (cell.row >= kMaxRows) throw rowTooFar(sheet.name, cell.row);
            if (cell.column >= kMaxColumns) {
                throw XlsError("column " + std::to_string(cell.column + 1) + " of sheet " +
                               quoted(sheet.name) +
                               " is past the last column of an .xls worksheet (" +
                               std::to_string(kMaxColumns) + ", IV)");
            }
            switch (cell.type) {
                case CellType::Number:
                    packed.push_back(
                        PackedCell::number(cell.row, cell.column, cell.number, cell.format));
                    break;
                case CellType::Text: {
                    StringTable::Added added = m_texts.add(cell.text);
                    if (added.refusal == StringTable::Refusal::NotUtf8) {
                        throw XlsError("the text of " + where(sheet.name, cell.row, cell.column) +
                                       " is not valid UTF-8");
                    }
                    if (added.refusal == StringTable::Refusal::TooLong) {
                        throw textTooLong(sheet.name, cell.row, cell.column, added.units);
                    }
                    packed.push_back(PackedCell::text(cell.row, cell.column, added.id));
                    break;
                }
                case CellType::Boolean:
                    packed.push_back(PackedCell::boolean(cell.row, cell.column, cell.boolean));
                    break;
                case CellType::Error:
                    packed.push_back(PackedCell::error(cell.row, cell.column, cell.errorCode));
                    break;
            }
        }
        std::stable_sort(
            packed.begin(), packed.end(),
            [](const PackedCell& a, const PackedCell& b) { return a.key() < b.key(); });
        SheetView& view = m_view.sheets.emplace_back();
        view.name = sheet.name;
        view.visibility = sheet.visibility;
        view.selected = sheet.selected;
        view.cells = packed;
    }
}

Bytes buildWorkbookStream(const WorkbookView& workbook) {
    WorkbookLayout layout(workbook);
    Bytes stream;
    stream.reserve(layout.streamLength());
    StreamBuffer out([&stream](std::span<const std::uint8_t> piece) {
        stream.insert(stream.end(), piece.begin(), piece.end());
    });
    layout.write(out);
    return stream;
}

Bytes buildWorkbookStream(const WorkbookData& workbook) {
    PackedWorkbook packed(workbook);
    return buildWorkbookStream(packed.view());
}

}  // namespace xls::biff8
