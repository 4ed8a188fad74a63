// Every workbook in tests/data/xls opened as its worksheet Sheet1: the values of the CSV beside
// it (python3-xlrd's reading), or a clear refusal for the files that must be refused.
#include "engine/EngineError.h"
#include "engine/TableSource.h"
#include "engine/xls/XlsSheetSource.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using engine::Value;

// What each file must give. An empty refusal means: opens, and matches its CSV.
const std::map<std::string, std::string> kExpected = {
    {"jmcnamara-spreadsheet-parseexcel/long_string7.xls", ""},
    {"jmcnamara-spreadsheet-parseexcel/Test2000J.xls", ""},
    {"jmcnamara-spreadsheet-parseexcel/Dates1904.xls", ""},
    {"exceldatareader/TestMultiSheet.xls", ""},
    {"exceldatareader/Test_git_issue_392_oob.xls", ""},
    {"exceldatareader/Test255x10.xls", ""},
    {"python-excel-xlrd/namesdemo.xls", ""},
    {"python-excel-xlrd/formula_test_sjmachin.xls", ""},
    {"exceldatareader/Test_num_double_date_bool_string.xls", ""},
    {"roo-rb-roo/datetime.xls", ""},
    {"exceldatareader/Test_git_issue_224_simple.xls", ""},
    {"sheetjs-test-files/rich_text_stress.xls", ""},
    {"libxls/65536-rows-xls.xls", ""},
    {"python-excel-xlrd/formula_test_names.xls", ""},
    {"tafia-calamine/date_1904.xls", ""},
    {"sheetjs-test-files/A4X_gnumeric.xls", ""},
    // Valid workbooks without a worksheet named Sheet1.
    {"tafia-calamine/any_sheets.xls", "has no worksheet named Sheet1."},
    {"zdavatz-spreadsheet/test_formula.xls", "has no worksheet named Sheet1."},
    {"apache-poi/BOOK_in_capitals.xls", "has no worksheet named Sheet1."},
    {"exceldatareader/Test_Issue_11636_BiffStream.xls", "has no worksheet named Sheet1."},
    // Files that are not readable BIFF8 workbooks.
    {"exceldatareader/as3xls_BIFF2.xls", "(BIFF2-4); only Excel 97-2003 workbooks"},
    {"exceldatareader/as3xls_BIFF3.xls", "(BIFF2-4); only Excel 97-2003 workbooks"},
    {"exceldatareader/as3xls_BIFF4.xls", "(BIFF2-4); only Excel 97-2003 workbooks"},
    {"exceldatareader/as3xls_BIFF5.xls", "(BIFF5); only Excel 97-2003 workbooks"},
    {"apache-poi/xor-encryption-abc.xls", "is password-protected"},
    {"exceldatareader/Test_git_issue_242_std_rc4_pwd_password.xls", "is password-protected"},
    {"roo-rb-roo/type_excelx.xls", "not an Excel 97-2003 workbook (.xls)"},
    {"tafia-calamine/too_small.xls", "too short"},
    {"phpoffice-phpspreadsheet/oleloop.xls", "is damaged"},
    // Claims 255 shared strings and holds 23: read, checked in XlsReader; it has no CSV.
    {"exceldatareader/Test_git_issue_477_sst_wrong_count.xls", "-"},
};

// Cells where xlrd's reading is not what the worksheet holds; the value asserted instead.
// Key: file, 1-based row, 0-based column.
const std::map<std::tuple<std::string, int, int>, std::string> kXlrdIsWrong = {
    // A time of day (format h"時"mm"分"ss"秒"): xlrd puts it on 1899-12-31, a date the cell does
    // not hold. The columns also hold dates, so they are text columns.
    {{"jmcnamara-spreadsheet-parseexcel/Test2000J.xls", 7, 1}, "12:23:45"},
    {{"jmcnamara-spreadsheet-parseexcel/Test2000J.xls", 7, 2}, "12:23:45"},
    // A [hh]:mm:ss duration of 10.632 days: xlrd reads it as a 1904 date-time; the worksheet
    // shows 255:10:10.
    {{"tafia-calamine/date_1904.xls", 3, 0}, "255:10:10"},
};

std::vector<std::vector<std::string>> readCsv(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        any = true;
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else if (c != '\r') {
            field += c;
        }
    }
    if (any) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool numericallyEqual(const std::string& a, const std::string& b) {
    char* endA = nullptr;
    char* endB = nullptr;
    double x = std::strtod(a.c_str(), &endA);
    double y = std::strtod(b.c_str(), &endB);
    if (a.empty() || b.empty() || *endA != '\0' || *endB != '\0') return false;
    return std::fabs(x - y) <= 1e-12 * std::max(1.0, std::fabs(y));
}

// Whether a value read by the driver is what xlrd wrote into the CSV.
bool matches(const Value& value, const std::string& csv) {
    switch (value.kind()) {
        case Value::Kind::Null:
            return csv.empty();
        case Value::Kind::Number:
            return numericallyEqual(value.toString(), csv);
        case Value::Kind::Date:
            return value.asDate().toIsoString() == csv;
        case Value::Kind::Boolean:
            return csv == (value.asBoolean() ? "true" : "false");
        case Value::Kind::Text: {
            const std::string& text = value.asText();
            // A mixed column gives numbers in plain decimal (xlrd: "2.0") and booleans as
            // TRUE/FALSE (xlrd: true/false).
            return text == csv || numericallyEqual(text, csv) ||
                   (text == "TRUE" && csv == "true") || (text == "FALSE" && csv == "false");
        }
        case Value::Kind::DateTime:  // worksheets give neither
        case Value::Kind::Binary:
            return false;
    }
    return false;
}

// A field name for a header cell: its text (numbers compared as numbers), F<n> when empty, and
// "_<n>" added when an earlier column had the same name.
bool nameMatches(const std::string& name, const std::string& csv, std::size_t column) {
    if (csv.empty())
        return name.size() > 1 && name[0] == 'F' && name.substr(1) == std::to_string(column + 1);
    if (name == csv || numericallyEqual(name, csv) || (name == "TRUE" && csv == "true"))
        return true;
    std::size_t underscore = name.rfind('_');
    return underscore != std::string::npos && nameMatches(name.substr(0, underscore), csv, column);
}

void compareWithCsv(const std::string& file, const engine::TableSource& source) {
    auto csv = readCsv(testsupport::dataPath("xls/" + file + ".Sheet1.csv"));
    const auto& fields = source.fields();
    if (csv.empty()) {
        EXPECT_EQ(fields.size(), 1u);
        EXPECT_EQ(fields[0].name, "F1");
        EXPECT_EQ(source.physicalCount(), 0u);
        return;
    }
    std::size_t width = 0;
    for (const auto& row : csv) width = std::max(width, row.size());
    ASSERT_EQ(fields.size(), width);
    ASSERT_EQ(source.physicalCount(), csv.size() - 1);
    for (std::size_t column = 0; column < width; ++column) {
        std::string header = column < csv[0].size() ? csv[0][column] : "";
        EXPECT_TRUE(nameMatches(fields[column].name, header, column))
            << "field " << column << ": " << fields[column].name << " for " << header;
    }
    std::vector<Value> record;
    for (std::uint32_t r = 0; r < source.physicalCount(); ++r) {
        source.readRecord(r, record);
        const auto& row = csv[r + 1];
        for (std::size_t column = 0; column < width; ++column) {
            std::string expected = column < row.size() ? row[column] : "";
            auto wrong = kXlrdIsWrong.find({file, int(r) + 2, int(column)});
            if (wrong != kXlrdIsWrong.end()) {
                EXPECT_EQ(record[column], Value::text(wrong->second)) << "row " << r + 2;
                continue;
            }
            EXPECT_TRUE(matches(record[column], expected))
                << "row " << r + 2 << ", column " << column << ": " << record[column].toString()
                << " for " << expected;
        }
    }
}

TEST(XlsFixtures, EveryWorkbookOpensAsItsCsvSaysOrIsRefusedClearly) {
    std::filesystem::path root = testsupport::dataPath("xls");
    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".xls") continue;
        std::string file = std::filesystem::relative(entry.path(), root).generic_string();
        SCOPED_TRACE(file);
        auto expected = kExpected.find(file);
        ASSERT_NE(expected, kExpected.end()) << "a workbook without an expectation";
        ++seen;
        if (expected->second == "-") continue;
        try {
            auto source = engine::openWorksheet(entry.path().string(), "Sheet1");
            EXPECT_EQ(expected->second, "") << "opened";
            if (expected->second.empty()) compareWithCsv(file, *source);
        } catch (const engine::EngineError& error) {
            std::string description = error.what();
            EXPECT_NE(expected->second, "") << description;
            EXPECT_NE(description.find(expected->second), std::string::npos) << description;
            EXPECT_NE(description.find(entry.path().string()), std::string::npos) << description;
        }
    }
    EXPECT_EQ(seen, kExpected.size());
}

}  // namespace
