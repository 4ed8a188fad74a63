// The workbook model: sheets, cells and their limits, rows and columns, saving and opening.
#include "spreadsheet/Application.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "tests/spreadsheet/Fakes.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace spreadsheet {
namespace {

int errorCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const SpreadsheetError& error) {
        return error.code();
    }
    return 0;
}

std::vector<std::string> sheetNames(Workbook& book) {
    std::vector<std::string> names;
    for (int i = 1; i <= book.Sheets().Count(); ++i) names.push_back(book.Sheets().Item(i).Name());
    return names;
}

class WorkbookTest : public ::testing::Test {
protected:
    testsupport::MemoryFiles files;
    std::shared_ptr<Application> app = Application::create(nullptr, files.access());
    Workbook& book = app->Workbooks().Add();
    Worksheet& sheet = book.ActiveSheet();
};

TEST_F(WorkbookTest, NewWorkbookHasThreeSheetsWithTheFirstActive) {
    EXPECT_EQ(book.Name(), "Book1");
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(&app->ActiveSheet(), &book.Sheets().Item(1));
    EXPECT_EQ(app->ActiveCell().Address(), "A1");
    EXPECT_EQ(app->Workbooks().Add().Name(), "Book2");
    EXPECT_EQ(app->ActiveWorkbook().Name(), "Book2");
}

TEST_F(WorkbookTest, CellTextIsLimitedTo32767Utf16Units) {
    sheet.setValue(0, 0, CellValue::text(std::string(32767, 'x')));
    // "𝄞" is two UTF-16 units: 16384 of them are 32768 units.
    std::string clefs;
    for (int i = 0; i < 16384; ++i) clefs += "\xF0\x9D\x84\x9E";
    EXPECT_EQ(errorCode([&] { sheet.setValue(0, 0, CellValue::text(clefs)); }),
              kErrorOperationFailed);
    EXPECT_EQ(errorCode([&] { sheet.setValue(0, 0, CellValue::text("bad \xC3")); }),
              kErrorOperationFailed);
    EXPECT_EQ(sheet.value(0, 0).asText().size(), 32767u);
}

TEST_F(WorkbookTest, SheetNamesFollowTheWorkbookRules) {
    sheet.SetName(std::string(31, 'n'));
    for (const std::string& bad :
         {std::string(), std::string(32, 'n'), std::string("a/b"), std::string("a[1]"),
          std::string("'quoted'"), std::string("SHEET2")}) {
        EXPECT_EQ(errorCode([&] { sheet.SetName(bad); }), kErrorOperationFailed) << bad;
    }
    EXPECT_EQ(sheet.Name(), std::string(31, 'n'));
    sheet.SetName("sheet1");  // its own name in another case is fine
}

TEST_F(WorkbookTest, SheetsAreFoundByNameOrPosition) {
    EXPECT_EQ(&book.Sheets().Item(Variant::text("sheet2")), &book.Sheets().Item(2));
    EXPECT_EQ(&book.Sheets().Item(Variant::number(3)), &book.Sheets().Item("Sheet3"));
    EXPECT_EQ(errorCode([&] { book.Sheets().Item(Variant::number(4)); }),
              kErrorSubscriptOutOfRange);
    EXPECT_EQ(errorCode([&] { book.Sheets().Item(Variant::number(1.5)); }),
              kErrorSubscriptOutOfRange);
    EXPECT_EQ(errorCode([&] { book.Sheets().Item(Variant::text("Nope")); }),
              kErrorSubscriptOutOfRange);
    EXPECT_EQ(errorCode([&] { book.Sheets().Item(Variant::boolean(true)); }), kErrorTypeMismatch);
}

TEST_F(WorkbookTest, AddedSheetGoesBeforeTheActiveOneAndLastSheetCannotGo) {
    book.Sheets().Item(2).Select();
    Worksheet& added = book.Sheets().Add();
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"Sheet1", "Sheet4", "Sheet2", "Sheet3"}));
    EXPECT_EQ(&book.ActiveSheet(), &added);
    EXPECT_EQ(book.ActiveWindow().SelectedSheets().Count(), 1);

    book.Sheets().Item(1).Select();
    book.Sheets().Item(3).Select(false);
    book.ActiveWindow().SelectedSheets().Delete();
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"Sheet4", "Sheet3"}));
    EXPECT_EQ(book.ActiveSheet().Name(), "Sheet3");  // the one after the deleted ones

    book.Sheets().Item(1).setVisibility(SheetVisibility::Hidden);
    EXPECT_EQ(errorCode([&] { book.Sheets().Item(2).Delete(); }), kErrorOperationFailed);
    EXPECT_EQ(errorCode([&] { book.Sheets().Item(1).Select(); }), kErrorOperationFailed);
    EXPECT_EQ(book.Sheets().Count(), 2);
}

TEST_F(WorkbookTest, OutOfOrderWritesReadBackInOrderWithLastWriteWinning) {
    sheet.setValue(5, 1, CellValue::number(1));
    sheet.setValue(0, 3, CellValue::number(2));
    sheet.setValue(5, 1, CellValue::number(3));
    sheet.setValue(0, 0, CellValue::text("a"));
    sheet.setValue(0, 3, CellValue());
    auto cells = sheet.store().cells();
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(book.texts().text(cells[0].textId()), "a");
    EXPECT_EQ(cells[1].row(), 5u);
    EXPECT_EQ(cells[1].number(), 3);
}

TEST_F(WorkbookTest, WholeRowsAndColumnsMoveCells) {
    sheet.setValue(0, 0, CellValue::number(1));
    sheet.setValue(1, 0, CellValue::number(2));
    sheet.setValue(1, 2, CellValue::number(3));
    sheet.Range("2:3").Insert();
    EXPECT_EQ(sheet.value(3, 0), CellValue::number(2));
    EXPECT_TRUE(sheet.value(1, 0).isEmpty());
    sheet.Range("B:B").Insert();
    EXPECT_EQ(sheet.value(3, 3), CellValue::number(3));
    sheet.Range("A:B").Delete();
    EXPECT_EQ(sheet.value(3, 1), CellValue::number(3));
    EXPECT_TRUE(sheet.value(0, 0).isEmpty());
    sheet.Range("1:3").Delete();
    EXPECT_EQ(sheet.value(0, 1), CellValue::number(3));
    EXPECT_EQ(errorCode([&] { sheet.Range("A1:B2").Insert(); }), kErrorOperationFailed);
}

TEST_F(WorkbookTest, InsertRefusesToPushCellsOffTheSheet) {
    sheet.setValue(65535, 0, CellValue::text("last row"));
    sheet.setValue(0, 255, CellValue::text("last column"));
    EXPECT_EQ(errorCode([&] { sheet.Range("1:1").Insert(); }), kErrorOperationFailed);
    EXPECT_EQ(errorCode([&] { sheet.Range("A:A").Insert(); }), kErrorOperationFailed);
    EXPECT_EQ(sheet.value(65535, 0).asText(), "last row");
    EXPECT_EQ(sheet.value(0, 255).asText(), "last column");
}

TEST_F(WorkbookTest, SaveAsWritesTheModelAndNamesTheWorkbook) {
    sheet.setValue(0, 0, CellValue::text("name"));
    sheet.setValue(2, 1, CellValue::date({2024, 2, 29, 0}));
    sheet.setValue(3, 2, CellValue::boolean(true));
    EXPECT_EQ(errorCode([&] { book.Save(); }), kErrorOperationFailed);  // never saved
    book.SaveAs("/out/report.xls");
    EXPECT_EQ(book.Name(), "report.xls");
    const xls::WorkbookData& data = files.files.at("/out/report.xls");
    ASSERT_EQ(data.sheets.size(), 3u);
    EXPECT_EQ(data.sheets[0].name, "Sheet1");
    EXPECT_TRUE(data.sheets[0].selected);
    ASSERT_EQ(data.sheets[0].cells.size(), 3u);
    EXPECT_EQ(data.sheets[0].cells[1].format, xls::NumberFormat::Date);
    EXPECT_EQ(data.sheets[0].cells[1].number, 45351);
    EXPECT_EQ(data.sheets[0].cells[2].type, xls::CellType::Boolean);
    // The model keeps its cells after saving.
    EXPECT_EQ(sheet.value(0, 0).asText(), "name");
    book.Save();
    EXPECT_EQ(files.writes, 2);
}

TEST_F(WorkbookTest, SaveAsRefusesWhatTheWriterCannotDo) {
    SaveAsOptions password;
    password.password = "secret";
    SaveAsOptions otherFormat;
    otherFormat.fileFormat = 6;  // the object library's CSV, which the component does not write
    SaveAsOptions backup;
    backup.createBackup = true;
    for (const SaveAsOptions& options : {password, otherFormat, backup}) {
        EXPECT_EQ(errorCode([&] { book.SaveAs("/out/a.xls", options); }), kErrorOperationFailed);
    }
    EXPECT_EQ(errorCode([&] { book.SaveAs(""); }), kErrorOperationFailed);
    EXPECT_EQ(files.writes, 0);
}

TEST_F(WorkbookTest, FailedWriteKeepsTheCells) {
    sheet.setValue(0, 0, CellValue::number(1));
    std::shared_ptr<Application> failing = Application::create(
        nullptr, {files.access().read,
                  [](const std::string& path, const xls::WorkbookView&) {
                      throw xls::XlsError("Cannot write " + path + ": disk full.");
                  },
                  {}});
    Workbook& other = failing->Workbooks().Add();
    other.ActiveSheet().setValue(1, 1, CellValue::number(2));
    try {
        other.SaveAs("/out/x.xls");
        FAIL();
    } catch (const SpreadsheetError& error) {
        EXPECT_NE(std::string(error.what()).find("disk full"), std::string::npos);
    }
    EXPECT_EQ(other.ActiveSheet().value(1, 1), CellValue::number(2));
    EXPECT_EQ(other.Name(), "Book1");
}

xls::WorkbookData storedWorkbook() {
    xls::WorkbookData data;
    data.date1904 = true;
    xls::Sheet chart;
    chart.name = "Chart1";
    chart.kind = xls::SheetKind::Chart;
    xls::Sheet first;
    first.name = "Data";
    xls::Cell date;
    date.number = 0;  // 1904-01-01
    date.format = xls::NumberFormat::Date;
    first.cells.push_back(date);
    xls::Cell text;
    text.column = 1;
    text.type = xls::CellType::Text;
    text.text = "kept";
    first.cells.push_back(text);
    data.sheets = {chart, first};
    data.activeSheet = 1;
    return data;
}

TEST_F(WorkbookTest, OpenedWorkbookKeepsValuesAndKnowsWhatItCannotKeep) {
    files.files["/in/old.xls"] = storedWorkbook();
    files.files["/in/old.xls"].unsupportedContent = {"formulas"};
    Workbook& opened = app->Workbooks().Open("/in/old.xls");
    EXPECT_EQ(&app->ActiveWorkbook(), &opened);
    EXPECT_EQ(sheetNames(opened), std::vector<std::string>{"Data"});
    EXPECT_EQ(opened.ActiveSheet().value(0, 0).asDate(), (DateTime{1904, 1, 1, 0}));
    EXPECT_EQ(opened.unsupportedContent().size(), 2u);  // formulas and the chart sheet

    // Saving over the file would lose the formulas and the chart: refused, nothing written.
    EXPECT_EQ(errorCode([&] { opened.Save(); }), kErrorOperationFailed);
    EXPECT_EQ(errorCode([&] { opened.SaveAs("/in/old.xls"); }), kErrorOperationFailed);
    EXPECT_EQ(files.writes, 0);

    // A new name takes what the model holds; from then on Save writes that file.
    opened.SaveAs("/in/new.xls");
    EXPECT_FALSE(files.files.at("/in/new.xls").date1904);
    EXPECT_EQ(files.files.at("/in/new.xls").sheets[0].cells[0].number, 1462);
    opened.Save();
    EXPECT_EQ(files.writes, 2);
    EXPECT_EQ(&app->Workbooks().Open("/in/new.xls"), &opened);  // already open
}

TEST_F(WorkbookTest, TextLongerThanACellHoldsIsKeptFromAFileButNotWrittenToOne) {
    // A workbook file can hold a string of up to 65,535 characters; a cell takes 32,767.
    xls::WorkbookData stored = storedWorkbook();
    stored.sheets[1].cells[1].text = std::string(40000, 'w');
    files.files["/in/long.xls"] = stored;
    testsupport::TempDir folder;
    const std::string target = (folder / "long.xls").string();
    std::shared_ptr<Application> real =
        Application::create(nullptr, {files.access().read, WorkbookFiles::standard().write, {}});
    Workbook& opened = real->Workbooks().Open("/in/long.xls");
    EXPECT_EQ(opened.ActiveSheet().value(0, 1).asText(), std::string(40000, 'w'));
    try {
        opened.SaveAs(target);
        ADD_FAILURE() << "written";
    } catch (const SpreadsheetError& error) {
        EXPECT_NE(std::string(error.what()).find("has 40,000 characters"), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(WorkbookTest, OpenFailuresAreSpreadsheetErrors) {
    EXPECT_EQ(errorCode([&] { app->Workbooks().Open("/in/missing.xls"); }), kErrorOperationFailed);
    xls::WorkbookData chartsOnly = storedWorkbook();
    chartsOnly.sheets.pop_back();
    files.files["/in/charts.xls"] = chartsOnly;
    EXPECT_EQ(errorCode([&] { app->Workbooks().Open("/in/charts.xls"); }), kErrorOperationFailed);
    EXPECT_EQ(app->Workbooks().Count(), 1);
}

TEST_F(WorkbookTest, SaveAsRefusesAnotherOpenWorkbooksFile) {
    files.files["/in/a.xls"] = storedWorkbook();
    app->Workbooks().Open("/in/a.xls");
    EXPECT_EQ(errorCode([&] { book.SaveAs("/in/a.xls"); }), kErrorOperationFailed);
}

TEST_F(WorkbookTest, QuitClosesEverythingAndLaterUseFails) {
    app->Quit();
    EXPECT_FALSE(app->running());
    EXPECT_EQ(errorCode([&] { app->Workbooks(); }), kErrorObjectNotSet);
    EXPECT_EQ(errorCode([&] { app->Quit(); }), kErrorObjectNotSet);
}

TEST(GlobalApplicationTest, BindsToTheNewestRunningApplicationUntilItQuits) {
    std::shared_ptr<Application> first = Application::create();
    std::shared_ptr<Application> second = Application::create();
    EXPECT_EQ(globalApplication(), second);
    std::shared_ptr<Application> third = Application::create();
    EXPECT_EQ(globalApplication(), second);  // stays bound
    second->Quit();
    EXPECT_EQ(globalApplication(), third);
    third.reset();
    EXPECT_EQ(globalApplication(), first);
    first->Quit();
    second.reset();
    EXPECT_EQ(globalApplication(), nullptr);
}

}  // namespace
}  // namespace spreadsheet

namespace spreadsheet {
namespace {

// Through the .xls writer and reader themselves.
TEST(WorkbookFileTest, SaveAsThenOpenGivesBackTheModel) {
    testsupport::TempDir dir;
    std::string path = (dir / "round.xls").string();
    std::shared_ptr<Application> writer = Application::create();
    Workbook& book = writer->Workbooks().Add();
    Worksheet& first = book.ActiveSheet();
    const std::vector<CellValue> values = {
        CellValue::text("naïve 𝄞"),
        CellValue::number(-12.5),
        CellValue::date({2024, 2, 29, 0}),
        CellValue::date({1900, 1, 1, 43'200'000'000}),
        CellValue::dateSerial(0.25, DateStyle::Time),
        CellValue::boolean(false),
        CellValue::text(std::string(9000, 'l')),
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        first.setValue(static_cast<int>(i), static_cast<int>(i), values[i]);
    }
    book.Sheets().Item(3).SetName("Última");
    book.Sheets().Item(2).setVisibility(SheetVisibility::Hidden);
    book.SaveAs(path);

    std::shared_ptr<Application> reader = Application::create();
    Workbook& opened = reader->Workbooks().Open(path);
    EXPECT_TRUE(opened.unsupportedContent().empty());
    EXPECT_EQ(sheetNames(opened), (std::vector<std::string>{"Sheet1", "Sheet2", "Última"}));
    EXPECT_EQ(opened.Sheets().Item(2).visibility(), SheetVisibility::Hidden);
    EXPECT_EQ(&opened.ActiveSheet(), &opened.Sheets().Item(1));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(opened.ActiveSheet().value(static_cast<int>(i), static_cast<int>(i)), values[i])
            << i;
    }
    opened.Save();  // nothing was lost, so its own file may be written again
}

TEST(WorkbookFileTest, ReadOnlyFileIsNotReplaced) {
    testsupport::TempDir dir;
    std::filesystem::path file = dir / "locked.xls";
    testsupport::writeFileBytes(file, {'k', 'e', 'e', 'p'});
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    std::shared_ptr<Application> app = Application::create();
    EXPECT_EQ(errorCode([&] { app->Workbooks().Add().SaveAs(file.string()); }),
              kErrorOperationFailed);
    EXPECT_EQ(testsupport::readFileBytes(file).size(), 4u);
}

TEST(WorkbookFileTest, SaveRefusesAFileWithFormulasAndLeavesItAlone) {
    testsupport::TempDir dir;
    std::filesystem::path file =
        dir.copyIn(testsupport::dataPath("xls/python-excel-xlrd/formula_test_sjmachin.xls"));
    testsupport::Bytes before = testsupport::readFileBytes(file);
    std::shared_ptr<Application> app = Application::create();
    Workbook& book = app->Workbooks().Open(file.string());
    EXPECT_FALSE(book.unsupportedContent().empty());
    book.ActiveSheet().setValue(0, 0, CellValue::text("changed"));
    EXPECT_EQ(errorCode([&] { book.Save(); }), kErrorOperationFailed);
    EXPECT_EQ(testsupport::readFileBytes(file), before);

    std::string copy = (dir / "values.xls").string();
    book.SaveAs(copy);
    std::shared_ptr<Application> again = Application::create();
    EXPECT_EQ(again->Workbooks().Open(copy).ActiveSheet().value(0, 0).asText(), "changed");
}

}  // namespace
}  // namespace spreadsheet
