// The spreadsheet application: its workbooks, what is active in it, and the global application
// object.
#pragma once

#include "spreadsheet/Range.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xls {
struct WorkbookData;
struct WorkbookView;
}  // namespace xls
namespace xlsx {
struct WorkbookView;
}

namespace spreadsheet {

class Application;
class Printer;
class SheetCollection;
class Window;
class Workbook;
class Worksheet;

// How workbooks reach files: the .xls reader and writer and the .xlsx writer, or stand-ins in
// tests. The writers read the workbook's cells in place through the view, which is valid only
// during the call.
struct WorkbookFiles {
    std::function<xls::WorkbookData(const std::string& path)> read;
    std::function<void(const std::string& path, const xls::WorkbookView& workbook)> write;
    std::function<void(const std::string& path, const xlsx::WorkbookView& workbook)> writeXlsx;

    // xls::readWorkbook, xls::writeWorkbook and xlsx::writeWorkbook.
    static WorkbookFiles standard();
};

class WorkbookCollection {
public:
    explicit WorkbookCollection(Application& application);
    ~WorkbookCollection();

    int Count() const { return static_cast<int>(m_books.size()); }
    // By 1-based position or by name (case ignored); SpreadsheetError (9) when there is none.
    Workbook& Item(int position) const;
    Workbook& Item(std::string_view name) const;
    // A new workbook ("Book1", "Book2", ...) of three empty worksheets; it becomes the active
    // workbook, its first sheet the active sheet.
    Workbook& Add();
    // Reads the .xls file into a new workbook, which becomes the active workbook. When that
    // file is already open here, that workbook is made active instead. Throws SpreadsheetError
    // (1004) with the reader's description when the file cannot be read, or when it holds no
    // worksheet.
    Workbook& Open(const std::string& fileName);

    void close(Workbook& workbook);
    void closeAll();

private:
    Application* m_application;
    std::vector<std::unique_ptr<Workbook>> m_books;
    int m_lastNumber = 0;
};

// One running spreadsheet application. Applications are shared: whoever holds one keeps it;
// when the last holder lets go it ends, with its workbooks unsaved.
class Application {
public:
    // A new, running, invisible application without workbooks. printer may be null (printing
    // then fails); it must outlive the application.
    static std::shared_ptr<Application> create(Printer* printer = nullptr,
                                               WorkbookFiles files = WorkbookFiles::standard());
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Every member below throws SpreadsheetError (91) once the application has quit, and when
    // what it reaches is not there (no workbook open for ActiveWorkbook, ActiveSheet, ...).
    WorkbookCollection& Workbooks();
    Workbook& ActiveWorkbook();
    Worksheet& ActiveSheet();
    Window& ActiveWindow();
    SheetCollection& Sheets();  // the active workbook's
    spreadsheet::Range Selection();
    spreadsheet::Range ActiveCell();
    spreadsheet::Range Cells();  // every cell of the active sheet
    spreadsheet::Range Range(std::string_view reference);

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // Closes every workbook without saving and stops the application.
    void Quit();
    bool running() const { return m_running; }

    Printer* printer() const { return m_printer; }
    const WorkbookFiles& files() const { return m_files; }
    void setActiveWorkbook(Workbook* workbook) { m_activeWorkbook = workbook; }
    Workbook* activeWorkbookOrNull() const { return m_activeWorkbook; }

private:
    Application(Printer* printer, WorkbookFiles files);
    void checkRunning() const {
        if (!m_running) refuseQuit();
    }
    [[noreturn]] static void refuseQuit();
    [[noreturn]] static void refuseNoWorkbook();

    Printer* m_printer;
    WorkbookFiles m_files;
    WorkbookCollection m_workbooks;
    Workbook* m_activeWorkbook = nullptr;
    bool m_visible = false;
    bool m_running = true;
};

// The members a cell assignment goes through, defined here so that they compile inline: the
// selection step and the assignment use them for every cell written.

inline Workbook& Application::ActiveWorkbook() {
    checkRunning();
    if (m_activeWorkbook == nullptr) refuseNoWorkbook();
    return *m_activeWorkbook;
}

inline Worksheet& Application::ActiveSheet() { return ActiveWorkbook().ActiveSheet(); }

inline Range Application::Selection() {
    Worksheet& sheet = ActiveSheet();
    return {sheet, sheet.selection()};
}

inline Range Application::ActiveCell() {
    Worksheet& sheet = ActiveSheet();
    return {sheet,
            {sheet.activeRow(), sheet.activeColumn(), sheet.activeRow(), sheet.activeColumn()}};
}

inline Range Application::Cells() { return ActiveSheet().Cells(); }

// The global application object of the library, which code may use without holding an
// application. It is bound at its first use to the most recently created application that is
// still running, and stays bound while that application runs; once it has quit or ended, the
// next use binds again in the same way. Returns null when no application is running.
std::shared_ptr<Application> globalApplication();

}  // namespace spreadsheet
