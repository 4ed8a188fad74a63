// The data grid: a table view bound to the record set of a data control, with a caption line
// above the rows and three editing permissions.
#pragma once

#include <QString>
#include <QTableView>

#include <functional>

class QLabel;

namespace browser {

class RecordsetModel;
class ViewOrderModel;

// The grid's current row follows the record set both ways: moving in the grid makes that record
// current; when code moves the record set, the grid catches up once the event loop runs again, so
// that a scan through a whole table costs no scrolling or painting per record. The record selector
// (the vertical header) marks the current record and the empty new-record row.
//
// AllowAddNew shows the empty row that takes a new record, AllowUpdate lets cells be edited in
// place (memo fields in a multi-line editor), AllowDelete lets the Delete key delete the selected
// rows. Edits and deletions go straight to the record set through the model.
//
// Every change of the current row moves the record set (so its record-position event follows
// the keys and clicks); on the new-record row the set stands past its last record. Tab and
// Shift+Tab move between cells; Ctrl+Tab and Shift+Ctrl+Tab move the focus out of the grid.
//
// The rows are those of its view (ViewOrderModel) over the record set model: in record order,
// sorted or filtered. A click on a column header asks for a sort instead of selecting the
// column; the context menu (right click, the Menu key) is asked for through contextMenuWanted.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setRecordsetModel(RecordsetModel* model);
    RecordsetModel* recordsetModel() const { return m_model; }
    // The rows as shown; never null.
    ViewOrderModel& view() const { return *m_view; }

    // The title line above the rows; hidden while empty.
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

    bool AllowAddNew() const { return m_allowAddNew; }
    void setAllowAddNew(bool allow);
    bool AllowDelete() const { return m_allowDelete; }
    void setAllowDelete(bool allow) { m_allowDelete = allow; }
    bool AllowUpdate() const { return m_allowUpdate; }
    void setAllowUpdate(bool allow);

    // Reads the columns and rows of the record set again.
    void Refresh();

    // Brings the current row in line with the record set now instead of at the next turn of
    // the event loop.
    void syncCurrentRow();
    // Moves to the first cell of the current record and takes the keyboard focus, so that what
    // the user types next goes into that record.
    void takeFocusOnCurrentRecord();
    // Ends an edit in progress, keeping what was typed.
    void finishEditing();
    // Runs a change of the view (a sort, a filter), keeping the columns' widths and the current
    // record, which the grid then scrolls to.
    void changeView(const std::function<void()>& change);
    // The record position of a view row (-1: none, or the new-record row).
    long positionOfRow(int viewRow) const;

signals:
    // The user clicked the header of column.
    void headerClicked(int column);
    // The user asked for the context menu, to be shown at globalPosition.
    void contextMenuWanted(const QPoint& globalPosition);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;

private:
    void scheduleSync();
    // Moves the keyboard focus to the next (or previous) control after the grid.
    void leaveGrid(bool forward);
    void sizeColumnsToFields();

    RecordsetModel* m_model = nullptr;
    ViewOrderModel* m_view;
    QLabel* m_captionLabel;
    QString m_caption;
    bool m_allowAddNew = true;
    bool m_allowDelete = true;
    bool m_allowUpdate = true;
    bool m_syncing = false;
    bool m_removingRows = false;
    bool m_syncScheduled = false;
};

}  // namespace browser
