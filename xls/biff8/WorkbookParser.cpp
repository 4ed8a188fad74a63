#include "xls/biff8/WorkbookParser.h"

#include "base/Endian.h"
#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/NumberFormats.h"
#include "xls/biff8/RecordReader.h"
#include "xls/biff8/Records.h"
#include "xls/biff8/WorkbookStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace xls::biff8 {

namespace {

// Records of a worksheet that this library's data cannot hold, and how they are named in
// WorkbookData::unsupportedContent.
constexpr std::uint16_t kTable = 0x0236;
constexpr std::uint16_t kCondFmtRule = 0x01B1;
constexpr std::uint16_t kTxo = 0x01B6;

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

struct XfInfo {
    NumberFormat format = NumberFormat::General;
    bool plain = true;  // looks like the default cell: nothing a rewrite would lose
};

struct SheetEntry {
    std::uint32_t offset = 0;
    std::uint8_t state = 0;
    std::uint8_t type = 0;
    std::string name;
};

class Parser {
public:
    Parser(std::span<const std::uint8_t> stream, const std::string& path)
        : m_stream(stream), m_path(path) {}

    WorkbookData parse();

private:
    [[noreturn]] void damaged(const std::string& why) const {
        throw XlsError("The workbook \"" + m_path + "\" is damaged: " + why + ".");
    }
    [[noreturn]] void unsupported(const std::string& what) const {
        throw XlsError("The file \"" + m_path + "\" " + what);
    }
    void note(const std::string& content) {
        auto& notes = m_data.unsupportedContent;
        if (std::find(notes.begin(), notes.end(), content) == notes.end()) {
            notes.push_back(content);
        }
    }

    void checkFirstBof();
    void refuseEncryption();
    void readGlobals();
    void readStrings(const Record& record);
    void readXf(const Record& record, std::vector<std::uint8_t>& raw);
    void finishXfs(const std::vector<std::vector<std::uint8_t>>& raw);
    void readSheets();
    std::size_t readSheet(const SheetEntry& entry, Sheet& sheet);
    void readCell(const Record& record, Sheet& sheet);
    const XfInfo& xf(std::uint16_t index) const;
    void addNumber(Sheet& sheet, std::uint16_t row, std::uint16_t column, std::uint16_t xfIndex,
                   double value, bool fromFormula);
    void addCell(Sheet& sheet, Cell cell);
    void checkFormatting(std::uint16_t xfIndex) {
        if (!xf(xfIndex).plain) note("cell formatting");
    }

    std::span<const std::uint8_t> m_stream;
    const std::string& m_path;
    WorkbookData m_data;

    std::size_t m_globalsEnd = 0;
    std::vector<SheetEntry> m_sheetEntries;
    std::map<std::uint16_t, std::string> m_formats;
    std::vector<std::vector<std::uint8_t>> m_fonts;
    std::vector<XfInfo> m_xfs;
    std::vector<std::string> m_strings;
    std::vector<std::uint8_t> m_stringExtras;  // per string: 1 rich text, 2 phonetic
    std::optional<Cell> m_pendingFormulaText;  // a formula whose text result is in STRING
};

WorkbookData Parser::parse() {
    checkFirstBof();
    refuseEncryption();
    try {
        readGlobals();
        readSheets();
    } catch (const RecordTooShort&) {
        // Each step names what it was reading; this is the net under them.
        damaged("a record runs past the end of the workbook stream");
    }
    return std::move(m_data);
}

void Parser::checkFirstBof() {
    if (m_stream.size() < kRecordHeaderSize) damaged("its workbook stream is empty");
    std::uint16_t id = base::loadLittle<std::uint16_t>(m_stream.data());
    std::size_t length = base::loadLittle<std::uint16_t>(m_stream.data() + 2);
    if (id == record::kBofBiff2 || id == record::kBofBiff3 || id == record::kBofBiff4) {
        unsupported(
            "is an Excel 2.x-4.0 worksheet (BIFF2-4); only Excel 97-2003 workbooks "
            "(BIFF8) can be opened.");
    }
    if (id != record::kBof) damaged("its workbook stream does not begin with a BOF record");
    if (length < 4 || m_stream.size() < kRecordHeaderSize + 4) {
        damaged("its first BOF record is too short");
    }
    auto version = base::loadLittle<std::uint16_t>(m_stream.data() + 4);
    auto type = base::loadLittle<std::uint16_t>(m_stream.data() + 6);
    if (version == kBiff5Version) {
        unsupported(
            "is an Excel 5.0/95 workbook (BIFF5); only Excel 97-2003 workbooks (BIFF8) "
            "can be opened. Save it in the Excel 97-2003 format and try again.");
    }
    if (version != kBiff8Version) {
        unsupported("has an unknown workbook version (" + hex4(version) +
                    "); only Excel 97-2003 workbooks (BIFF8) can be opened.");
    }
    if (type != substream::kGlobals) {
        damaged("its workbook stream does not begin with the workbook globals");
    }
}

void Parser::refuseEncryption() {
    // Record headers are never encrypted, so walking them is safe; any body after FILEPASS is.
    RecordReader reader(m_stream, 0);
    std::uint16_t id = 0;
    try {
        while (reader.skip(id)) {
            if (id == record::kFilePass) {
                throw XlsError("The workbook \"" + m_path +
                               "\" is password-protected (encrypted) and cannot be opened. Save "
                               "it without a password and try again.");
            }
            if (id == record::kEof) return;
        }
    } catch (const RecordTooShort&) {
        damaged("a record of the workbook globals runs past the end of the stream");
    }
    damaged("the workbook globals end without an EOF record");
}

void Parser::readGlobals() {
    RecordReader reader(m_stream, 0);
    Record record;
    std::vector<std::vector<std::uint8_t>> rawXfs;
    reader.next(record);  // the BOF, checked already
    while (true) {
        // refuseEncryption walked these headers up to EOF, so the globals are whole.
        if (!reader.next(record)) damaged("the workbook globals are cut short");
        if (record.id == record::kEof) break;
        try {
            BodyReader body(record);
            switch (record.id) {
                case record::kDateMode:
                    m_data.date1904 = body.u16() == 1;
                    break;
                case record::kFormat: {
                    std::uint16_t index = body.u16();
                    m_formats[index] = body.string(2);
                    break;
                }
                case record::kFont:
                    m_fonts.emplace_back(record.body().begin(), record.body().end());
                    break;
                case record::kXf:
                    rawXfs.emplace_back(record.body().begin(), record.body().end());
                    break;
                case record::kBoundSheet: {
                    SheetEntry entry;
                    entry.offset = body.u32();
                    entry.state = body.u8();
                    entry.type = body.u8();
                    entry.name = body.string(1);
                    m_sheetEntries.push_back(std::move(entry));
                    break;
                }
                case record::kSst:
                    readStrings(record);
                    break;
                case record::kWindow1:
                    body.skip(10);
                    m_data.activeSheet = body.u16();
                    break;
                case record::kName:
                    note("defined names");
                    break;
                case record::kProtect:
                    if (body.u16() != 0) note("workbook protection");
                    break;
                default:
                    break;
            }
        } catch (const RecordTooShort&) {
            damaged("record " + hex4(record.id) + " of the workbook globals is too short");
        }
    }
    m_globalsEnd = reader.position();
    finishXfs(rawXfs);
}

void Parser::readStrings(const Record& record) {
    BodyReader body(record);
    std::uint32_t unique = 0;
    try {
        body.u32();  // cells using the table
        unique = body.u32();
    } catch (const RecordTooShort&) {
        damaged("its shared string table is too short");
    }
    // The counts are not trusted: read the strings that are there. Every string takes at least
    // three bytes, which bounds what is reserved.
    m_strings.reserve(std::min<std::size_t>(unique, body.left() / 3 + 1));
    for (std::uint32_t i = 0; i < unique; ++i) {
        try {
            bool rich = false, phonetic = false;
            m_strings.push_back(body.string(2, &rich, &phonetic));
            m_stringExtras.push_back(
                static_cast<std::uint8_t>((rich ? 1 : 0) | (phonetic ? 2 : 0)));
        } catch (const RecordTooShort&) {
            break;
        }
    }
}

void Parser::finishXfs(const std::vector<std::vector<std::uint8_t>>& raw) {
    auto u16At = [](const std::vector<std::uint8_t>& bytes, std::size_t at) {
        return base::loadLittle<std::uint16_t>(bytes.data() + at);
    };
    auto u32At = [](const std::vector<std::uint8_t>& bytes, std::size_t at) {
        return base::loadLittle<std::uint32_t>(bytes.data() + at);
    };
    auto fontLooksDefault = [&](std::uint16_t index) {
        if (index == 0) return true;
        if (index == 4) return false;  // there is no font 4
        std::size_t position = index < 4 ? index : index - 1u;
        return position < m_fonts.size() && !m_fonts.empty() && m_fonts[position] == m_fonts[0];
    };
    m_xfs.reserve(raw.size());
    for (const std::vector<std::uint8_t>& bytes : raw) {
        XfInfo info;
        if (bytes.size() < 20) {
            m_xfs.push_back(info);
            continue;
        }
        std::uint16_t formatIndex = u16At(bytes, 2);
        auto custom = m_formats.find(formatIndex);
        info.format = custom != m_formats.end() ? classifyFormatString(custom->second)
                                                : classifyBuiltInFormat(formatIndex);
        bool writableFormat = formatIndex == kFormatGeneral || formatIndex == kFormatDate ||
                              formatIndex == kFormatTime || formatIndex == kFormatDateTime;
        std::uint32_t borders = u32At(bytes, 10);
        std::uint32_t fill = u32At(bytes, 14);
        info.plain = writableFormat && fontLooksDefault(u16At(bytes, 0)) && bytes[6] == 0x20 &&
                     bytes[7] == 0 && (bytes[8] & 0x3F) == 0 && (borders & 0xC000FFFFu) == 0 &&
                     (fill & 0xFC000000u) == 0 && ((fill >> 21) & 0x0F) == 0;
        m_xfs.push_back(info);
    }
}

const XfInfo& Parser::xf(std::uint16_t index) const {
    // A cell naming an XF that is not there is shown in the default format.
    static const XfInfo kDefault;
    return index < m_xfs.size() ? m_xfs[index] : kDefault;
}

void Parser::readSheets() {
    if (m_data.activeSheet >= m_sheetEntries.size()) m_data.activeSheet = 0;
    m_data.sheets.resize(m_sheetEntries.size());

    // Sheets are read in the order they lie in the stream, each after the end of the one
    // before, so every byte is read once whatever the BOUNDSHEET records claim.
    std::vector<std::size_t> order(m_sheetEntries.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return m_sheetEntries[a].offset < m_sheetEntries[b].offset;
    });
    std::size_t end = m_globalsEnd;
    for (std::size_t i : order) {
        const SheetEntry& entry = m_sheetEntries[i];
        Sheet& sheet = m_data.sheets[i];
        sheet.name = entry.name;
        sheet.visibility = entry.state == 1   ? SheetVisibility::Hidden
                           : entry.state == 2 ? SheetVisibility::VeryHidden
                                              : SheetVisibility::Visible;
        if (entry.offset >= m_stream.size()) {
            damaged("sheet \"" + entry.name + "\" is placed outside the workbook stream");
        }
        if (entry.offset < end) {
            damaged("sheet \"" + entry.name +
                    "\" is placed over the workbook globals or another sheet");
        }
        end = readSheet(entry, sheet);
    }
}

std::size_t Parser::readSheet(const SheetEntry& entry, Sheet& sheet) {
    const std::string where = "sheet \"" + entry.name + "\"";
    RecordReader reader(m_stream, entry.offset);
    Record record;
    try {
        if (!reader.next(record) || record.id != record::kBof || record.body().size() < 4) {
            damaged(where + " does not start where the workbook says");
        }
    } catch (const RecordTooShort&) {
        damaged(where + " is cut short");
    }
    auto substreamType = base::loadLittle<std::uint16_t>(record.body().data() + 2);
    bool worksheet = entry.type == sheettype::kWorksheet && substreamType == substream::kWorksheet;
    if (entry.type == sheettype::kChart || substreamType == substream::kChart) {
        sheet.kind = SheetKind::Chart;
        note("chart sheets");
    } else if (entry.type == sheettype::kMacroSheet || entry.type == sheettype::kVbModule ||
               substreamType == substream::kMacroSheet || substreamType == substream::kVbModule) {
        sheet.kind = SheetKind::Macro;
        note("macro sheets");
    } else if (!worksheet) {
        sheet.kind = SheetKind::Other;
        note("sheets of other kinds");
    }

    m_pendingFormulaText.reset();
    int depth = 1;
    while (true) {
        try {
            if (!reader.next(record)) damaged(where + " is cut short");
        } catch (const RecordTooShort&) {
            damaged(where + " is cut short");
        }
        if (record.id == record::kBof) {
            ++depth;
            if (worksheet) note("charts");
            continue;
        }
        if (record.id == record::kEof && --depth == 0) break;
        if (depth > 1 || !worksheet) continue;
        try {
            readCell(record, sheet);
        } catch (const RecordTooShort&) {
            damaged("record " + hex4(record.id) + " of " + where + " is too short");
        }
    }
    if (m_pendingFormulaText) addCell(sheet, *m_pendingFormulaText);
    m_pendingFormulaText.reset();

    auto position = [](const Cell& cell) { return std::pair(cell.row, cell.column); };
    auto before = [&](const Cell& a, const Cell& b) { return position(a) < position(b); };
    if (!std::is_sorted(sheet.cells.begin(), sheet.cells.end(), before)) {
        std::stable_sort(sheet.cells.begin(), sheet.cells.end(), before);
    }
    // Of two records for one cell the later one, last in its run after the stable sort, wins.
    auto last =
        std::unique(sheet.cells.rbegin(), sheet.cells.rend(),
                    [&](const Cell& a, const Cell& b) { return position(a) == position(b); });
    sheet.cells.erase(sheet.cells.begin(), last.base());
    return reader.position();
}

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

}  // namespace

WorkbookData parseWorkbookStream(std::span<const std::uint8_t> stream, const std::string& path) {
    return Parser(stream, path).parse();
}

}  // namespace xls::biff8
