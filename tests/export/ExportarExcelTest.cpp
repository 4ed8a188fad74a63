// The export of the open table: layout, typed values, limits and refusals, every workbook read
// back by FreeXL and xlrd.
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "export/ExportarExcel.h"
#include "export/RecordRows.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "tests/export/WorkbookReaders.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tableexport {
namespace {

using testsupport::ReadCell;
using testsupport::ReadSheet;

class PositionCounter : public engine::DataControlListener {
public:
    int moves = 0;
    void recordPositionChanged() override { ++moves; }
};

class ExportarExcelTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    engine::DataControl dtcDbf;
    testsupport::ScriptedPrompts prompts;
    PositionCounter positions;

    void open(const testsupport::DbfBuilder& table, const std::string& name = "t") {
        table.write(dir.path(), name);
        attach(name);
    }

    // Opens the table NAME.dbf of the folder, counting moves from here.
    void attach(const std::string& name) {
        dtcDbf.SetConnect("dBASE III;");
        dtcDbf.SetDatabaseName(dir.path().string());
        dtcDbf.SetRecordSource(name + ".dbf");
        dtcDbf.SetRecordsetType(engine::DataControl::kDynaset);
        dtcDbf.Refresh();
        if (!listening) dtcDbf.addListener(&positions);
        listening = true;
        positions.moves = 0;
    }
    bool listening = false;

    std::string out(const std::string& name = "out.xls") { return (dir / name).string(); }

    void expectSuccessMessageOnly() {
        auto messages = prompts.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "Success export to excel");
        EXPECT_EQ(messages[0].title, "Sorvela");
        EXPECT_EQ(messages[0].buttons, platform::MessageButtons::Ok);
        EXPECT_EQ(messages[0].icon, platform::MessageIcon::None);
    }

    // The export fails with a description holding each of the parts, leaving no file and
    // showing nothing.
    template <typename Error>
    void expectRefused(const std::string& target, const std::vector<std::string>& parts) {
        auto before = std::filesystem::exists(target) ? testsupport::readFileBytes(target)
                                                      : testsupport::Bytes{};
        try {
            ExportarExcel(dtcDbf, target, prompts);
            ADD_FAILURE() << "the export to " << target << " succeeded";
        } catch (const Error& error) {
            for (const std::string& part : parts) {
                EXPECT_NE(std::string(error.what()).find(part), std::string::npos)
                    << error.what() << " lacks " << part;
            }
        }
        EXPECT_TRUE(prompts.messages().empty());
        if (before.empty()) {
            EXPECT_FALSE(std::filesystem::exists(target));
        } else {
            EXPECT_EQ(testsupport::readFileBytes(target), before);
        }
    }
};

void expectCells(const ReadSheet& sheet, const std::vector<std::pair<std::string, ReadCell>>& cells,
                 const char* reader) {
    for (const auto& [name, expected] : cells) {
        spreadsheet::CellArea area = spreadsheet::parseReference(name);
        const ReadCell* cell =
            sheet.at(static_cast<unsigned>(area.top), static_cast<unsigned>(area.left));
        if (cell == nullptr) {
            ADD_FAILURE() << reader << ": " << name << " is empty";
        } else {
            EXPECT_EQ(*cell, expected)
                << reader << ": " << name << " holds " << cell->kind << " " << cell->value;
        }
    }
}

TEST_F(ExportarExcelTest, NamesRowEmptyRowThenRecordsTypedAndUntrimmed) {
    open(testsupport::DbfBuilder(0x83)
             .field("NAME", 'C', 12)
             .field("AGE", 'N', 5, 1)
             .field("BORN", 'D', 8)
             .field("OK", 'L', 1)
             .field("NOTE", 'M', 10)
             .record({"  Ana", "41.5", "19830215", "T", "line one  "})
             .record({"00123", "", "", "?", ""})
             .record({"=1+1", "-3", "20240229", "F", "TRUE"}));
    const std::vector<std::pair<std::string, ReadCell>> expected = {
        {"A1", {"text", "NAME"}},       {"E1", {"text", "NOTE"}},       {"A3", {"text", "  Ana"}},
        {"B3", {"number", "41.5"}},     {"C3", {"date", "1983-02-15"}}, {"D3", {"boolean", "1"}},
        {"E3", {"text", "line one  "}}, {"A4", {"text", "00123"}},      {"A5", {"text", "=1+1"}},
        {"B5", {"number", "-3.0"}},     {"C5", {"date", "2024-02-29"}}, {"D5", {"boolean", "0"}},
        {"E5", {"text", "TRUE"}}};
    // The same cells in both workbook formats, each read by an independent reader.
    for (const char* name : {"out.xls", "out.xlsx"}) {
        prompts.asked.clear();
        ExportarExcel(dtcDbf, out(name), prompts);
        expectSuccessMessageOnly();
        EXPECT_TRUE(dtcDbf.GetRecordset()->IsEOF());
        EXPECT_EQ(positions.moves, 4);  // MoveFirst and three MoveNext
        positions.moves = 0;

        const bool xlsx = std::string(name) == "out.xlsx";
        ReadSheet sheet =
            xlsx ? testsupport::readWithOpenpyxl(out(name)) : testsupport::readWithXlrd(out(name));
        EXPECT_EQ(sheet.sheetNames, (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3"}));
        EXPECT_EQ(sheet.rows, 5u);
        EXPECT_EQ(sheet.columns, 5u);
        // Row 2 is empty and nulls are empty cells, never empty strings; nothing is a formula.
        EXPECT_EQ(sheet.cells.size(), 5u + 5 + 1 + 5) << name;
        for (unsigned column = 0; column < 5; ++column) EXPECT_EQ(sheet.at(1, column), nullptr);
        for (unsigned column = 1; column < 5; ++column) EXPECT_EQ(sheet.at(3, column), nullptr);
        expectCells(sheet, expected, name);
    }

    ReadSheet freexl = testsupport::readWithFreexl(out());
    EXPECT_EQ(freexl.rows, 5u);
    expectCells(freexl,
                {{"A1", {"text", "NAME"}},
                 {"A3", {"text", "  Ana"}},
                 {"B3", {"number", "41.5"}},
                 {"C3", {"date", "1983-02-15"}},
                 {"D3", {"number", "1"}},
                 {"E3", {"text", "line one  "}},
                 {"A4", {"text", "00123"}},
                 {"A5", {"text", "=1+1"}}},
                "FreeXL");
    EXPECT_EQ(freexl.at(1, 0), nullptr);
}

TEST_F(ExportarExcelTest, WideTablesGoPastZToAaAndBa) {
    testsupport::DbfBuilder table(0x03);
    std::vector<std::string> values;
    for (int i = 1; i <= 53; ++i) {
        table.field("F" + std::to_string(i), 'C', 4);
        values.push_back("v" + std::to_string(i));
    }
    open(table.record(values));
    ExportarExcel(dtcDbf, out(), prompts);
    for (const ReadSheet& sheet :
         {testsupport::readWithXlrd(out()), testsupport::readWithFreexl(out())}) {
        expectCells(sheet,
                    {{"Z1", {"text", "F26"}},
                     {"AA1", {"text", "F27"}},
                     {"AA3", {"text", "v27"}},
                     {"AZ1", {"text", "F52"}},
                     {"BA1", {"text", "F53"}},
                     {"BA3", {"text", "v53"}}},
                    "reader");
        EXPECT_EQ(sheet.columns, 53u);
    }
}

TEST_F(ExportarExcelTest, FileNameIsTrimmedOfSpaces) {
    open(testsupport::DbfBuilder().field("A", 'C', 1).record({"x"}));
    ExportarExcel(dtcDbf, "  " + out("trimmed.xls") + "   ", prompts);
    EXPECT_TRUE(std::filesystem::exists(out("trimmed.xls")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    expectSuccessMessageOnly();
}

TEST_F(ExportarExcelTest, EmptyTableExportsItsNamesAndSucceeds) {
    open(testsupport::DbfBuilder().field("NAME", 'C', 5).field("AGE", 'N', 3));
    ExportarExcel(dtcDbf, out(), prompts);
    expectSuccessMessageOnly();
    EXPECT_TRUE(dtcDbf.GetRecordset()->IsEOF());
    EXPECT_EQ(positions.moves, 0);
    for (const ReadSheet& sheet :
         {testsupport::readWithXlrd(out()), testsupport::readWithFreexl(out())}) {
        EXPECT_EQ(sheet.cells.size(), 2u);
        expectCells(sheet, {{"A1", {"text", "NAME"}}, {"B1", {"text", "AGE"}}}, "reader");
    }
}

TEST_F(ExportarExcelTest, TableThatFillsTheSheetExactlyIsExportedWhole) {
    testsupport::DbfBuilder table;
    table.field("N", 'N', 5);
    for (int i = 1; i <= 65534; ++i) table.record({std::to_string(i)});
    open(table);
    ExportarExcel(dtcDbf, out(), prompts);
    ReadSheet xlrd = testsupport::readWithXlrd(out());
    EXPECT_EQ(xlrd.rows, 65536u);
    expectCells(xlrd, {{"A3", {"number", "1.0"}}, {"A65536", {"number", "65534.0"}}}, "xlrd");
    EXPECT_EQ(testsupport::readWithFreexl(out()).rows, 65536u);
}

TEST_F(ExportarExcelTest, TablesTooLongForTheFormatFailBeforeAnyWork) {
    // Blank one-character records, written straight into the file.
    auto table = [&](std::uint32_t records) {
        testsupport::Bytes bytes = testsupport::DbfBuilder()
                                       .field("C", 'C', 1)
                                       .declaredCount(records)
                                       .endMark(false)
                                       .dbf();
        bytes.resize(bytes.size() + 2 * std::size_t{records}, ' ');
        bytes.push_back(0x1A);
        testsupport::writeFileBytes(dir / "t.dbf", bytes);
        attach("t");
    };
    table(65535);
    expectRefused<spreadsheet::SpreadsheetError>(
        out(), {"65535 records", "at most 65534", ".xlsx workbook holds up to 1,048,574 records"});
    table(1048575);
    expectRefused<spreadsheet::SpreadsheetError>(out("out.XLSX"),
                                                 {"1048575 records", "at most 1048574"});
    EXPECT_EQ(dtcDbf.GetRecordset()->AbsolutePosition(), 0);
    EXPECT_EQ(positions.moves, 0);
}

TEST_F(ExportarExcelTest, TextTooLongForAnXlsxCellEndsTheExportWithoutAFile) {
    open(testsupport::DbfBuilder(0x83)
             .field("NOTE", 'M', 10)
             .record({std::string(32767, 'a')})
             .record({std::string(32768, 'b')}));
    expectRefused<spreadsheet::SpreadsheetError>(out("long.xlsx"), {"cell A4", "32768"});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(ExportarExcelTest, TheTablesOwnFilesAreRefused) {
    open(testsupport::DbfBuilder(0x83).field("M", 'M', 10).record({"memo"}), "people");
    expectRefused<spreadsheet::SpreadsheetError>(out("people.dbf"), {"file of the open table"});
    expectRefused<spreadsheet::SpreadsheetError>(" " + out("PEOPLE.DBF"), {"open table"});
    expectRefused<spreadsheet::SpreadsheetError>(out("people.dbt"), {"memo file"});
    expectRefused<spreadsheet::SpreadsheetError>((dir.path() / "." / "People.Dbt").string(),
                                                 {"memo file"});
    EXPECT_EQ(dtcDbf.GetRecordset()->Fields().Item(0).GetValue().asText(), "memo");
}

TEST_F(ExportarExcelTest, TheOpenTablesFilesAreRefusedWhateverTheSettingsNowName) {
    // The settings are read only when a table opens: after another format is chosen, or after an
    // open of another table failed, they no longer name the files of the table still open.
    open(testsupport::DbfBuilder(0x83).field("M", 'M', 10).record({"memo"}), "people");
    dtcDbf.SetConnect("Excel 8.0;");
    expectRefused<spreadsheet::SpreadsheetError>(out("people.dbf"), {"file of the open table"});
    dtcDbf.SetConnect("dBASE III;");
    dtcDbf.SetDatabaseName((dir / "elsewhere").string());
    dtcDbf.SetRecordSource("other.dbf");
    expectRefused<spreadsheet::SpreadsheetError>(out("people.dbf"), {"file of the open table"});
    expectRefused<spreadsheet::SpreadsheetError>(out("people.dbt"), {"memo file"});
    EXPECT_EQ(dtcDbf.GetRecordset()->Fields().Item(0).GetValue().asText(), "memo");
}

TEST_F(ExportarExcelTest, WorksheetTableKeepsTextNamesAndRefusesItsOwnWorkbook) {
    // A worksheet whose headings look like a number and a boolean.
    std::string source = out("source.xls");
    {
        std::shared_ptr<spreadsheet::Application> app = spreadsheet::Application::create();
        spreadsheet::Worksheet& sheet = app->Workbooks().Add().ActiveSheet();
        sheet.setValue(0, 0, spreadsheet::CellValue::text("007"));
        sheet.setValue(0, 1, spreadsheet::CellValue::text("TRUE"));
        sheet.setValue(1, 0, spreadsheet::CellValue::text("0042"));
        sheet.setValue(1, 1, spreadsheet::CellValue::number(2.5));
        app->ActiveWorkbook().SaveAs(source);
    }
    dtcDbf.SetConnect("Excel 8.0;");
    dtcDbf.SetDatabaseName(source);
    dtcDbf.SetRecordSource("Sheet1$");
    dtcDbf.SetRecordsetType(engine::DataControl::kSnapshot);
    dtcDbf.Refresh();

    ExportarExcel(dtcDbf, out(), prompts);
    expectCells(testsupport::readWithXlrd(out()),
                {{"A1", {"text", "007"}},
                 {"B1", {"text", "TRUE"}},
                 {"A3", {"text", "0042"}},
                 {"B3", {"number", "2.5"}}},
                "xlrd");
    prompts.asked.clear();
    expectRefused<spreadsheet::SpreadsheetError>(source, {"file of the open table"});
}

TEST_F(ExportarExcelTest, FailuresPassToTheCallerWithoutFileOrMessage) {
    open(testsupport::DbfBuilder().field("A", 'C', 1).record({"x"}));
    expectRefused<spreadsheet::SpreadsheetError>((dir / "missing" / "out.xls").string(),
                                                 {"missing"});
    expectRefused<spreadsheet::SpreadsheetError>("   ", {"no file name"});
    engine::DataControl closed;
    EXPECT_THROW(ExportarExcel(closed, out(), prompts), engine::EngineError);
    EXPECT_FALSE(std::filesystem::exists(out()));
}

TEST(SpreadsheetDigitsTest, MoreThanFifteenSignificantDigitsAreTooMany) {
    const std::pair<const char*, bool> cases[] = {
        {"123456789012345", false},       {"-123456789012345", false},
        {"1234567890123456", true},       {"1234567890.123456", true},
        {"0.000000000000001", false},     {"-0.0000001234567890123456", true},
        {"100000000000000000000", false}, {"12345678901234567000", true},
        {"1.50000000000000000", false},   {"", false},
    };
    for (const auto& [decimal, tooMany] : cases) {
        EXPECT_EQ(exceedsSpreadsheetDigits(decimal), tooMany) << decimal;
    }
}

TEST_F(ExportarExcelTest, NumbersTooLongForASpreadsheetNumberGoInAsTextAndTheExportSaysSo) {
    open(testsupport::DbfBuilder(0x03)
             .field("BIG", 'N', 19)
             .field("MONEY", 'N', 20, 2)
             .field("QTY", 'N', 5)
             .record({"1234567890123456789", "123456789012345.67", "7"})
             .record({"42", "1.50", "8"}));
    for (const char* name : {"out.xls", "out.xlsx"}) {
        ExportarExcel(dtcDbf, out(name), prompts);
        const bool xlsx = std::string(name).ends_with("x");
        const ReadSheet sheet =
            xlsx ? testsupport::readWithOpenpyxl(out(name)) : testsupport::readWithXlrd(out(name));
        expectCells(sheet,
                    {{"A3", {"text", "1234567890123456789"}},
                     {"B3", {"text", "123456789012345.67"}},
                     {"C3", {"number", "7.0"}},
                     {"A4", {"number", "42.0"}},
                     {"B4", {"number", "1.5"}}},
                    name);
        const auto messages = prompts.messages();
        ASSERT_EQ(messages.size(), 2u) << name;
        EXPECT_EQ(messages[0].text, "Success export to excel");
        EXPECT_EQ(messages[1].text,
                  "Fields BIG, MONEY hold numbers of more than 15 significant digits, more than a "
                  "spreadsheet number keeps: they were exported as text, with all their digits.");
        EXPECT_EQ(messages[1].title, "Sorvela");
        EXPECT_EQ(messages[1].icon, platform::MessageIcon::Exclamation);
        prompts.asked.clear();
    }
}

}  // namespace
}  // namespace tableexport
