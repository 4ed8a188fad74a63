#include "export/ExcelVb.h"

#include "spreadsheet/PivotTable.h"
#include "spreadsheet/RowSource.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Variant.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"

#include <algorithm>

namespace tableexport {

namespace {

const std::string kPivotTableName = "Tabla dinámica1";

bool endsWithXlsx(const std::string& name) {
    constexpr std::string_view kEnding = ".xlsx";
    if (name.size() < kEnding.size()) return false;
    return std::equal(
        kEnding.begin(), kEnding.end(), name.end() - kEnding.size(),
        [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

}  // namespace

ExcelVb::ExcelVb(spreadsheet::Printer* printer, spreadsheet::WorkbookFiles files)
    : m_printer(printer), m_files(std::move(files)) {}

ExcelVb::~ExcelVb() = default;

void ExcelVb::refuseNoApplication() {
    throw spreadsheet::SpreadsheetError::objectNotSet("no spreadsheet application is running.");
}

// The selection step: the range addressed by reference among all cells of the active sheet
// becomes the selection, its first cell the active cell.
void ExcelVb::select(const std::string& reference) const {
    heldApplication().Cells().relativeRange(reference).Select();
}

void ExcelVb::Crear() { app = spreadsheet::Application::create(m_printer, m_files); }

void ExcelVb::Quitar() {
    heldApplication().Quit();
    app.reset();
}

void ExcelVb::NewDinamicTableSheet(const std::string& cellrange) {
    select(cellrange);
    spreadsheet::Application& application = heldApplication();
    application.ActiveSheet().PivotTableWizard(1, cellrange, "", kPivotTableName);
    application.ActiveSheet()
        .PivotTables(kPivotTableName)
        .AddFields({"NOMBRE"}, {"CEDULA", "FECHA"});
    application.ActiveSheet()
        .PivotTables(kPivotTableName)
        .PivotFields("HORAS")
        .SetOrientation(spreadsheet::kPivotDataField);
}

void ExcelVb::NewDinamicTableExtern() {}

void ExcelVb::SelCell(const std::string& cellrange) { select(cellrange); }

void ExcelVb::SetCell(const spreadsheet::Variant& dat, const std::string& cell) {
    select(cell);
    heldApplication().ActiveCell().SetFormulaR1C1(dat);
}

void ExcelVb::SortCell(const std::string& celda) {
    // The keys come from the library's global application object, not from app.
    std::shared_ptr<spreadsheet::Application> global = spreadsheet::globalApplication();
    if (!global) {
        throw spreadsheet::SpreadsheetError::objectNotSet("no spreadsheet application is running.");
    }
    spreadsheet::Range key1 = global->ActiveCell();
    spreadsheet::Range key2 = global->ActiveCell().Offset(0, 1).relativeRange(celda);
    spreadsheet::SortOptions options;
    options.key1 = key1;
    options.order1 = spreadsheet::kSortAscending;
    options.key2 = key2;
    options.order2 = spreadsheet::kSortAscending;
    options.header = spreadsheet::kHeaderGuess;
    options.orderCustom = 1;
    options.matchCase = false;
    options.orientation = spreadsheet::kSortRows;
    heldApplication().Selection().Sort(options);
}

void ExcelVb::InsertColumn(const std::string& cell) {
    select(cell);
    heldApplication().Selection().EntireColumn().Insert();
}

void ExcelVb::InsertRow(const std::string& cell) {
    select(cell);
    heldApplication().Selection().EntireRow().Insert();
}

void ExcelVb::RemoveRow(const std::string& cell) {
    select(cell);
    heldApplication().Selection().EntireRow().Delete();
}

void ExcelVb::RemoveColumn(const std::string& cell) {
    select(cell);
    heldApplication().Selection().EntireColumn().Delete();
}

void ExcelVb::RenameSheet(const spreadsheet::Variant& nameOld, const std::string& nameNew) {
    heldApplication().Sheets().Item(nameOld).Select();
    heldApplication().Sheets().Item(nameOld).SetName(nameNew);
}

void ExcelVb::RemoveSheet(const std::string& nameSheet) {
    heldApplication().Sheets().Item(std::string_view(nameSheet)).Select();
    heldApplication().ActiveWindow().SelectedSheets().Delete();
}

void ExcelVb::InsertSheet() { heldApplication().Sheets().Add(); }

void ExcelVb::OpenBook(const std::string& PathAndNameBook) {
    heldApplication().Workbooks().Open(PathAndNameBook);
}

void ExcelVb::NewBook() { heldApplication().Workbooks().Add(); }

void ExcelVb::SaveBook() { heldApplication().ActiveWorkbook().Save(); }

void ExcelVb::SaveAsBook(const std::string& PathAndNameBook) {
    spreadsheet::SaveAsOptions options;
    options.fileFormat = endsWithXlsx(PathAndNameBook) ? spreadsheet::kOpenXmlWorkbook
                                                       : spreadsheet::kWorkbookNormal;
    options.password = "";
    options.writeResPassword = "";
    options.readOnlyRecommended = false;
    options.createBackup = false;
    options.accessMode = 1;
    heldApplication().ActiveWorkbook().SaveAs(PathAndNameBook, options);
}

void ExcelVb::PrintSheet() { heldApplication().ActiveWindow().SelectedSheets().PrintOut(1); }

void ExcelVb::PrintBook() { heldApplication().ActiveWorkbook().PrintOut(1, true); }

void ExcelVb::PrintSelCell(const std::string& cellrange) {
    heldApplication().Selection().PrintOut(1, true);
    select(cellrange);
}

void ExcelVb::Mostrar() { heldApplication().SetVisible(true); }

void ExcelVb::Ocultar() { heldApplication().SetVisible(false); }

void ExcelVb::SetRows(std::shared_ptr<spreadsheet::RowSource> rows, const std::string& cell) {
    select(cell);
    spreadsheet::Worksheet& sheet = heldApplication().ActiveSheet();
    sheet.setRows(sheet.activeRow(), sheet.activeColumn(), std::move(rows));
}

}  // namespace tableexport
