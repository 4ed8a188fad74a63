#include "browser/TableTools.h"

#include "base/ShownText.h"
#include "browser/CodePageDialog.h"
#include "browser/DataGrid.h"
#include "engine/DataControl.h"
#include "engine/Driver.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/TableCodePage.h"
#include "engine/TableRepair.h"
#include "platform/Prompts.h"

#include <filesystem>

namespace browser {

namespace {

constexpr const char* kConvertTitle = "Convert code page";
constexpr const char* kRepairTitle = "Repair";
constexpr std::size_t kPreviewValues = 5;

// Names and texts from the files, made safe to show; the messages' own line breaks stay.
std::string fileName(const std::string& path) {
    return base::shownText(std::filesystem::path(path).filename().string());
}
std::string problemItem(const std::string& where, const std::string& what) {
    return "\n- " + base::shownText(where) + ": " + base::shownText(what);
}

engine::Progress progressOf(platform::ProgressReport& report) {
    return [&report](long done, long total) { return report.advance(done, total); };
}

}  // namespace

TableTools::TableTools(DataGrid& grid, engine::DataControl& dataControl,
                       shell::AppServices& services, QMenu& menu, std::function<void()> reopen,
                       QObject* parent)
    : GridMenuTools(grid, dataControl, services, menu, std::move(reopen), parent) {
    addEntry("Reopen with code page...", "gridReopenCodePage", [this] { reopenWithCodePage(); });
    addEntry("Convert code page...", "gridConvertCodePage", [this] { convertCodePage(); });
}

void TableTools::enableForMenu() {
    const bool dbase = m_dataControl.GetRecordset() != nullptr &&
                       engine::isDbase(engine::parseDriver(m_dataControl.Connect()));
    for (const char* name : {"gridReopenCodePage", "gridConvertCodePage"}) {
        if (QAction* action = m_menu.findChild<QAction*>(name)) action->setEnabled(dbase);
    }
}

void TableTools::reopenWithCodePage() {
    if (m_dataControl.GetRecordset() == nullptr) return;
    const std::string path = m_dataControl.TablePath();
    const engine::CodePagePreview preview = engine::previewCodePages(
        path, m_dataControl.Encoding(), std::max(0, m_grid.currentIndex().column()), kPreviewValues,
        &m_dataControl.Files());
    CodePageDialog dialog(CodePageDialog::Purpose::Reopen, fileName(path), preview, &m_grid);
    m_services.showModal(dialog);
    const int row = dialog.chosenRow();
    if (dialog.result() != QDialog::Accepted || row < 0) return;
    m_grid.finishEditing();
    const std::string before = m_dataControl.Encoding();
    m_dataControl.SetEncoding(preview.rows[static_cast<std::size_t>(row)].encoding);
    try {
        m_reopen();
    } catch (...) {
        m_dataControl.SetEncoding(before);
        throw;
    }
}

void TableTools::convertCodePage() {
    if (m_dataControl.GetRecordset() == nullptr) return;
    const std::string path = m_dataControl.TablePath();
    // No values: the text stays as it reads; only its bytes change.
    const engine::CodePagePreview preview =
        engine::previewCodePages(path, m_dataControl.Encoding(), -1, 0, &m_dataControl.Files());
    CodePageDialog dialog(CodePageDialog::Purpose::Convert, fileName(path), preview, &m_grid);
    m_services.showModal(dialog);
    const int row = dialog.chosenRow();
    if (dialog.result() != QDialog::Accepted || row < 0) return;
    const engine::CodePagePreview::Row& chosen = preview.rows[static_cast<std::size_t>(row)];
    if (chosen.current) return;
    std::string from;
    for (const engine::CodePagePreview::Row& page : preview.rows) {
        if (page.current) from = page.name;
    }
    platform::Prompts& prompts = m_services.prompts;
    const std::string question =
        "Convert the text of " + fileName(path) + (from.empty() ? "" : " from code page " + from) +
        " to code page " + base::shownText(chosen.name) +
        "?\n\nEvery text and memo value is written in the new code page and the table is marked "
        "so. Nothing is written if a value has a character the new code page lacks. The old "
        "files are kept as backups.";
    if (prompts.messageBox(question, platform::MessageButtons::OkCancel,
                           platform::MessageIcon::None,
                           kConvertTitle) != platform::MessageResult::Ok) {
        return;
    }
    const std::string encoding = m_dataControl.Encoding();
    engine::CodePageResult result;
    auto done = [&] {
        return "Converted " + fileName(path) + " to code page " + result.codePage + ": " +
               std::to_string(result.changedValues) +
               (result.changedValues == 1 ? " value" : " values") +
               " re-encoded. The old files are now " + fileName(result.tableBackup) +
               (result.memoBackup.empty() ? "" : " and " + fileName(result.memoBackup)) + ".";
    };
    withTableClosed(
        [&] {
            auto report = prompts.progress("Converting " + fileName(path) + "...", kConvertTitle);
            result = engine::convertCodePage(path, encoding, chosen.encoding,
                                             &m_dataControl.Files(), progressOf(*report));
            // The table names its code page now.
            m_dataControl.SetEncoding("");
        },
        done);
    prompts.messageBox(done(), platform::MessageButtons::Ok, platform::MessageIcon::None,
                       kConvertTitle);
}

void TableTools::repair() {
    if (m_dataControl.GetRecordset() == nullptr) return;
    const std::string path = m_dataControl.TablePath();
    platform::Prompts& prompts = m_services.prompts;
    engine::TableCheckReport check;
    {
        auto report = prompts.progress("Checking " + fileName(path) + "...", kRepairTitle);
        check = engine::checkTable(path, &m_dataControl.Files(), progressOf(*report));
    }
    std::string mends, others;
    for (const engine::TableProblem& problem : check.problems) {
        std::string& list = problem.mendable() ? mends : others;
        list += problemItem(problem.where, problem.mendable() ? problem.mend : problem.what);
    }
    if (!check.anyMendable() || !check.repairRefused.empty()) {
        std::string text =
            check.sound() ? "The check finds no damage in " + fileName(path) + "."
            : check.repairRefused.empty()
                ? "Repair cannot mend what the check finds in " + fileName(path) + ":" + others
                : "Repair leaves " + fileName(path) +
                      " alone: " + base::shownText(check.repairRefused) + ".";
        prompts.messageBox(text, platform::MessageButtons::Ok, platform::MessageIcon::None,
                           kRepairTitle);
        return;
    }
    std::string question = "Repair " + fileName(path) + "? Repair will:" + mends;
    if (!others.empty()) question += "\n\nIt cannot mend:" + others;
    question += "\n\nWhere the table has to be written anew, its old files are kept as backups.";
    if (prompts.messageBox(question, platform::MessageButtons::OkCancel,
                           platform::MessageIcon::Exclamation,
                           kRepairTitle) != platform::MessageResult::Ok) {
        return;
    }
    engine::TableRepairReport repaired;
    auto done = [&] {
        std::string text = "Repaired " + fileName(path) + ":";
        for (const engine::TableProblem& problem : repaired.mended) {
            text += problemItem(problem.where, problem.mended);
        }
        if (repaired.rewritten) {
            text += "\n\nThe old files are kept as " + fileName(repaired.tableBackup) +
                    (repaired.memoBackup.empty() ? "" : " and " + fileName(repaired.memoBackup)) +
                    ".";
        }
        for (const engine::TableProblem& problem : repaired.after.problems) {
            text += "\nLeft:" + problemItem(problem.where, problem.what);
        }
        return text;
    };
    withTableClosed(
        [&] {
            auto report = prompts.progress("Repairing " + fileName(path) + "...", kRepairTitle);
            repaired = engine::repairTable(path, &m_dataControl.Files(), progressOf(*report));
        },
        done);
    prompts.messageBox(done(), platform::MessageButtons::Ok, platform::MessageIcon::None,
                       kRepairTitle);
}

void TableTools::withTableClosed(const std::function<void()>& work,
                                 const std::function<std::string()>& done) {
    m_grid.finishEditing();
    m_dataControl.SetRecordsetNothing();
    try {
        work();
    } catch (const std::exception& failure) {
        // The table as it stands (the old one: a failed tool changes nothing) comes back.
        std::string message = failure.what();
        try {
            m_reopen();
        } catch (const std::exception& again) {
            message += "\n" + std::string(again.what());
        }
        throw engine::EngineError(message);
    }
    try {
        m_reopen();
    } catch (const std::exception& reopening) {
        // The tool's work stands: say what it did as well as why the table is not open.
        throw engine::EngineError(done() + "\n" + reopening.what());
    }
}

}  // namespace browser
