// A wrapper over one spreadsheet application with 23 short operations, each a fixed sequence of
// object-model calls on what the application reports as active: select a range or a sheet, then
// act on the selection, the active cell, sheet, window or workbook.
#pragma once

#include "spreadsheet/Application.h"

#include <memory>
#include <string>

namespace spreadsheet {
class Printer;
class RowSource;
class Variant;
}  // namespace spreadsheet

namespace tableexport {

// The wrapper holds at most one application, and nothing else: no workbook, sheet or range.
//
// Failures: no operation handles errors. A failing call ends the operation with its
// SpreadsheetError; what earlier calls of the operation did stays done (when SetCell's
// assignment fails, the cell is still selected). Every operation except Crear and
// NewDinamicTableExtern needs a held application; without one it fails with the object-not-set
// error (91) before touching any workbook.
class ExcelVb {
public:
    // printer receives what the print operations print (null: printing fails); files are how
    // workbooks are read and written. Both are handed to each application Crear starts.
    explicit ExcelVb(spreadsheet::Printer* printer = nullptr,
                     spreadsheet::WorkbookFiles files = spreadsheet::WorkbookFiles::standard());
    // Lets go of a held application without asking it to quit.
    ~ExcelVb();
    ExcelVb(const ExcelVb&) = delete;
    ExcelVb& operator=(const ExcelVb&) = delete;

    // Starts a new, invisible application and holds it; one held before is let go of without
    // being asked to quit.
    void Crear();
    // Quits the application and lets go of it.
    void Quitar();
    // Selects cellrange, builds the pivot table "Tabla dinámica1" over it on a new sheet (which
    // becomes active), with NOMBRE in rows, CEDULA and FECHA in columns and the sums of HORAS as
    // data. Fails when the range lacks one of these headings; the new sheet then stays.
    void NewDinamicTableSheet(const std::string& cellrange);
    // Does nothing, with or without an application.
    void NewDinamicTableExtern();
    // Selects cellrange on the active sheet; its first cell becomes the active cell.
    void SelCell(const std::string& cellrange);
    // Selects cell and assigns dat to the active cell as typed input (spreadsheet/TypedInput.h);
    // for a range of several cells only its first cell is written. An object in dat gives its
    // default value.
    void SetCell(const spreadsheet::Variant& dat, const std::string& cell);
    // Sorts the selection ascending by two keys: the active cell of the global application
    // object (spreadsheet::globalApplication), then the range celda relative to the cell right
    // of that active cell ("A1" is that cell). The header row is guessed (Range.h states the
    // rule). celda does not choose what is sorted.
    void SortCell(const std::string& celda);
    // Select cell, then insert or delete its whole columns or rows.
    void InsertColumn(const std::string& cell);
    void InsertRow(const std::string& cell);
    void RemoveRow(const std::string& cell);
    void RemoveColumn(const std::string& cell);
    // Selects the sheet nameOld (a name, or a 1-based position) and renames it.
    void RenameSheet(const spreadsheet::Variant& nameOld, const std::string& nameNew);
    // Selects the sheet nameSheet, then deletes the sheets selected in the active window.
    void RemoveSheet(const std::string& nameSheet);
    // Adds a worksheet before the active sheet.
    void InsertSheet();
    // Opens a workbook file; it becomes the active workbook.
    void OpenBook(const std::string& PathAndNameBook);
    // Creates a new workbook; it becomes active, its first worksheet the active sheet.
    void NewBook();
    // Saves the active workbook over its file (refused for a workbook whose file holds content
    // the component does not keep).
    void SaveBook();
    // Saves the active workbook as PathAndNameBook, without passwords, not read-only
    // recommended, without a backup: as an Open XML workbook (file format 51) when the name ends
    // in ".xlsx" (any case), else in the .xls format (-4143).
    void SaveAsBook(const std::string& PathAndNameBook);
    // Prints the sheets selected in the active window, one copy.
    void PrintSheet();
    // Prints the active workbook, one copy, collated.
    void PrintBook();
    // Prints the selection as it is now (one copy, collated), then selects cellrange.
    void PrintSelCell(const std::string& cellrange);
    void Mostrar();
    void Ocultar();

    // Beyond the 23 operations, the one way to fill a sheet fast: selects cell, then the active
    // sheet takes the rows of source from the active cell on, as data, produced when the
    // workbook is saved (spreadsheet::Worksheet::setRows states the rules).
    void SetRows(std::shared_ptr<spreadsheet::RowSource> rows, const std::string& cell);

    // The held application, or null.
    spreadsheet::Application* application() const { return app.get(); }

private:
    spreadsheet::Application& heldApplication() const {
        if (!app) refuseNoApplication();
        return *app;
    }
    [[noreturn]] static void refuseNoApplication();
    void select(const std::string& reference) const;

    spreadsheet::Printer* m_printer;
    spreadsheet::WorkbookFiles m_files;
    std::shared_ptr<spreadsheet::Application> app;
};

}  // namespace tableexport
