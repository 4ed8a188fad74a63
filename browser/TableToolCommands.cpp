#include "browser/TableToolCommands.h"

#include "base/ShownText.h"
#include "browser/DataGrid.h"
#include "browser/ViewOrderModel.h"
#include "engine/CsvImport.h"
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/TablePack.h"
#include "platform/Prompts.h"

#include <QSignalBlocker>

namespace browser {

namespace {

constexpr const char* kPackTitle = "Pack table";
constexpr const char* kImportTitle = "Import CSV";

std::string recordsText(long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A set that cannot be changed says why (a snapshot, a workbook, a table read-only for a reason
// of its own) when asked to start a new record.
void requireUpdatable(engine::Recordset& set) {
    if (!set.Updatable()) set.AddNew();
}

}  // namespace

TableToolCommands::TableToolCommands(DataGrid& grid, engine::DataControl& dataControl,
                                     shell::AppServices& services, QMenu& menu,
                                     std::function<void()> reopen, QObject* parent)
    : GridMenuTools(grid, dataControl, services, menu, std::move(reopen), parent) {
    m_showDeleted = alsoOnGrid(addEntry("Show deleted records", "gridShowDeleted",
                                        [this](bool checked) { showDeletedRecords(checked); }));
    m_showDeleted->setCheckable(true);
    m_recall = alsoOnGrid(addEntry("Recall", "gridRecall", [this] { recall(); }));
    m_pack = alsoOnGrid(addEntry("Pack", "gridPack", [this] { pack(); }));
    m_import = alsoOnGrid(addEntry("Import CSV...", "gridImportCsv", [this] { importCsv(); }));
    // The check follows the view: a sort or a filter ends the display of deleted records.
    connect(&m_grid.view(), &ViewOrderModel::viewChanged, this, [this] {
        const QSignalBlocker quiet(m_showDeleted);
        m_showDeleted->setChecked(m_grid.view().showsDeletedRecords());
    });
}

QAction* TableToolCommands::alsoOnGrid(QAction* action) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grid.addAction(action);
    return action;
}

void TableToolCommands::enableForMenu() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    const ViewOrderModel& view = m_grid.view();
    m_showDeleted->setChecked(view.showsDeletedRecords());
    m_showDeleted->setEnabled(set != nullptr);
    m_recall->setVisible(view.showsDeletedRecords());
    m_recall->setEnabled(set != nullptr && view.deletedRecordAt(m_grid.currentIndex().row()) >= 0);
    m_pack->setEnabled(set != nullptr);
    m_import->setEnabled(set != nullptr);
}

std::string TableToolCommands::openTablePath() const {
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr) throw engine::EngineError("No table is open.");
    requireUpdatable(*set);
    return m_dataControl.TablePath();
}

void TableToolCommands::showDeletedRecords(bool show) {
    try {
        m_grid.changeView([&] { m_grid.view().showDeletedRecords(show); });
    } catch (...) {
        m_showDeleted->setChecked(m_grid.view().showsDeletedRecords());
        throw;
    }
}

void TableToolCommands::recall() {
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr) throw engine::EngineError("No table is open.");
    const long number = m_grid.view().deletedRecordAt(m_grid.currentIndex().row());
    if (number < 0) throw engine::EngineError("The current row is not a deleted record.");
    m_grid.finishEditing();
    set->Recall(static_cast<std::uint32_t>(number));
    m_grid.syncCurrentRow();
}

void TableToolCommands::pack() {
    const std::string path = openTablePath();
    if (m_services.prompts.messageBox("Deleted records are removed for good; a backup is kept.",
                                      platform::MessageButtons::OkCancel,
                                      platform::MessageIcon::Exclamation,
                                      kPackTitle) != platform::MessageResult::Ok) {
        return;
    }
    m_grid.finishEditing();
    // The table is closed while it is rewritten, and opened again whatever happened.
    m_dataControl.SetRecordsetNothing();
    engine::PackResult result;
    try {
        result = engine::packTable(path, &m_dataControl.Files());
    } catch (const std::exception& failure) {
        reopen(failure.what());
        throw;
    }
    reopen("");
    std::string backups = base::shownText(result.tableBackup);
    if (!result.memoBackup.empty()) backups += " and " + base::shownText(result.memoBackup);
    m_services.prompts.messageBox(recordsText(result.kept, "record", "records") + " kept, " +
                                      recordsText(result.removed, "record", "records") +
                                      " removed. The old files are now " + backups + ".",
                                  platform::MessageButtons::Ok, platform::MessageIcon::None,
                                  kPackTitle);
}

void TableToolCommands::reopen(const std::string& failure) {
    try {
        m_reopen();
    } catch (const std::exception& reopening) {
        // Both are told: what the tool did, and why the table is no longer open.
        const std::string done = failure.empty() ? "The table was packed." : failure;
        throw engine::EngineError(done +
                                  " The table could not be opened again: " + reopening.what());
    }
}

void TableToolCommands::importCsv() {
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr) throw engine::EngineError("No table is open.");
    const std::optional<std::string> file =
        m_services.prompts.openFileName("CSV files (*.csv)|*.csv|All files (*.*)|*.*");
    if (!file) return;
    m_grid.finishEditing();
    // With deleted records shown every row appended would lay the whole view out again: they
    // are shown again once the rows are in.
    const bool deletedShown = m_grid.view().showsDeletedRecords();
    if (deletedShown) showDeletedRecords(false);
    const auto showAgain = [&] {
        m_grid.Refresh();
        if (deletedShown) showDeletedRecords(true);
    };
    long rows = 0;
    try {
        rows = engine::importCsv(*set, *file);
    } catch (...) {
        showAgain();
        throw;
    }
    showAgain();
    m_services.prompts.messageBox("Imported " + recordsText(rows, "row", "rows") + ".",
                                  platform::MessageButtons::Ok, platform::MessageIcon::None,
                                  kImportTitle);
}

}  // namespace browser
