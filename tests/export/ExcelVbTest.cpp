// The 23 operations of the spreadsheet wrapper: their effects, and their failure without an
// application.
#include "export/ExcelVb.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "tests/spreadsheet/Fakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tableexport {
namespace {

using spreadsheet::CellValue;
using spreadsheet::SpreadsheetError;
using spreadsheet::Variant;

class ExcelVbTest : public ::testing::Test {
protected:
    testsupport::MemoryFiles files;
    testsupport::RecordingPrinter printer;
    ExcelVb excel{&printer, files.access()};

    spreadsheet::Application& app() { return *excel.application(); }
    spreadsheet::Worksheet& sheet() { return app().ActiveSheet(); }
    std::string text(const std::string& cell) { return sheet().Range(cell).Value().displayText(); }
    std::string selection() { return app().Selection().Address(); }
    std::string activeCell() { return app().ActiveCell().Address(); }
    std::vector<std::string> sheetNames() {
        std::vector<std::string> names;
        auto& sheets = app().Sheets();
        for (int i = 1; i <= sheets.Count(); ++i) names.push_back(sheets.Item(i).Name());
        return names;
    }
    void started() {
        excel.Crear();
        excel.NewBook();
    }
};

TEST_F(ExcelVbTest, EveryOperationButCrearAndExternNeedsAnApplication) {
    // Another application runs with a workbook; nothing may change it, not even SortCell's use
    // of the global application object.
    std::shared_ptr<spreadsheet::Application> other = spreadsheet::Application::create();
    spreadsheet::Worksheet& otherSheet = other->Workbooks().Add().ActiveSheet();
    otherSheet.setValue(0, 0, CellValue::number(2));
    otherSheet.setValue(1, 0, CellValue::number(1));
    other->Range("A1:A2").Select();

    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"Quitar", [&] { excel.Quitar(); }},
        {"NewDinamicTableSheet", [&] { excel.NewDinamicTableSheet("A1:D5"); }},
        {"SelCell", [&] { excel.SelCell("A1"); }},
        {"SetCell", [&] { excel.SetCell(Variant::number(42), "A1"); }},
        {"SortCell", [&] { excel.SortCell("A1"); }},
        {"InsertColumn", [&] { excel.InsertColumn("A1"); }},
        {"InsertRow", [&] { excel.InsertRow("A1"); }},
        {"RemoveRow", [&] { excel.RemoveRow("A1"); }},
        {"RemoveColumn", [&] { excel.RemoveColumn("A1"); }},
        {"RenameSheet", [&] { excel.RenameSheet(Variant::number(1), "X"); }},
        {"RemoveSheet", [&] { excel.RemoveSheet("Sheet1"); }},
        {"InsertSheet", [&] { excel.InsertSheet(); }},
        {"OpenBook", [&] { excel.OpenBook("/in/a.xls"); }},
        {"NewBook", [&] { excel.NewBook(); }},
        {"SaveBook", [&] { excel.SaveBook(); }},
        {"SaveAsBook", [&] { excel.SaveAsBook("/out/a.xls"); }},
        {"PrintSheet", [&] { excel.PrintSheet(); }},
        {"PrintBook", [&] { excel.PrintBook(); }},
        {"PrintSelCell", [&] { excel.PrintSelCell("A1"); }},
        {"Mostrar", [&] { excel.Mostrar(); }},
        {"Ocultar", [&] { excel.Ocultar(); }},
    };
    for (const auto& [name, operation] : operations) {
        try {
            operation();
            ADD_FAILURE() << name << " succeeded without an application";
        } catch (const SpreadsheetError& error) {
            EXPECT_EQ(error.code(), spreadsheet::kErrorObjectNotSet) << name;
            EXPECT_STREQ(error.what(),
                         "Object variable not set (error 91): no spreadsheet application is "
                         "running.")
                << name;
        }
    }
    excel.NewDinamicTableExtern();
    EXPECT_EQ(otherSheet.value(0, 0), CellValue::number(2));
    EXPECT_EQ(otherSheet.value(1, 0), CellValue::number(1));
    EXPECT_EQ(other->Workbooks().Count(), 1);
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(printer.jobs.empty());
}

TEST_F(ExcelVbTest, CrearStartsAnInvisibleApplicationAndQuitarLetsGo) {
    excel.Crear();
    spreadsheet::Application* first = excel.application();
    EXPECT_FALSE(first->Visible());
    excel.Mostrar();
    EXPECT_TRUE(first->Visible());
    excel.Ocultar();
    EXPECT_FALSE(first->Visible());
    excel.Crear();
    EXPECT_NE(excel.application(), nullptr);
    excel.Quitar();
    EXPECT_EQ(excel.application(), nullptr);
    EXPECT_THROW(excel.Quitar(), SpreadsheetError);
    excel.NewDinamicTableExtern();
}

TEST_F(ExcelVbTest, SetCellSelectsAndWritesTheActiveCellOnly) {
    started();
    excel.SetCell(Variant::number(42), "B2");
    EXPECT_EQ(sheet().value(1, 1), CellValue::number(42));
    EXPECT_EQ(selection(), "B2");
    EXPECT_EQ(activeCell(), "B2");
    EXPECT_EQ(app().ActiveSheet().Name(), "Sheet1");

    excel.SetCell(Variant::text("x"), "A1:B2");
    EXPECT_EQ(text("A1"), "x");
    EXPECT_EQ(text("B2"), "42");
    EXPECT_EQ(selection(), "A1:B2");
    EXPECT_EQ(activeCell(), "A1");

    excel.SetCell(Variant::text("007"), "C3");
    EXPECT_EQ(sheet().value(2, 2), CellValue::number(7));
    excel.SetCell(Variant::text("'007"), "C3");
    EXPECT_EQ(sheet().value(2, 2), CellValue::text("007"));
    excel.SetCell(Variant(), "C3");
    EXPECT_TRUE(sheet().value(2, 2).isEmpty());
}

class Counter : public spreadsheet::VariantObject {
public:
    mutable int asked = 0;
    Variant defaultValue() const override {
        if (++asked > 2) throw std::runtime_error("the record is gone");
        return Variant::text("0" + std::to_string(asked));
    }
};

TEST_F(ExcelVbTest, SetCellWritesAnObjectsCurrentDefaultValue) {
    started();
    auto counter = std::make_shared<Counter>();
    Variant object = Variant::object(counter);
    excel.SetCell(object, "A1");
    excel.SetCell(object, "A2");
    EXPECT_EQ(sheet().value(0, 0), CellValue::text("01"));
    EXPECT_EQ(sheet().value(1, 0), CellValue::text("02"));
    // A failing assignment leaves the cell selected and unwritten.
    EXPECT_THROW(excel.SetCell(object, "D9"), std::runtime_error);
    EXPECT_EQ(selection(), "D9");
    EXPECT_TRUE(sheet().value(8, 3).isEmpty());
    EXPECT_THROW(excel.SetCell(Variant::text("x"), "A0"), SpreadsheetError);
}

TEST_F(ExcelVbTest, SortCellSortsTheSelectionByTheActiveCellAndTheCellRightOfIt) {
    started();
    const std::vector<std::vector<const char*>> rows = {
        {"NAME", "N", "Z"}, {"b", "2", "1"}, {"a", "9", "3"}, {"b", "1", "2"}};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
            excel.SetCell(Variant::text(rows[r][c]),
                          spreadsheet::cellName(static_cast<int>(r), static_cast<int>(c)));
        }
    }
    excel.SelCell("A1:C4");
    excel.SortCell("A1");  // keys: A, then B
    EXPECT_EQ(text("A2") + text("A3") + text("A4"), "abb");
    EXPECT_EQ(text("B2") + text("B3") + text("B4"), "912");
    excel.SortCell("B1");  // keys: A, then C
    EXPECT_EQ(text("C2") + text("C3") + text("C4"), "312");
    EXPECT_EQ(text("A1"), "NAME");
    EXPECT_EQ(selection(), "A1:C4");
    // A second key past the last column cannot exist.
    excel.SelCell("IV1");
    EXPECT_THROW(excel.SortCell("A1"), SpreadsheetError);
}

TEST_F(ExcelVbTest, WholeRowAndColumnOperations) {
    started();
    excel.SetCell(Variant::text("a"), "A1");
    excel.SetCell(Variant::text("b"), "B2");
    excel.InsertRow("A1");
    EXPECT_EQ(text("A2") + text("B3"), "ab");
    excel.InsertColumn("A5:B5");
    EXPECT_EQ(text("C2") + text("D3"), "ab");
    excel.RemoveColumn("C9");
    EXPECT_EQ(text("C3"), "b");
    EXPECT_TRUE(sheet().Range("C2").Value().isEmpty());
    excel.RemoveRow("B1:B2");
    EXPECT_EQ(text("C1"), "b");
    EXPECT_EQ(selection(), "B1:B2");
}

TEST_F(ExcelVbTest, SheetOperations) {
    started();
    excel.RenameSheet(Variant::text("Sheet2"), "Datos");
    EXPECT_EQ(app().ActiveSheet().Name(), "Datos");
    excel.RenameSheet(Variant::number(3), "Tercera");
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Sheet1", "Datos", "Tercera"}));
    EXPECT_THROW(excel.RenameSheet(Variant::number(1), "Datos"), SpreadsheetError);
    EXPECT_EQ(app().ActiveSheet().Name(), "Sheet1");  // the failed rename still selected it

    excel.InsertSheet();
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Sheet4", "Sheet1", "Datos", "Tercera"}));
    EXPECT_EQ(app().ActiveSheet().Name(), "Sheet4");

    excel.RemoveSheet("datos");
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Sheet4", "Sheet1", "Tercera"}));
    EXPECT_EQ(app().ActiveSheet().Name(), "Tercera");
    EXPECT_THROW(excel.RemoveSheet("Datos"), SpreadsheetError);
}

TEST_F(ExcelVbTest, WorkbookOperations) {
    started();
    excel.SetCell(Variant::text("saved"), "A1");
    EXPECT_THROW(excel.SaveBook(), SpreadsheetError);  // never saved
    excel.SaveAsBook("/out/one.xls");
    EXPECT_EQ(files.files.at("/out/one.xls").sheets[0].cells[0].text, "saved");
    excel.SetCell(Variant::text("again"), "A1");
    excel.SaveBook();
    EXPECT_EQ(files.files.at("/out/one.xls").sheets[0].cells[0].text, "again");

    excel.NewBook();
    EXPECT_EQ(app().ActiveWorkbook().Name(), "Book2");
    EXPECT_TRUE(sheet().store().empty());
    excel.OpenBook("/out/one.xls");
    EXPECT_EQ(app().ActiveWorkbook().Name(), "one.xls");
    EXPECT_EQ(text("A1"), "again");
    EXPECT_THROW(excel.OpenBook("/out/none.xls"), SpreadsheetError);

    // SaveAsBook asks for the Open XML format (51) by the name's ending alone.
    for (const char* name :
         {"/out/a.xlsx", "/out/b.XlsX", "/out/c.xls", "/out/d.xlsx.bak", "/out/e", "/out/f.csv"}) {
        excel.SaveAsBook(name);
    }
    EXPECT_EQ(files.xlsxFiles, (std::vector<std::string>{"/out/a.xlsx", "/out/b.XlsX"}));
    for (const char* name : {"/out/c.xls", "/out/d.xlsx.bak", "/out/e", "/out/f.csv"}) {
        EXPECT_EQ(files.files.count(name), 1u) << name;
    }
}

TEST_F(ExcelVbTest, SaveBookRefusesAWorkbookWhoseFileHoldsMore) {
    xls::WorkbookData withFormulas;
    withFormulas.sheets.resize(1);
    withFormulas.sheets[0].name = "Sheet1";
    withFormulas.unsupportedContent = {"formulas"};
    files.files["/in/f.xls"] = withFormulas;
    excel.Crear();
    excel.OpenBook("/in/f.xls");
    try {
        excel.SaveBook();
        FAIL();
    } catch (const SpreadsheetError& error) {
        EXPECT_NE(std::string(error.what()).find("formulas"), std::string::npos);
    }
    EXPECT_EQ(files.writes, 0);
    excel.SaveAsBook("/in/g.xls");
    EXPECT_EQ(files.writes, 1);
}

TEST_F(ExcelVbTest, PrintOperationsGoToThePrinter) {
    started();
    excel.SetCell(Variant::text("a1"), "A1");
    excel.SetCell(Variant::number(5), "B2");
    excel.SetCell(Variant::text("c3"), "C3");
    excel.SelCell("A1");
    excel.PrintSelCell("C3");
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].rows, (std::vector<std::vector<std::string>>{{"a1"}}));
    EXPECT_EQ(printer.jobs[0].copies, 1);
    EXPECT_TRUE(printer.jobs[0].collate);
    EXPECT_EQ(selection(), "C3");

    excel.PrintSheet();
    ASSERT_EQ(printer.jobs.size(), 2u);
    EXPECT_EQ(printer.jobs[1].title, "Book1 - Sheet1");
    EXPECT_EQ(printer.jobs[1].rows, (std::vector<std::vector<std::string>>{
                                        {"a1", "", ""}, {"", "5", ""}, {"", "", "c3"}}));
    EXPECT_FALSE(printer.jobs[1].collate);

    excel.InsertSheet();
    excel.SetCell(Variant::text("other"), "B1");
    excel.PrintBook();  // both sheets with cells, in tab order
    ASSERT_EQ(printer.jobs.size(), 4u);
    EXPECT_EQ(printer.jobs[2].title, "Book1 - Sheet4");
    EXPECT_EQ(printer.jobs[3].title, "Book1 - Sheet1");

    printer.fail = true;
    EXPECT_THROW(excel.PrintBook(), SpreadsheetError);
    ExcelVb noPrinter;
    noPrinter.Crear();
    noPrinter.NewBook();
    EXPECT_THROW(noPrinter.PrintBook(), SpreadsheetError);
}

TEST_F(ExcelVbTest, PivotTableSheetSumsHoursByNameIdAndDate) {
    started();
    const std::vector<std::vector<Variant>> rows = {
        {Variant::text("NOMBRE"), Variant::text("CEDULA"), Variant::text("FECHA"),
         Variant::text("HORAS")},
        {Variant::text("Ana"), Variant::number(100), Variant::date({2024, 1, 2, 0}),
         Variant::number(8)},
        {Variant::text("Ana"), Variant::number(100), Variant::date({2024, 1, 2, 0}),
         Variant::number(2)},
        {Variant::text("Luis"), Variant::number(200), Variant::date({2024, 1, 3, 0}),
         Variant::number(5)},
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            excel.SetCell(rows[r][c],
                          spreadsheet::cellName(static_cast<int>(r), static_cast<int>(c)));
        }
    }
    excel.NewDinamicTableSheet("A1:D4");
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Sheet4", "Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(sheet().Name(), "Sheet4");
    EXPECT_EQ(text("A1"), "Sum of HORAS");
    EXPECT_EQ(text("B2") + "|" + text("B3"), "100|2024-01-02");
    EXPECT_EQ(text("A4"), "NOMBRE");
    EXPECT_EQ(text("A5") + "|" + text("B5") + "|" + text("C5"), "Ana|10|");
    EXPECT_EQ(text("A6") + "|" + text("C6") + "|" + text("D6"), "Luis|5|5");
    EXPECT_EQ(text("D7"), "15");

    excel.SelCell("A1");
    app().Sheets().Item(std::string_view("Sheet1")).Select();
    excel.SetCell(Variant::text("NAME"), "A1");
    EXPECT_THROW(excel.NewDinamicTableSheet("A1:D4"), SpreadsheetError);
}

}  // namespace
}  // namespace tableexport
