// The reader on real workbooks: what it refuses and why, what it reads from the hard cases, and
// what it reports as content its data cannot hold.
#include "tests/support/TestPaths.h"
#include "tests/xls/XlsTestHelpers.h"
#include "xls/WorkbookData.h"
#include "xls/biff8/NumberFormats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using xls::CellType;
using xls::NumberFormat;
using xls::WorkbookData;

std::string fixture(const std::string& name) {
    return testsupport::dataPath("xls/" + name).string();
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

const xls::Sheet& sheetNamed(const WorkbookData& workbook, const std::string& name) {
    for (const xls::Sheet& sheet : workbook.sheets) {
        if (sheet.name == name) return sheet;
    }
    throw std::runtime_error("no sheet " + name);
}

TEST(XlsReader, FilesThatAreNotReadableWorkbooksAreRefusedWithTheReason) {
    testsupport::TempDir folder;
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {fixture("exceldatareader/as3xls_BIFF2.xls"), "is an Excel 2.x-4.0 worksheet (BIFF2-4)"},
        {fixture("exceldatareader/as3xls_BIFF3.xls"), "(BIFF2-4)"},
        {fixture("exceldatareader/as3xls_BIFF4.xls"), "(BIFF2-4)"},
        {fixture("exceldatareader/as3xls_BIFF5.xls"), "is an Excel 5.0/95 workbook (BIFF5)"},
        {fixture("apache-poi/xor-encryption-abc.xls"), "is password-protected"},
        {fixture("exceldatareader/Test_git_issue_242_std_rc4_pwd_password.xls"),
         "is password-protected"},
        {fixture("roo-rb-roo/type_excelx.xls"), "(.xlsx), not an Excel 97-2003 workbook (.xls)"},
        {fixture("tafia-calamine/too_small.xls"), "it is too short (68 bytes)"},
        {fixture("phpoffice-phpspreadsheet/oleloop.xls"),
         "is damaged: its compound-file structure is invalid"},
        {(folder / "absent.xls").string(), "does not exist"},
        {folder.path().string(), "is a folder, not a workbook file"},
    };
    for (const Case& c : cases) {
        try {
            xls::readWorkbook(c.path);
            ADD_FAILURE() << c.path << ": read";
        } catch (const xls::XlsError& error) {
            std::string description = error.what();
            EXPECT_NE(description.find(c.path), std::string::npos) << description;
            EXPECT_NE(description.find(c.reason), std::string::npos) << description;
        }
    }
}

TEST(XlsReader, FormulaCellsGiveTheirCachedResultOfEveryKind) {
    WorkbookData workbook =
        xls::readWorkbook(fixture("python-excel-xlrd/formula_test_sjmachin.xls"));
    const auto& cells = sheetNamed(workbook, "Sheet1").cells;
    auto at = [&](std::uint32_t row) -> const xls::Cell& {
        for (const auto& cell : cells) {
            if (cell.row == row && cell.column == 1) return cell;
        }
        throw std::runtime_error("no cell");
    };
    EXPECT_EQ(at(2).type, CellType::Number);
    EXPECT_DOUBLE_EQ(at(2).number, 1.0 / 7);
    EXPECT_EQ(at(3).text, "ABCDEF");  // from the STRING record after the FORMULA
    EXPECT_EQ(at(4).type, CellType::Text);
    EXPECT_EQ(at(4).text, "");
    EXPECT_EQ(at(5).type, CellType::Boolean);
    EXPECT_TRUE(at(5).boolean);
    EXPECT_EQ(at(6).type, CellType::Error);
    EXPECT_EQ(xls::errorText(at(6).errorCode), "#DIV/0!");
    EXPECT_EQ(at(7).text,
              "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90 "
              "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0");
    for (std::uint32_t row = 2; row <= 7; ++row) EXPECT_TRUE(at(row).fromFormula) << row;
    EXPECT_TRUE(contains(workbook.unsupportedContent, "formulas"));
}

TEST(XlsReader, SheetsKeepTheirNamesVisibilityAndKinds) {
    WorkbookData workbook = xls::readWorkbook(fixture("tafia-calamine/any_sheets.xls"));
    ASSERT_EQ(workbook.sheets.size(), 4u);
    const struct {
        const char* name;
        xls::SheetVisibility visibility;
        xls::SheetKind kind;
    } expected[] = {
        {"Visible", xls::SheetVisibility::Visible, xls::SheetKind::Worksheet},
        {"Hidden", xls::SheetVisibility::Hidden, xls::SheetKind::Worksheet},
        {"VeryHidden", xls::SheetVisibility::VeryHidden, xls::SheetKind::Worksheet},
        {"Chart", xls::SheetVisibility::Visible, xls::SheetKind::Chart},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(workbook.sheets[i].name, expected[i].name);
        EXPECT_EQ(workbook.sheets[i].visibility, expected[i].visibility) << expected[i].name;
        EXPECT_EQ(workbook.sheets[i].kind, expected[i].kind) << expected[i].name;
    }
    EXPECT_TRUE(contains(workbook.unsupportedContent, "chart sheets"));
    EXPECT_TRUE(contains(workbook.unsupportedContent, "macros"));
}

TEST(XlsReader, ContentTheDataCannotHoldIsReported) {
    const struct {
        const char* file;
        std::vector<std::string> expected;
    } cases[] = {
        {"python-excel-xlrd/namesdemo.xls", {"defined names", "formulas", "document properties"}},
        {"jmcnamara-spreadsheet-parseexcel/Test2000J.xls",
         {"merged cells", "phonetic guides", "cell formatting"}},
        {"sheetjs-test-files/rich_text_stress.xls", {"rich text formatting"}},
        {"roo-rb-roo/datetime.xls", {"cell formatting"}},  // custom date formats
        {"exceldatareader/Test_Issue_11636_BiffStream.xls", {"merged cells", "defined names"}},
    };
    for (const auto& c : cases) {
        WorkbookData workbook = xls::readWorkbook(fixture(c.file));
        for (const std::string& content : c.expected) {
            EXPECT_TRUE(contains(workbook.unsupportedContent, content))
                << c.file << ": " << content;
        }
    }
    // A plain workbook of strings made by a spreadsheet program holds only its properties.
    WorkbookData plain =
        xls::readWorkbook(fixture("jmcnamara-spreadsheet-parseexcel/long_string7.xls"));
    EXPECT_EQ(plain.unsupportedContent, std::vector<std::string>{"document properties"});
}

TEST(XlsReader, StringsSplitOverContinueRecordsWithEveryEncodingChange) {
    WorkbookData workbook =
        xls::readWorkbook(fixture("jmcnamara-spreadsheet-parseexcel/long_string7.xls"));
    const std::string& longest = workbook.sheets.at(0).cells.at(0).text;
    // 30,001 characters: x's with "z\u263A" in the middle and "z" at the end.
    std::size_t smiley = longest.find("z\xE2\x98\xBA");
    ASSERT_NE(smiley, std::string::npos);
    EXPECT_EQ(longest.size(), 30001u + 2);  // the smiley takes three bytes in UTF-8
    EXPECT_EQ(longest.back(), 'z');
    EXPECT_EQ(std::count(longest.begin(), longest.end(), 'x'), 30001 - 3);
}

TEST(XlsReader, SharedStringTableWithTooHighCountsReadsTheStringsPresent) {
    // The same workbook twice: once with SST counts that claim 255 strings for the 23 there are,
    // once intact apart from two hand-made LABEL cells in A1 and C1.
    WorkbookData damaged =
        xls::readWorkbook(fixture("exceldatareader/Test_git_issue_477_sst_wrong_count.xls"));
    WorkbookData reference =
        xls::readWorkbook(fixture("exceldatareader/Test_git_issue_392_oob.xls"));
    const auto& a = damaged.sheets.at(0).cells;
    const auto& b = reference.sheets.at(0).cells;
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        bool handMade = a[i].row == 0 && (a[i].column == 0 || a[i].column == 2);
        if (!handMade) {
            EXPECT_EQ(a[i].text, b[i].text) << a[i].row << "," << a[i].column;
        }
    }
    EXPECT_EQ(a[0].text, "col1");
    EXPECT_EQ(b[0].text, "") << "a zero-length LABEL without its flags byte";
    EXPECT_EQ(b[1].text, "AAA");
}

TEST(XlsReader, NumberFormatsTellDatesTimesAndDurations) {
    using xls::biff8::classifyFormatString;
    const struct {
        const char* format;
        NumberFormat kind;
    } cases[] = {
        {"General", NumberFormat::General},
        {"0.00", NumberFormat::Other},
        {"#,##0.00 \"days\"", NumberFormat::Other},
        {"0.00E+00", NumberFormat::Other},
        {"[Red]#,##0;[Blue]-#,##0", NumberFormat::Other},
        {"[$\xE2\x82\xAC-2] #,##0.00", NumberFormat::Other},
        {"\"Dm\" 0", NumberFormat::Other},  // letters in quotes are text
        {"@", NumberFormat::Other},
        {"dd/mm/yy", NumberFormat::Date},
        {"yyyy\\-mm\\-dd", NumberFormat::Date},
        {"mmm", NumberFormat::Date},
        {"[$-411]ge.m.d", NumberFormat::Date},
        {"dd/mm/yy\\ hh:mm", NumberFormat::DateTime},
        {"m/d/yyyy\\ h:mm:ss;@", NumberFormat::DateTime},
        {"yyyy\\-mm\\-d\\Thh:mm:ss.000", NumberFormat::DateTime},
        {"h:mm AM/PM", NumberFormat::Time},
        {"mm:ss.0", NumberFormat::Time},
        {"[h]:mm:ss", NumberFormat::Time},
        {"[hh]:mm:ss", NumberFormat::Time},
        {"[mm]", NumberFormat::Time},
        {"h\"\xE6\x99\x82\"mm\"\xE5\x88\x86\"", NumberFormat::Time},
    };
    for (const auto& c : cases) EXPECT_EQ(classifyFormatString(c.format), c.kind) << c.format;

    using xls::biff8::classifyBuiltInFormat;
    EXPECT_EQ(classifyBuiltInFormat(0), NumberFormat::General);
    EXPECT_EQ(classifyBuiltInFormat(2), NumberFormat::Other);
    EXPECT_EQ(classifyBuiltInFormat(14), NumberFormat::Date);
    EXPECT_EQ(classifyBuiltInFormat(21), NumberFormat::Time);
    EXPECT_EQ(classifyBuiltInFormat(22), NumberFormat::DateTime);
    EXPECT_EQ(classifyBuiltInFormat(46), NumberFormat::Time);
    EXPECT_EQ(classifyBuiltInFormat(49), NumberFormat::Other);
    EXPECT_EQ(classifyBuiltInFormat(57), NumberFormat::Date);
}

}  // namespace
