// The worksheet driver's rules, on workbooks written for each case.
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/TableSource.h"
#include "engine/xls/XlsSheetSource.h"
#include "tests/support/TestPaths.h"
#include "tests/xls/XlsTestHelpers.h"

#include <gtest/gtest.h>

namespace {

using engine::FieldType;
using engine::Value;
using xls::NumberFormat;
using xlstest::number;
using xlstest::text;

class XlsSheetSource : public ::testing::Test {
protected:
    std::unique_ptr<engine::TableSource> open(const xls::WorkbookData& workbook,
                                              const std::string& sheet = "Sheet1") {
        std::string path = (m_folder / "book.xls").string();
        xls::writeWorkbook(path, workbook);
        return engine::openWorksheet(path, sheet);
    }
    std::unique_ptr<engine::TableSource> open(std::vector<xls::Cell> cells, bool date1904 = false) {
        xls::WorkbookData workbook = xlstest::oneSheet(std::move(cells));
        workbook.date1904 = date1904;
        return open(workbook);
    }
    std::string path() const { return (m_folder / "book.xls").string(); }

    testsupport::TempDir m_folder;
};

std::vector<std::string> names(const engine::TableSource& source) {
    std::vector<std::string> out;
    for (const auto& field : source.fields()) out.push_back(field.name);
    return out;
}

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const engine::EngineError& error) {
        return error.what();
    }
    return "no failure";
}

engine::DateTime day(int year, int month, int dayOfMonth, std::int64_t microseconds = 0) {
    engine::DateTime date;
    date.year = year;
    date.month = month;
    date.day = dayOfMonth;
    date.microsecondsOfDay = microseconds;
    return date;
}

TEST_F(XlsSheetSource, FirstRowNamesTheFieldsAndOddNamesAreMadeUsable) {
    auto source =
        open({text(0, 0, "Name"), number(0, 1, 2), number(0, 2, 45351, NumberFormat::Date),
              xlstest::boolean(0, 3, true), xlstest::error(0, 4, 0x07), text(0, 6, "name"),
              text(0, 7, "NAME"), text(0, 8, "Name_2"), number(0, 9, 1.5), number(1, 10, 0)});
    EXPECT_EQ(names(*source),
              (std::vector<std::string>{"Name", "2", "2024-02-29", "TRUE", "#DIV/0!", "F6",
                                        "name_2", "NAME_3", "Name_2_2", "1.5", "F11"}));
}

TEST_F(XlsSheetSource, EachColumnTakesItsTypeFromAllItsDataCells) {
    auto source = open({
        text(0, 0, "n"),
        text(0, 1, "d"),
        text(0, 2, "b"),
        text(0, 3, "t"),
        text(0, 4, "mixed"),
        text(0, 5, "none"),
        text(0, 6, "time"),
        text(0, 7, "error"),
        number(1, 0, 1.5),
        number(1, 1, 45351.75, NumberFormat::DateTime),
        xlstest::boolean(1, 2, true),
        text(1, 3, "x"),
        number(1, 4, 0.1),
        number(1, 6, 0.5, NumberFormat::Time),
        xlstest::error(1, 7, 0x2A),
        number(2, 0, -2),
        number(2, 1, 45351, NumberFormat::Date),
        xlstest::boolean(2, 2, false),
        text(2, 3, "y"),
        xlstest::boolean(2, 4, true),
        number(2, 6, 10.632060185185185, NumberFormat::Time),
        number(3, 4, 45351, NumberFormat::Date),
        text(3, 5, ""),
        text(4, 4, "words"),
    });
    std::vector<FieldType> types;
    for (const auto& field : source->fields()) types.push_back(field.type);
    EXPECT_EQ(types, (std::vector<FieldType>{FieldType::Numeric, FieldType::Date,
                                             FieldType::Logical, FieldType::Character,
                                             FieldType::Character, FieldType::Character,
                                             FieldType::Character, FieldType::Character}));
    ASSERT_EQ(source->physicalCount(), 4u);
    EXPECT_EQ(source->readField(0, 0), Value::number(1.5));
    EXPECT_EQ(source->readField(0, 1), Value::date(day(2024, 2, 29, 18LL * 3600 * 1000000)));
    EXPECT_EQ(source->readField(1, 1), Value::date(day(2024, 2, 29)));
    EXPECT_EQ(source->readField(1, 2), Value::boolean(false));
    // A mixed column gives every value as plain text.
    EXPECT_EQ(source->readField(0, 4), Value::text("0.1"));
    EXPECT_EQ(source->readField(1, 4), Value::text("TRUE"));
    EXPECT_EQ(source->readField(2, 4), Value::text("2024-02-29"));
    EXPECT_EQ(source->readField(3, 4), Value::text("words"));
    // Times of day and durations as the worksheet shows them; errors as their text.
    EXPECT_EQ(source->readField(0, 6), Value::text("12:00:00"));
    EXPECT_EQ(source->readField(1, 6), Value::text("255:10:10"));
    EXPECT_EQ(source->readField(0, 7), Value::text("#N/A"));
    // Empty cells and empty text are null.
    EXPECT_TRUE(source->readField(2, 0).isNull());
    EXPECT_TRUE(source->readField(2, 5).isNull());
}

TEST_F(XlsSheetSource, RecordsRunToTheLastRowAndColumnHoldingACell) {
    // Row 2 is empty and row 4 has only a cell far to the right.
    auto source = open({text(0, 0, "a"), number(2, 0, 1), number(3, 4, 5)});
    EXPECT_EQ(names(*source), (std::vector<std::string>{"a", "F2", "F3", "F4", "F5"}));
    ASSERT_EQ(source->physicalCount(), 3u);
    std::vector<Value> record;
    source->readRecord(0, record);
    EXPECT_EQ(record, std::vector<Value>(5));
    source->readRecord(2, record);
    EXPECT_EQ(record[4], Value::number(5));
    EXPECT_TRUE(source->deletedRecords().empty());

    auto headerOnly = open({text(0, 0, "only"), text(0, 1, "names")});
    EXPECT_EQ(headerOnly->physicalCount(), 0u);
    EXPECT_EQ(headerOnly->fields().size(), 2u);

    auto empty = open(std::vector<xls::Cell>{});
    EXPECT_EQ(names(*empty), std::vector<std::string>{"F1"});
    EXPECT_EQ(empty->physicalCount(), 0u);

    // Ten rows of cells and one at the last column of row 65534: the gap between reads as nulls.
    auto sparse = engine::openWorksheet(
        testsupport::dataPath("damaged/sparse_far_cell.xls").string(), "Sheet1");
    ASSERT_EQ(sparse->physicalCount(), 65533u);
    ASSERT_EQ(sparse->fields().size(), 256u);
    EXPECT_EQ(sparse->readField(0, 0), Value::text("10x10"));
    EXPECT_EQ(sparse->readField(0, 1), Value());
    EXPECT_EQ(sparse->readField(0, 9), Value::text("10x19"));
    EXPECT_EQ(sparse->readField(65531, 255), Value());
    EXPECT_EQ(sparse->readField(65532, 254), Value());
    EXPECT_EQ(sparse->readField(65532, 255), Value::text("10x16"));
}

TEST_F(XlsSheetSource, DatesFollowTheWorkbooksDateSystemAndNumbersNamingNoDayStayNumbers) {
    auto dates = open({text(0, 0, "d"), number(1, 0, 1, NumberFormat::Date),
                       number(2, 0, 59, NumberFormat::Date), number(3, 0, 61, NumberFormat::Date),
                       number(4, 0, 2958465, NumberFormat::Date)});
    EXPECT_EQ(dates->fields()[0].type, FieldType::Date);
    EXPECT_EQ(dates->readField(0, 0), Value::date(day(1900, 1, 1)));
    EXPECT_EQ(dates->readField(1, 0), Value::date(day(1900, 2, 28)));
    EXPECT_EQ(dates->readField(2, 0), Value::date(day(1900, 3, 1)));
    EXPECT_EQ(dates->readField(3, 0), Value::date(day(9999, 12, 31)));
    EXPECT_TRUE(dates->warnings().empty());

    // 29 February 1900 (serial 60), day 0, a negative serial and one past 9999 name no day: they
    // stay numbers, so that a column of them alone is numeric and one mixed with dates is text.
    auto noDays =
        open({text(0, 0, "n"), number(1, 0, 60, NumberFormat::Date),
              number(2, 0, 0.25, NumberFormat::Date), number(3, 0, -1, NumberFormat::DateTime),
              number(4, 0, 2958466, NumberFormat::Date), text(0, 1, "m"),
              number(1, 1, 1, NumberFormat::Date), number(2, 1, -3.5, NumberFormat::Date)});
    EXPECT_EQ(noDays->fields()[0].type, FieldType::Numeric);
    EXPECT_EQ(noDays->readField(0, 0), Value::number(60));
    EXPECT_EQ(noDays->readField(1, 0), Value::number(0.25));
    EXPECT_EQ(noDays->readField(2, 0), Value::number(-1));
    EXPECT_EQ(noDays->readField(3, 0), Value::number(2958466));
    EXPECT_EQ(noDays->fields()[1].type, FieldType::Character);
    EXPECT_EQ(noDays->readField(0, 1), Value::text("1900-01-01"));
    EXPECT_EQ(noDays->readField(1, 1), Value::text("-3.5"));
    ASSERT_EQ(noDays->warnings().size(), 5u);
    EXPECT_EQ(noDays->warnings()[0],
              "Cell A2 of worksheet \"Sheet1\" holds 29 February 1900, a day that did not exist "
              "(serial 60 of the 1900 date system); it reads as the number 60.");

    auto in1904 = open({text(0, 0, "d"), number(1, 0, 0, NumberFormat::Date),
                        number(2, 0, 43889.5, NumberFormat::DateTime)},
                       true);
    EXPECT_EQ(in1904->readField(0, 0), Value::date(day(1904, 1, 1)));
    EXPECT_EQ(in1904->readField(1, 0), Value::date(day(2024, 2, 29, 12LL * 3600 * 1000000)));
    EXPECT_TRUE(in1904->warnings().empty());
}

TEST_F(XlsSheetSource, WorksheetIsFoundWithoutRegardToCaseAndOnlyAWorksheetWillDo) {
    xls::WorkbookData workbook = xlstest::oneSheet({text(0, 0, "first")}, "Other");
    xls::Sheet second;
    second.name = "sheet1";
    second.cells = {text(0, 0, "second")};
    workbook.sheets.push_back(second);
    EXPECT_EQ(names(*open(workbook, "SHEET1")), std::vector<std::string>{"second"});
    EXPECT_EQ(names(*open(workbook, "Sheet1$")), std::vector<std::string>{"second"});

    xls::WorkbookData without = xlstest::oneSheet({}, "Data");
    EXPECT_EQ(failureOf([&] { open(without, "Sheet1$"); }),
              "The workbook \"" + path() + "\" has no worksheet named Sheet1.");

    std::string anySheets = testsupport::dataPath("xls/tafia-calamine/any_sheets.xls").string();
    EXPECT_EQ(failureOf([&] { engine::openWorksheet(anySheets, "chart"); }),
              "The sheet \"Chart\" of the workbook \"" + anySheets +
                  "\" is a chart sheet, not a worksheet.");
    EXPECT_EQ(failureOf([&] { engine::openWorksheet(path() + ".missing", "Sheet1"); }),
              "The file \"" + path() + ".missing\" does not exist.");
}

TEST_F(XlsSheetSource, WorksheetIsReadOnly) {
    auto source = open({text(0, 0, "a"), number(1, 0, 1)});
    EXPECT_FALSE(source->isWritable());
    const std::string readOnly = "The worksheet is opened read-only.";
    EXPECT_EQ(failureOf([&] { source->prepareValue(0, Value::number(2)); }), readOnly);
    EXPECT_EQ(failureOf([&] { source->updateRecord(0, {{0, Value::number(2)}}); }), readOnly);
    EXPECT_EQ(failureOf([&] { source->appendRecord({}); }), readOnly);
    EXPECT_EQ(failureOf([&] { source->deleteRecord(0); }), readOnly);
    EXPECT_EQ(source->readField(0, 0), Value::number(1));
    EXPECT_NE(failureOf([&] { source->readField(1, 0); }), "no failure");
    EXPECT_NE(failureOf([&] { source->readField(0, 1); }), "no failure");
}

TEST_F(XlsSheetSource, OpensThroughTheDataControlAsAReadOnlySnapshot) {
    open({text(0, 0, "City"), text(0, 1, "Count"), text(1, 0, "Lyon"), number(1, 1, 3),
          text(2, 0, "Oslo"), number(2, 1, 4)});
    engine::DataControl control;
    control.SetConnect("Excel 8.0;");
    control.SetDatabaseName(path());
    control.SetRecordSource("Sheet1$");
    control.SetReadOnly(false);
    control.SetRecordsetType(engine::DataControl::kSnapshot);
    control.Refresh();
    engine::Recordset* records = control.GetRecordset();
    ASSERT_NE(records, nullptr);
    EXPECT_FALSE(records->Updatable());
    EXPECT_EQ(records->RecordCount(), 2);
    EXPECT_EQ(records->Fields().Item("count").GetValue(), Value::number(3));
    records->MoveNext();
    EXPECT_EQ(records->Fields().Item(0).GetValue(), Value::text("Oslo"));
}

}  // namespace
