#include "xls/biff8/WorkbookParser.h"

#include "base/Endian.h"
#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/NumberFormats.h"
#include "xls/biff8/ParserState.h"
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

namespace detail {

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

}  // namespace detail

WorkbookData parseWorkbookStream(std::span<const std::uint8_t> stream, const std::string& path) {
    return detail::Parser(stream, path).parse();
}

}  // namespace xls::biff8
