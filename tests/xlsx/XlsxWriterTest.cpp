// The .xlsx writer: escaping, the merge of stored cells with a produced block, the limits, and
// files that appear whole or not at all.
#include "tests/export/WorkbookReaders.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"
#include "xls/StringTable.h"
#include "xlsx/WorkbookView.h"
#include "xlsx/detail/SheetData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

using testsupport::ReadCell;
using xlsx::RowCell;

TEST(XlsxEscapeTest, TextIsEscapedForXmlAndForTheSpreadsheetEscapeForm) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain text, \"quoted\" 'too'", "plain text, \"quoted\" 'too'"},
        {"<a & b>", "&lt;a &amp; b&gt;"},
        {"tab\tand\nline feed stay", "tab\tand\nline feed stay"},
        {"cr\r", "cr_x000D_"},
        {std::string("\x00\x01\x1f", 3), "_x0000__x0001__x001F_"},
        {"_x0041_ and _x00e9_", "_x005F_x0041_ and _x005F_x00e9_"},
        {"_x004_ _xZZZZ_ a_b _", "_x004_ _xZZZZ_ a_b _"},
        {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", "_xFFFE__xFFFF_\xEF\xBF\xBD"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
    };
    for (const auto& [text, escaped] : cases) {
        std::string out = "<";
        xlsx::detail::appendEscaped(out, text);
        EXPECT_EQ(out, "<" + escaped) << text;
    }
}

// Rows of cells handed out in turn; throws instead of the row numbered failAt.
class Rows : public xlsx::RowProducer {
public:
    explicit Rows(std::vector<std::vector<RowCell>> rows, std::size_t failAt = SIZE_MAX)
        : m_rows(std::move(rows)), m_failAt(failAt) {}
    void start() override {
        m_next = 0;
        ++starts;
    }
    std::span<const RowCell> next() override {
        if (m_next == m_failAt) throw std::logic_error("the source failed");
        return m_rows.at(m_next++);
    }
    int starts = 0;

private:
    std::vector<std::vector<RowCell>> m_rows;
    std::size_t m_failAt;
    std::size_t m_next = 0;
};

RowCell number(double value, xls::NumberFormat format = xls::NumberFormat::General) {
    RowCell cell;
    cell.kind = RowCell::Kind::Number;
    cell.number = value;
    cell.format = format;
    return cell;
}

RowCell text(std::string_view value) {
    RowCell cell;
    cell.kind = RowCell::Kind::Text;
    cell.text = value;
    return cell;
}

RowCell boolean(bool value) {
    RowCell cell;
    cell.kind = RowCell::Kind::Boolean;
    cell.boolean = value;
    return cell;
}

class XlsxWriterTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    xls::StringTable texts;
    std::vector<xls::PackedCell> cells;

    xlsx::WorkbookView book(std::optional<xlsx::RowBlock> block = std::nullopt) {
        xlsx::WorkbookView view;
        view.texts = &texts;
        xlsx::SheetView& sheet = view.sheets.emplace_back();
        sheet.name = "Data";
        sheet.cells = cells;
        sheet.block = block;
        view.sheets.emplace_back().name = "Other";
        return view;
    }
    std::uint32_t addText(std::string_view value) { return texts.add(value).id; }
    std::size_t files() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST_F(XlsxWriterTest, StoredCellsAndTheProducedBlockMergeRowByRowWithTheirTypes) {
    cells = {xls::PackedCell::text(0, 0, addText("  names  ")),
             xls::PackedCell::text(0, 1, addText("=1+1")), xls::PackedCell::number(2, 0, 7),
             xls::PackedCell::error(2, 4, 0x2A), xls::PackedCell::boolean(3, 5, true)};
    Rows rows({{text("00123"), number(45351.5, xls::NumberFormat::DateTime), RowCell{}},
               {text(" x"), number(45351, xls::NumberFormat::Date), boolean(false)},
               {text(""), number(0.25, xls::NumberFormat::Time), number(-1.5e300)}});
    const std::string path = (dir / "merged.xlsx").string();
    xlsx::writeWorkbook(path, book(xlsx::RowBlock{2, 1, 3, 3, &rows}));
    EXPECT_EQ(rows.starts, 1);

    testsupport::ReadSheet sheet = testsupport::readWithOpenpyxl(path, "Data");
    EXPECT_EQ(sheet.sheetNames, (std::vector<std::string>{"Data", "Other"}));
    const std::map<std::pair<unsigned, unsigned>, ReadCell> expected = {
        {{0, 0}, {"text", "  names  "}},
        {{0, 1}, {"text", "=1+1"}},
        {{2, 0}, {"number", "7.0"}},
        {{2, 1}, {"text", "00123"}},
        {{2, 2}, {"date", "2024-02-29 12:00:00"}},
        {{2, 4}, {"other", "'#N/A'"}},
        {{3, 1}, {"text", " x"}},
        {{3, 2}, {"date", "2024-02-29"}},
        {{3, 3}, {"boolean", "0"}},
        {{3, 5}, {"boolean", "1"}},
        {{4, 2}, {"time", "06:00:00"}},
        {{4, 3}, {"number", "-1.5e+300"}},
    };
    EXPECT_EQ(sheet.cells, expected);
    EXPECT_EQ(testsupport::readWithOpenpyxl(path, "Other").cells.size(), 0u);
    // Small parts need no ZIP64: the first entry asks for version 2.0 only.
    EXPECT_EQ(testsupport::readFileBytes(path).at(4), 20);
}

TEST_F(XlsxWriterTest, RefusalsAndFailuresLeaveNothingBehindAndAnOldFileAsItWas) {
    const std::filesystem::path path = dir / "out.xlsx";
    testsupport::writeFileBytes(path, {'o', 'l', 'd'});
    Rows rows({{number(1)}, {number(2)}, {number(3)}}, 1);
    cells = {xls::PackedCell::number(2, 1, 9)};
    struct Case {
        xlsx::RowBlock block;
        const char* reason;
    };
    const Case cases[] = {
        {{1048570, 0, 7, 1, &rows}, "row 1048577"},
        {{0, 16380, 1, 5, &rows}, "column 16385"},
        {{2, 1, 3, 1, &rows}, "cell B3 of Data has two values"},
    };
    for (const Case& c : cases) {
        try {
            xlsx::writeWorkbook(path.string(), book(c.block));
            ADD_FAILURE() << c.reason;
        } catch (const xlsx::XlsxError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
    cells.clear();
    EXPECT_THROW(xlsx::writeWorkbook(path.string(), book(xlsx::RowBlock{0, 0, 3, 1, &rows})),
                 std::logic_error);
    EXPECT_EQ(testsupport::readFileBytes(path), (testsupport::Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(files(), 1u);
    EXPECT_THROW(xlsx::writeWorkbook((dir / "missing" / "x.xlsx").string(), book()),
                 xlsx::XlsxError);
}

}  // namespace
