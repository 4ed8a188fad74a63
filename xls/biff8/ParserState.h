// The workbook stream's parser, shared by the files that read its records: the globals and the
// sheets (WorkbookParser.cpp) and the cell records of a sheet (CellRecords.cpp).
#pragma once

#include "xls/biff8/NumberFormats.h"
#include "xls/biff8/RecordReader.h"
#include "xls/biff8/WorkbookParser.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace xls::biff8::detail {

// Records of a worksheet that this library's data cannot hold, and how they are named in
// WorkbookData::unsupportedContent.
constexpr std::uint16_t kTable = 0x0236;
constexpr std::uint16_t kCondFmtRule = 0x01B1;
constexpr std::uint16_t kTxo = 0x01B6;

inline std::string hex4(std::uint16_t value) {
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

}  // namespace xls::biff8::detail
