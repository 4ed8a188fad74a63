// The grid's menu entries for a table's deleted records and whole-table tools: show deleted
// records, recall, pack and import from a CSV file.
#pragma once

#include "browser/GridMenuTools.h"

#include <functional>
#include <string>

namespace browser {

// Adds its entries to the end of the grid's context menu (the menu of GridCommands) and keeps
// their enabled states as the menu opens. Every question goes through the prompts, every failure
// through MostrarError; a tool that rewrites the table closes the record set first and has it
// opened again afterwards through reopen (from the data control's settings, as the Open command
// does).
class TableToolCommands : public GridMenuTools {
    Q_OBJECT
public:
    TableToolCommands(DataGrid& grid, engine::DataControl& dataControl,
                      shell::AppServices& services, QMenu& menu, std::function<void()> reopen,
                      QObject* parent = nullptr);

    // Shows or hides the deleted records among the live ones (the checkable entry follows).
    void showDeletedRecords(bool show);
    // Marks the deleted record the grid's current row shows live again; it becomes current.
    void recall();
    // Asks ("Pack table"), then removes the deleted records for good and reopens the table.
    void pack();
    // Asks for a CSV file and appends its rows, all or none.
    void importCsv();

private:
    // Makes an entry a shortcut of the grid's as well.
    QAction* alsoOnGrid(QAction* action);
    void enableForMenu() override;
    // The table file of the open dBASE set; throws when none is open.
    std::string openTablePath() const;
    // Opens the table again after a tool rewrote it; when that fails, throws both the tool's
    // failure (empty: it succeeded) and why the table could not be opened.
    void reopen(const std::string& failure);

    QAction* m_showDeleted;
    QAction* m_recall;
    QAction* m_pack;
    QAction* m_import;
};

}  // namespace browser
