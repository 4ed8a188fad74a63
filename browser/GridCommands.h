// The grid's own commands, in its context menu and on its keys: find, copy and paste, undo and
// redo of cell edits, filters, and the sort a click on a column header asks for.
#pragma once

#include "browser/FindDialog.h"
#include "engine/DataControl.h"

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QUndoStack>

class QAction;
class QMenu;

namespace engine {
class Value;
}
namespace shell {
struct AppServices;
}

namespace browser {

class DataGrid;

// Owns the grid's actions: each is one entry of the context menu (right click, the Menu key) and
// a key that works while the grid (or a cell editor that does not take the key itself) has the
// focus. A command that fails reports through MostrarError; none touches the main window's
// controls. Undo and Redo cover the cell edits made in the grid (typed or pasted) since the table
// was opened, each undone or redone by an ordinary store through the record set; deleting a
// record, which moves the records after it, ends that history.
class GridCommands : public QObject, private engine::DataControlListener {
    Q_OBJECT
public:
    GridCommands(DataGrid& grid, engine::DataControl& dataControl, shell::AppServices& services,
                 QObject* parent = nullptr);
    ~GridCommands() override;

    QMenu& menu() const { return *m_menu; }

    // Ctrl+F: asks what to find in the Find dialog, then finds it.
    void find();
    // F3: the next record after the current one (in the order shown, wrapping round) holding the
    // last text asked for; it becomes the current record. Asks first when nothing was asked yet.
    void findNext();
    // Ctrl+C: the selected cells as tab-separated text, and as CSV ("text/csv").
    void copy();
    // Ctrl+V: tab-separated text into the cells from the selection's top-left cell on. Every
    // value is checked before the first is stored: the block goes in whole or not at all.
    void paste();
    void undo();
    void redo();
    // Shows only the records whose field holds what the current cell holds.
    void showOnlyThisValue();
    void showAll();
    // Sorts by column, ascending; again on the same column reverses the order.
    void sortBy(int column);
    void showInRecordOrder();

private:
    QAction* add(const QString& text, const char* name, const QList<QKeySequence>& keys,
                 void (GridCommands::*command)());
    void enableForMenu();
    void recordEdit(long position, int column, const engine::Value& before,
                    const engine::Value& after);
    // Stores value in the cell through the record set (the record becomes current). Throws the
    // engine's failure.
    void storeCell(long position, int column, const engine::Value& value);
    void recordRemoved(long position) override;
    void recordRecalled(long position) override;
    void recordsetReplaced() override;

    DataGrid& m_grid;
    engine::DataControl& m_dataControl;
    shell::AppServices& m_services;
    QMenu* m_menu;
    QUndoStack m_undo;
    FindRequest m_lastFind;
    bool m_findAsked = false;
};

}  // namespace browser
