#include "browser/GridCommands.h"

#include "browser/CellText.h"
#include "browser/DataGrid.h"
#include "browser/RecordScan.h"
#include "browser/RecordsetModel.h"
#include "browser/ValueVariant.h"
#include "browser/ViewOrderModel.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "platform/Prompts.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QUndoCommand>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace browser {

namespace {

// More cells than this are not copied: each is read through the record set, and a sorted view's
// rows are scattered over the table.
constexpr long kMostCopiedCells = 100'000;

// The mouse pointer while a command reads through the whole table. The error reporter puts the
// pointer back itself.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() {
        if (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// One cell's edit, already made when it is pushed: the first redo does nothing.
class CellEdit : public QUndoCommand {
public:
    using Store = std::function<void(long, int, const engine::Value&)>;
    CellEdit(Store store, long position, int column, engine::Value before, engine::Value after,
             QUndoCommand* parent = nullptr)
        : QUndoCommand(parent),
          m_store(std::move(store)),
          m_position(position),
          m_column(column),
          m_before(std::move(before)),
          m_after(std::move(after)) {}

    void undo() override { m_store(m_position, m_column, m_before); }
    void redo() override {
        if (m_made) m_store(m_position, m_column, m_after);
        m_made = true;
    }

private:
    Store m_store;
    long m_position;
    int m_column;
    engine::Value m_before;
    engine::Value m_after;
    bool m_made = false;
};

std::string quotedText(const QString& text) { return "\"" + text.toStdString() + "\""; }

}  // namespace

GridCommands::GridCommands(DataGrid& grid, engine::DataControl& dataControl,
                           shell::AppServices& services, QObject* parent)
    : QObject(parent),
      m_grid(grid),
      m_dataControl(dataControl),
      m_services(services),
      m_menu(new QMenu(&grid)) {
    m_menu->setObjectName("gridMenu");
    // A popup takes no font from the window it belongs to.
    m_menu->setFont(grid.font());
    add("Find...", "gridFind", {QKeySequence::Find}, &GridCommands::find);
    add("Find Next", "gridFindNext", {Qt::Key_F3}, &GridCommands::findNext);
    m_menu->addSeparator();
    add("Copy", "gridCopy", {QKeySequence::Copy}, &GridCommands::copy);
    add("Paste", "gridPaste", {QKeySequence::Paste}, &GridCommands::paste);
    add("Undo", "gridUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &GridCommands::undo);
    add("Redo", "gridRedo",
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        &GridCommands::redo);
    m_menu->addSeparator();
    add("Show only records where this column is this value", "gridShowOnly", {},
        &GridCommands::showOnlyThisValue);
    add("Show all", "gridShowAll", {}, &GridCommands::showAll);
    add("Show in record order", "gridRecordOrder", {}, &GridCommands::showInRecordOrder);

    connect(m_menu, &QMenu::aboutToShow, this, &GridCommands::enableForMenu);
    // Disabled entries would also silence their keys.
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        for (QAction* action : m_menu->actions()) action->setEnabled(true);
    });
    connect(&grid, &DataGrid::contextMenuWanted, m_menu,
            [this](const QPoint& at) { m_menu->popup(at); });
    shell::connectHandler(&grid, &DataGrid::headerClicked, this, services.prompts,
                          [this](int column) { sortBy(column); });
    if (RecordsetModel* model = grid.recordsetModel()) {
        model->setEditObserver(
            [this](long position, int column, const engine::Value& before,
                   const engine::Value& after) { recordEdit(position, column, before, after); });
    }
    m_dataControl.addListener(this);
}

GridCommands::~GridCommands() {
    m_dataControl.removeListener(this);
    if (RecordsetModel* model = m_grid.recordsetModel()) model->setEditObserver(nullptr);
}

QAction* GridCommands::add(const QString& text, const char* name, const QList<QKeySequence>& keys,
                           void (GridCommands::*command)()) {
    auto* action = new QAction(text, m_menu);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    shell::connectHandler(action, &QAction::triggered, this, m_services.prompts,
                          [this, command] { (this->*command)(); });
    m_menu->addAction(action);
    m_grid.addAction(action);
    return action;
}

void GridCommands::enableForMenu() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    const bool open = set != nullptr;
    const bool onRecord = open && m_grid.positionOfRow(m_grid.currentIndex().row()) >= 0;
    const bool editable = open && set->Updatable() && m_grid.AllowUpdate();
    const ViewOrderModel& view = m_grid.view();
    const std::pair<const char*, bool> states[] = {
        {"gridFind", open},
        {"gridFindNext", open},
        {"gridCopy", open && m_grid.selectionModel()->hasSelection()},
        {"gridPaste", editable && onRecord && QApplication::clipboard()->mimeData() != nullptr &&
                          QApplication::clipboard()->mimeData()->hasText()},
        {"gridUndo", editable && m_undo.canUndo()},
        {"gridRedo", editable && m_undo.canRedo()},
        {"gridShowOnly", onRecord},
        {"gridShowAll", view.isFiltered()},
        {"gridRecordOrder", view.sortColumn() >= 0},
    };
    for (const auto& [name, enabled] : states) {
        if (QAction* action = m_menu->findChild<QAction*>(name)) action->setEnabled(enabled);
    }
}

// ---- Find ----

void GridCommands::find() {
    if (m_dataControl.GetRecordset() == nullptr) return;
    FindDialog dialog(m_lastFind, &m_grid);
    m_services.showModal(dialog);
    // The keys go back to the grid (F3 next), whatever the desktop activates after the dialog.
    m_grid.window()->activateWindow();
    m_grid.setFocus(Qt::OtherFocusReason);
    if (dialog.result() != QDialog::Accepted || dialog.request().text.isEmpty()) return;
    m_lastFind = dialog.request();
    m_findAsked = true;
    findNext();
}

void GridCommands::findNext() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr) return;
    if (!m_findAsked) return find();
    m_grid.finishEditing();
    const ViewOrderModel& view = m_grid.view();
    const int currentColumn = std::max(0, m_grid.currentIndex().column());
    const int column = m_lastFind.allColumns ? -1 : currentColumn;
    TextMatcher matcher(m_lastFind.text, m_lastFind.matchCase);
    std::optional<long> row;
    {
        const WaitCursor waiting;
        row = findRow(*set, view.rowOrder(),
                      view.viewRow(static_cast<int>(set->AbsolutePosition())), column, matcher);
    }
    if (!row) {
        m_services.prompts.messageBox("No record holds " + quotedText(m_lastFind.text) + ".",
                                      platform::MessageButtons::Ok, platform::MessageIcon::None,
                                      "Find");
        return;
    }
    // The cell that matched becomes current, which moves the record set there.
    int matched = column;
    if (matched < 0) {
        const std::vector<engine::Value> values = set->readRow(view.rowOrder().positionAt(*row));
        matched = currentColumn;
        for (int at = 0; at < static_cast<int>(values.size()); ++at) {
            if (matcher.matches(values[static_cast<std::size_t>(at)])) {
                matched = at;
                break;
            }
        }
    }
    m_grid.setCurrentIndex(view.index(static_cast<int>(*row), matched));
    m_grid.scrollTo(m_grid.currentIndex());
}

// ---- Copy and paste ----

void GridCommands::copy() {
    if (m_dataControl.GetRecordset() == nullptr) return;
    const ViewOrderModel& view = m_grid.view();
    QItemSelection selection = m_grid.selectionModel()->selection();
    if (selection.isEmpty() && m_grid.currentIndex().isValid()) {
        selection.select(m_grid.currentIndex(), m_grid.currentIndex());
    }
    long cells = 0;
    std::set<int> rows;
    std::set<int> columns;
    for (const QItemSelectionRange& range : selection) {
        cells += static_cast<long>(range.width()) * range.height();
        if (cells > kMostCopiedCells) {
            throw engine::EngineError("Copy takes at most " + std::to_string(kMostCopiedCells) +
                                      " cells at a time; more are selected.");
        }
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!view.isNewRecordRow(row)) rows.insert(row);
        }
        for (int column = range.left(); column <= range.right(); ++column) columns.insert(column);
    }
    if (rows.empty()) return;
    QList<QStringList> table;
    for (int row : rows) {
        QStringList line;
        for (int column : columns) {
            const QModelIndex cell = view.index(row, column);
            line << (selection.contains(cell) ? cell.data(Qt::EditRole).toString() : QString());
        }
        table << line;
    }
    auto* data = new QMimeData;
    data->setText(joinCells(table, '\t', "\n"));
    data->setData("text/csv", joinCells(table, ',', "\r\n").toUtf8());
    QApplication::clipboard()->setMimeData(data);
}

void GridCommands::paste() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    if (set == nullptr || clipboard == nullptr || !clipboard->hasText()) return;
    const QList<QStringList> block = splitTabbedCells(clipboard->text());
    if (block.isEmpty()) return;
    if (!m_grid.AllowUpdate())
        throw engine::EngineError("Nothing was pasted: the grid is read-only.");
    m_grid.finishEditing();

    const ViewOrderModel& view = m_grid.view();
    // The selection's top-left cell (from its ranges: a whole column holds a million cells).
    QModelIndex anchor = m_grid.currentIndex();
    for (const QItemSelectionRange& range : m_grid.selectionModel()->selection()) {
        if (!anchor.isValid() || range.top() < anchor.row() ||
            (range.top() == anchor.row() && range.left() < anchor.column())) {
            anchor = view.index(range.top(), range.left());
        }
    }
    if (!anchor.isValid() || m_grid.positionOfRow(anchor.row()) < 0) {
        throw engine::EngineError("Nothing was pasted: choose a cell of a record to paste into.");
    }
    struct Cell {
        long position;
        int column;
        engine::Value value;
        engine::Value before;
    };
    std::vector<Cell> cells;
    const std::string fieldName =
        view.headerData(anchor.column(), Qt::Horizontal).toString().toStdString();
    for (int r = 0; r < block.size(); ++r) {
        const int row = anchor.row() + r;
        const long position = m_grid.positionOfRow(row);
        if (position < 0 || anchor.column() + block[r].size() > view.columnCount()) {
            throw engine::EngineError("Nothing was pasted: " + std::to_string(block.size()) +
                                      " rows of cells do not fit from record " +
                                      std::to_string(m_grid.positionOfRow(anchor.row())) +
                                      ", field " + fieldName + ", on.");
        }
        for (int c = 0; c < block[r].size(); ++c) {
            const int column = anchor.column() + c;
            const std::string where =
                "Nothing was pasted. Record " + std::to_string(position) + ": ";
            if (!(view.flags(view.index(row, column)) & Qt::ItemIsEditable)) {
                throw engine::EngineError(
                    where + "field " +
                    view.headerData(column, Qt::Horizontal).toString().toStdString() +
                    " cannot be changed.");
            }
            engine::Value value = toValue(block[r][c]);
            try {
                set->prepareValue(column, value);
            } catch (const std::exception& refused) {
                throw engine::EngineError(where + refused.what());
            }
            cells.push_back({position, column, std::move(value), set->readValue(position, column)});
        }
    }

    auto* paste = new QUndoCommand("Paste");
    std::size_t stored = 0;
    try {
        for (Cell& cell : cells) {
            storeCell(cell.position, cell.column, cell.value);
            new CellEdit([this](long p, int c, const engine::Value& v) { storeCell(p, c, v); },
                         cell.position, cell.column, std::move(cell.before),
                         set->readValue(cell.position, cell.column), paste);
            ++stored;
        }
    } catch (const std::exception& failure) {
        if (stored > 0)
            m_undo.push(paste);
        else
            delete paste;
        throw engine::EngineError(std::string(failure.what()) + " " + std::to_string(stored) +
                                  " of " + std::to_string(cells.size()) +
                                  " cells were pasted before it; they stay stored.");
    }
    m_undo.push(paste);
}

// ---- Undo ----

void GridCommands::recordEdit(long position, int column, const engine::Value& before,
                              const engine::Value& after) {
    m_undo.push(new CellEdit(
        [this](long p, int c, const engine::Value& v) {
            shell::trapped(m_services.prompts, [&] { storeCell(p, c, v); });
        },
        position, column, before, after));
}

void GridCommands::storeCell(long position, int column, const engine::Value& value) {
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr) throw engine::EngineError("No table is open.");
    if (set->AbsolutePosition() != position) set->SetAbsolutePosition(position);
    try {
        set->Edit();
        set->Fields().Item(column).SetValue(value);
        set->Update();
    } catch (...) {
        if (set->editMode() != engine::Recordset::EditMode::None) set->CancelUpdate();
        throw;
    }
}

void GridCommands::undo() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || !set->Updatable() || !m_grid.AllowUpdate()) return;
    m_grid.finishEditing();
    m_undo.undo();
}

void GridCommands::redo() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || !set->Updatable() || !m_grid.AllowUpdate()) return;
    m_grid.finishEditing();
    m_undo.redo();
}

void GridCommands::recordRemoved(long) { m_undo.clear(); }
void GridCommands::recordRecalled(long) { m_undo.clear(); }
void GridCommands::recordsetReplaced() { m_undo.clear(); }

// ---- The view ----

void GridCommands::showOnlyThisValue() {
    const engine::Recordset* set = m_dataControl.GetRecordset();
    const QModelIndex current = m_grid.currentIndex();
    const long position = m_grid.positionOfRow(current.row());
    if (set == nullptr || position < 0) return;
    const engine::Value value = set->readValue(position, current.column());
    const WaitCursor waiting;
    m_grid.changeView([&] { m_grid.view().showOnly(current.column(), value); });
}

void GridCommands::showAll() {
    const WaitCursor waiting;
    m_grid.changeView([&] { m_grid.view().showAll(); });
}

void GridCommands::sortBy(int column) {
    if (m_dataControl.GetRecordset() == nullptr) return;
    ViewOrderModel& view = m_grid.view();
    const bool reverse = view.sortColumn() == column && view.sortOrder() == Qt::AscendingOrder;
    const WaitCursor waiting;
    m_grid.changeView(
        [&] { view.sortByColumn(column, reverse ? Qt::DescendingOrder : Qt::AscendingOrder); });
}

void GridCommands::showInRecordOrder() {
    m_grid.changeView([&] { m_grid.view().showInRecordOrder(); });
}

}  // namespace browser
