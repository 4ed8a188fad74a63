// Sorting rows by keys with the header guess, and pivot tables of sums.
#include "spreadsheet/Application.h"
#include "spreadsheet/PivotTable.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace spreadsheet {
namespace {

class SheetTest : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = Application::create();
    Workbook& book = app->Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();

    // Fills rows from A1 down; "" leaves a cell empty, numbers are written as numbers.
    void fill(const std::vector<std::vector<std::string>>& rows, int top = 0) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                const std::string& text = rows[r][c];
                if (text.empty()) continue;
                bool number = text.find_first_not_of("0123456789.-") == std::string::npos;
                sheet.setValue(top + static_cast<int>(r), static_cast<int>(c),
                               number ? CellValue::number(std::stod(text)) : CellValue::text(text));
            }
        }
    }

    std::vector<std::string> column(int column, int top, int bottom) {
        std::vector<std::string> texts;
        for (int row = top; row <= bottom; ++row)
            texts.push_back(sheet.value(row, column).displayText());
        return texts;
    }

    void sortBy(const std::string& area, const std::string& key1, const std::string& key2,
                int header = kHeaderGuess, int order1 = kSortAscending) {
        SortOptions options;
        options.key1 = sheet.Range(key1);
        options.order1 = order1;
        options.key2 = sheet.Range(key2);
        options.header = header;
        sheet.Range(area).Sort(options);
    }
};

using SortTest = SheetTest;

TEST_F(SortTest, TwoKeysAscendingWithGuessedHeader) {
    fill({{"NAME", "AGE"}, {"b", "30"}, {"a", "40"}, {"b", "20"}, {"A", "10"}});
    sortBy("A1:B5", "A1", "B1");
    EXPECT_EQ(column(0, 0, 4), (std::vector<std::string>{"NAME", "A", "a", "b", "b"}));
    EXPECT_EQ(column(1, 0, 4), (std::vector<std::string>{"AGE", "10", "40", "20", "30"}));
}

TEST_F(SortTest, HeaderGuess) {
    // All text: no header is guessed, so the first row is sorted too.
    fill({{"name"}, {"c"}, {"b"}});
    sortBy("A1:A3", "A1", "A1");
    EXPECT_EQ(column(0, 0, 2), (std::vector<std::string>{"b", "c", "name"}));
    // A number heading is never a header.
    fill({{"9", "x"}, {"5", "y"}}, 10);
    sortBy("A11:B12", "A11", "B11");
    EXPECT_EQ(column(0, 10, 11), (std::vector<std::string>{"5", "9"}));
    // Said explicitly, the header stays whatever it holds.
    fill({{"9"}, {"5"}, {"1"}}, 20);
    sortBy("A21:A23", "A21", "A21", kHeaderYes);
    EXPECT_EQ(column(0, 20, 22), (std::vector<std::string>{"9", "1", "5"}));
}

TEST_F(SortTest, MixedValuesSortNumbersTextBooleansThenBlanksEvenDescending) {
    fill({{"x"}, {""}, {"5"}});
    sheet.setValue(3, 0, CellValue::boolean(false));
    sheet.setValue(4, 0, CellValue::number(-1));
    sortBy("A1:A5", "A1", "A1", kHeaderNo);
    EXPECT_EQ(column(0, 0, 4), (std::vector<std::string>{"-1", "5", "x", "FALSE", ""}));
    sortBy("A1:A5", "A1", "A1", kHeaderNo, kSortDescending);
    EXPECT_EQ(column(0, 0, 4), (std::vector<std::string>{"FALSE", "x", "5", "-1", ""}));
}

TEST_F(SortTest, SingleCellSortsItsCurrentRegion) {
    fill({{"K", "V"}, {"3", "c"}, {"1", "a"}, {"", ""}, {"0", "far"}});
    sortBy("A2", "A2", "B2");
    EXPECT_EQ(column(0, 0, 4), (std::vector<std::string>{"K", "1", "3", "", "0"}));
}

TEST_F(SortTest, KeysOutsideTheRangeOrOnAnotherSheetFail) {
    fill({{"1", "2"}, {"3", "4"}});
    EXPECT_THROW(sortBy("A1:B2", "C1", "A1"), SpreadsheetError);
    SortOptions options;
    options.key1 = book.Sheets().Item(2).Range("A1");
    EXPECT_THROW(sheet.Range("A1:B2").Sort(options), SpreadsheetError);
    options.key1 = sheet.Range("A1");
    options.orientation = 2;
    EXPECT_THROW(sheet.Range("A1:B2").Sort(options), SpreadsheetError);
}

using PivotTableTest = SheetTest;

TEST_F(PivotTableTest, SumsByRowAndColumnFieldsOnANewSheet) {
    fill({{"NOMBRE", "CEDULA", "FECHA", "HORAS"},
          {"Luis", "200", "d1", "3"},
          {"Ana", "100", "d1", "8"},
          {"Ana", "100", "d2", "4"},
          {"Ana", "100", "d1", "1.5"},
          {"", "200", "d1", "2"}});
    PivotTable& table = sheet.PivotTableWizard(1, "A1:D6", "", "P");
    Worksheet& pivot = table.sheet();
    EXPECT_EQ(&book.ActiveSheet(), &pivot);
    EXPECT_EQ(book.Sheets().indexOf(pivot), 0);
    table.AddFields({"NOMBRE"}, {"CEDULA", "FECHA"});
    pivot.PivotTables("p").PivotFields("horas").SetOrientation(kPivotDataField);

    std::vector<std::vector<std::string>> shown;
    for (int row = 0; row <= 7; ++row) {
        std::vector<std::string>& line = shown.emplace_back();
        for (int column = 0; column <= 4; ++column)
            line.push_back(pivot.value(row, column).displayText());
    }
    const std::vector<std::vector<std::string>> expected = {
        {"Sum of HORAS", "", "", "", ""}, {"CEDULA", "100", "100", "200", "Grand Total"},
        {"FECHA", "d1", "d2", "d1", ""},  {"NOMBRE", "", "", "", ""},
        {"Ana", "9.5", "4", "", "13.5"},  {"Luis", "", "", "3", "3"},
        {"(blank)", "", "", "2", "2"},    {"Grand Total", "9.5", "4", "5", "18.5"},
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(pivot.value(4, 1), CellValue::number(9.5));  // plain number cells
    EXPECT_EQ(*pivot.usedArea(), (CellArea{0, 0, 7, 4}));
}

TEST_F(PivotTableTest, SourcesWithoutTheNamedFieldsFail) {
    fill({{"NOMBRE", "HORAS"}, {"Ana", "1"}});
    PivotTable& table = sheet.PivotTableWizard(1, "A1:B2", "", "P");
    EXPECT_THROW(table.AddFields({"NOMBRE"}, {"CEDULA"}), SpreadsheetError);
    EXPECT_THROW(table.PivotFields("FECHA"), SpreadsheetError);

    fill({{"NOMBRE", "", "HORAS"}}, 10);
    int sheets = book.Sheets().Count();
    EXPECT_THROW(sheet.PivotTableWizard(1, "A11:C12", "", "Q"), SpreadsheetError);
    EXPECT_THROW(sheet.PivotTableWizard(1, "X100:Z200", "", "Q"), SpreadsheetError);
    EXPECT_EQ(book.Sheets().Count(), sheets);  // refused before any new sheet
}

}  // namespace
}  // namespace spreadsheet
