// The writer's in-place input: the string table that keeps a workbook's texts, the 12-byte
// packed cell, and the refusals that only a view (not WorkbookData) can run into.
#include "tests/support/TestPaths.h"
#include "tests/xls/XlsTestHelpers.h"
#include "xls/StringTable.h"
#include "xls/WorkbookView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

using xls::PackedCell;
using xls::StringTable;

TEST(XlsStringTable, TextsKeepTheirBytesAcrossStorageBlocks) {
    // Texts of every length up to the longest the table takes fill several storage blocks.
    StringTable texts;
    std::vector<std::pair<std::uint32_t, std::string>> added;
    for (int i = 0; i < 3000; ++i) {
        std::string text = std::to_string(i) + std::string(static_cast<std::size_t>(i % 1999), 'x');
        if (i % 500 == 0) text = std::string(StringTable::kMaxStoredUnits / 2, 'L') + "Î©";
        if (i % 500 == 250) text = std::string(StringTable::kMaxStoredUnits, 'M');
        StringTable::Added result = texts.add(text, StringTable::kMaxStoredUnits);
        ASSERT_EQ(result.refusal, StringTable::Refusal::None) << "text " << i;
        added.emplace_back(result.id, text);
    }
    for (const auto& [id, text] : added) {
        ASSERT_EQ(texts.text(id), text) << "text " << id;
    }
}

TEST(XlsStringTable, TextsAreCheckedAndDescribedForTheSharedStringTable) {
    struct Case {
        const char* name;
        std::string utf8;
        StringTable::Refusal refusal;
        std::size_t units = 0;
        bool singleByte = false;
        bool ascii = false;
    };
    std::string clefs;  // U+1D11E, two UTF-16 units each
    for (int i = 0; i < 16384; ++i) clefs += "\xF0\x9D\x84\x9E";
    const Case cases[] = {
        {"ASCII", "plain text", StringTable::Refusal::None, 10, true, true},
        {"Latin-1", "caf\xC3\xA9", StringTable::Refusal::None, 4, true, false},
        {"Greek", "\xCE\xA9mega", StringTable::Refusal::None, 5, false, false},
        {"a pair", "\xF0\x9F\x98\x80", StringTable::Refusal::None, 2, false, false},
        {"empty", "", StringTable::Refusal::None, 0, true, true},
        {"the longest", std::string(32767, 'x'), StringTable::Refusal::None, 32767, true, true},
        {"one unit too long", std::string(32768, 'x'), StringTable::Refusal::TooLong, 32768},
        {"too long in pairs", clefs, StringTable::Refusal::TooLong, 32768},
        {"cut sequence", "caf\xC3", StringTable::Refusal::NotUtf8},
        {"Latin-1 byte", "caf\xE9", StringTable::Refusal::NotUtf8},
        {"encoded surrogate", "\xED\xA0\x80", StringTable::Refusal::NotUtf8},
        {"overlong", "\xC0\xAF", StringTable::Refusal::NotUtf8},
    };
    StringTable texts;
    for (const Case& c : cases) {
        StringTable::Added added = texts.add(c.utf8);
        ASSERT_EQ(added.refusal, c.refusal) << c.name;
        if (c.refusal == StringTable::Refusal::TooLong) {
            EXPECT_EQ(added.units, c.units) << c.name;
        }
        if (c.refusal != StringTable::Refusal::None) continue;
        EXPECT_EQ(texts.text(added.id), c.utf8) << c.name;
        EXPECT_EQ(texts.units(added.id), c.units) << c.name;
        EXPECT_EQ(texts.singleByte(added.id), c.singleByte) << c.name;
        EXPECT_EQ(texts.ascii(added.id), c.ascii) << c.name;
    }
    // A file's text may be longer than a cell holds when the caller allows it.
    StringTable::Added read = texts.add(std::string(40000, 'r'), StringTable::kMaxStoredUnits);
    EXPECT_EQ(read.refusal, StringTable::Refusal::None);
    EXPECT_EQ(texts.units(read.id), 40000u);
}

TEST(XlsPackedCell, EveryFieldSurvivesPackingAtTheSheetsEdges) {
    for (std::uint32_t row : {0u, 1u, 255u, 256u, 65535u}) {
        for (std::uint32_t column : {0u, 1u, 254u, 255u}) {
            PackedCell number = PackedCell::number(row, column, -0.0, xls::NumberFormat::Other);
            EXPECT_EQ(number.row(), row);
            EXPECT_EQ(number.column(), column);
            EXPECT_EQ(number.key(), row * 256 + column);
            EXPECT_EQ(number.type(), xls::CellType::Number);
            EXPECT_EQ(number.format(), xls::NumberFormat::Other);
            EXPECT_TRUE(std::signbit(number.number()));
            PackedCell text = PackedCell::text(row, column, 0xFFFFFFFFu);
            EXPECT_EQ(text.type(), xls::CellType::Text);
            EXPECT_EQ(text.textId(), 0xFFFFFFFFu);
            EXPECT_EQ(text.format(), xls::NumberFormat::General);
            EXPECT_TRUE(PackedCell::boolean(row, column, true).boolean());
            EXPECT_EQ(PackedCell::error(row, column, 0x2A).errorCode(), 0x2A);
            EXPECT_EQ(PackedCell::error(row, column, 0x2A).type(), xls::CellType::Error);
        }
    }
    const double values[] = {1.0 / 3, -1e308, std::numeric_limits<double>::denorm_min(), 45351.75};
    for (double value : values) {
        PackedCell cell = PackedCell::number(7, 3, value, xls::NumberFormat::DateTime);
        EXPECT_EQ(cell.number(), value);
        cell.moveTo(65535, 255);
        EXPECT_EQ(cell.number(), value);
        EXPECT_EQ(cell.format(), xls::NumberFormat::DateTime);
        EXPECT_EQ(cell.key(), 65535u * 256 + 255);
    }
}

// A one-sheet view over cells and texts the test keeps.
xls::WorkbookView viewOf(const StringTable& texts, const std::vector<PackedCell>& cells) {
    xls::WorkbookView view;
    view.texts = &texts;
    xls::SheetView& sheet = view.sheets.emplace_back();
    sheet.name = "Sheet1";
    sheet.cells = cells;
    return view;
}

TEST(XlsWorkbookView, CellsOutOfOrderOrWithUnknownTextsAreRefusedBeforeAnyByte) {
    StringTable texts;
    std::uint32_t a = texts.add("a").id;
    std::uint32_t longText = texts.add(std::string(40000, 'z'), StringTable::kMaxStoredUnits).id;
    struct Case {
        const char* name;
        std::vector<PackedCell> cells;
        const char* description;
    };
    const Case cases[] = {
        {"descending",
         {PackedCell::number(2, 0, 1), PackedCell::number(1, 0, 2)},
         "are not in row order"},
        {"twice", {PackedCell::text(0, 1, a), PackedCell::number(0, 1, 2)}, "B1"},
        {"unknown text", {PackedCell::text(0, 0, 99)}, "refers to a text"},
        {"text longer than a cell", {PackedCell::text(3, 2, longText)}, "40,000 characters"},
    };
    testsupport::TempDir folder;
    const std::string path = (folder / "refused.xls").string();
    for (const Case& c : cases) {
        try {
            xls::writeWorkbook(path, viewOf(texts, c.cells));
            ADD_FAILURE() << c.name << ": written";
        } catch (const xls::XlsError& error) {
            EXPECT_NE(std::string(error.what()).find(c.description), std::string::npos)
                << c.name << ": " << error.what();
        }
        EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
    }
}

TEST(XlsWorkbookView, AViewIsWrittenAsItsCellsSay) {
    StringTable texts;
    std::uint32_t name = texts.add("name").id;
    std::uint32_t empty = texts.add("").id;
    std::vector<PackedCell> cells = {
        PackedCell::text(0, 0, name),
        PackedCell::text(0, 1, empty),  // written as no cell
        PackedCell::number(1, 0, 45351, xls::NumberFormat::Date),
        PackedCell::boolean(1, 1, true),
        PackedCell::text(2, 255, name),
        PackedCell::error(65535, 3, 0x07),
    };
    testsupport::TempDir folder;
    const std::string path = (folder / "view.xls").string();
    xls::writeWorkbook(path, viewOf(texts, cells));

    xls::WorkbookData back = xls::readWorkbook(path);
    ASSERT_EQ(back.sheets.size(), 1u);
    const std::vector<xls::Cell>& got = back.sheets[0].cells;
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].text, "name");
    EXPECT_EQ(got[1].format, xls::NumberFormat::Date);
    EXPECT_EQ(got[1].number, 45351);
    EXPECT_TRUE(got[2].boolean);
    EXPECT_EQ(got[3].column, 255);
    EXPECT_EQ(got[3].text, "name");
    EXPECT_EQ(got[4].row, 65535u);
    EXPECT_EQ(got[4].errorCode, 0x07);
}

}  // namespace
