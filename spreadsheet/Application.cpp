#include "spreadsheet/Application.h"

#include "base/AsciiCase.h"
#include "base/SameFile.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Worksheet.h"
#include "spreadsheet/detail/Text.h"
#include "xls/WorkbookData.h"
#include "xls/WorkbookView.h"
#include "xlsx/WorkbookView.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace spreadsheet {

namespace {

// Every application created, for the global application object to bind to.
struct Registry {
    std::mutex mutex;
    std::vector<std::weak_ptr<Application>> created;
    std::weak_ptr<Application> bound;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

WorkbookFiles WorkbookFiles::standard() {
    return {xls::readWorkbook,
            [](const std::string& path, const xls::WorkbookView& workbook) {
                xls::writeWorkbook(path, workbook);
            },
            xlsx::writeWorkbook};
}

// --- WorkbookCollection ---

WorkbookCollection::WorkbookCollection(Application& application) : m_application(&application) {}

WorkbookCollection::~WorkbookCollection() = default;

Workbook& WorkbookCollection::Item(int position) const {
    if (position < 1 || position > Count()) {
        throw SpreadsheetError::subscriptOutOfRange("there is no workbook at position " +
                                                    std::to_string(position) + ".");
    }
    return *m_books[static_cast<std::size_t>(position - 1)];
}

Workbook& WorkbookCollection::Item(std::string_view name) const {
    for (const auto& book : m_books) {
        if (base::equalsIgnoringCase(book->Name(), name)) return *book;
    }
    throw SpreadsheetError::subscriptOutOfRange("no open workbook is named " + std::string(name) +
                                                ".");
}

Workbook& WorkbookCollection::Add() {
    m_books.push_back(
        std::make_unique<Workbook>(*m_application, "Book" + std::to_string(++m_lastNumber)));
    m_books.back()->Activate();
    return *m_books.back();
}

Workbook& WorkbookCollection::Open(const std::string& fileName) {
    for (const auto& book : m_books) {
        if (!book->path().empty() && base::sameFile(book->path(), fileName)) {
            book->Activate();
            return *book;
        }
    }
    xls::WorkbookData data;
    try {
        data = m_application->files().read(fileName);
    } catch (const SpreadsheetError&) {
        throw;
    } catch (const std::exception& failure) {
        throw SpreadsheetError::operationFailed(failure.what());
    }
    m_books.push_back(std::make_unique<Workbook>(*m_application, fileName, std::move(data)));
    m_books.back()->Activate();
    return *m_books.back();
}

void WorkbookCollection::close(Workbook& workbook) {
    bool wasActive = m_application->activeWorkbookOrNull() == &workbook;
    std::erase_if(m_books, [&](const auto& book) { return book.get() == &workbook; });
    if (wasActive)
        m_application->setActiveWorkbook(m_books.empty() ? nullptr : m_books.back().get());
}

void WorkbookCollection::closeAll() {
    m_application->setActiveWorkbook(nullptr);
    m_books.clear();
}

// --- Application ---

Application::Application(Printer* printer, WorkbookFiles files)
    : m_printer(printer), m_files(std::move(files)), m_workbooks(*this) {}

std::shared_ptr<Application> Application::create(Printer* printer, WorkbookFiles files) {
    std::shared_ptr<Application> application(new Application(printer, std::move(files)));
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.created, [](const auto& weak) { return weak.expired(); });
    r.created.push_back(application);
    return application;
}

Application::~Application() { m_workbooks.closeAll(); }

void Application::refuseQuit() {
    throw SpreadsheetError::objectNotSet("the spreadsheet application has quit.");
}

void Application::refuseNoWorkbook() {
    throw SpreadsheetError::objectNotSet("no workbook is open in the spreadsheet application.");
}

WorkbookCollection& Application::Workbooks() {
    checkRunning();
    return m_workbooks;
}

Window& Application::ActiveWindow() { return ActiveWorkbook().ActiveWindow(); }

SheetCollection& Application::Sheets() { return ActiveWorkbook().Sheets(); }

Range Application::Range(std::string_view reference) { return ActiveSheet().Range(reference); }

void Application::SetVisible(bool visible) {
    checkRunning();
    m_visible = visible;
}

void Application::Quit() {
    checkRunning();
    m_workbooks.closeAll();
    m_visible = false;
    m_running = false;
}

std::shared_ptr<Application> globalApplication() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (std::shared_ptr<Application> bound = r.bound.lock(); bound && bound->running()) {
        return bound;
    }
    r.bound.reset();
    for (auto it = r.created.rbegin(); it != r.created.rend(); ++it) {
        if (std::shared_ptr<Application> application = it->lock();
            application && application->running()) {
            r.bound = application;
            return application;
        }
    }
    return nullptr;
}

}  // namespace spreadsheet
