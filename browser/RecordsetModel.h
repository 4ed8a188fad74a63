// The grid's model: the record set open in the data control, one row per record and one column
// per field, read on demand.
#pragma once

#include "engine/DataControl.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

namespace engine {
struct FieldInfo;
class Recordset;
class Value;
}  // namespace engine

namespace browser {

// Rows are the live records in record-set order; with AllowAddNew on an updatable set one more,
// empty row at the end takes a new record. Cells are read through the record set's page cache
// when a view asks for them, so a table of any size opens without being loaded.
//
// Edits (setData) go straight to the record set: the edited record becomes current, and the
// value is stored at once. A refused edit leaves the record as it was and is announced through
// editFailed; the model never opens a window. The model follows the data control: a new or
// dropped record set resets it, appended and deleted records insert and remove rows.
class RecordsetModel : public QAbstractTableModel, private engine::DataControlListener {
    Q_OBJECT
public:
    // Extra roles for views, answered by data() and by the column headers.
    enum Role {
        FieldTypeRole = Qt::UserRole,  // int(engine::FieldType) of the column
        FieldLengthRole,               // the field's width in characters
    };

    explicit RecordsetModel(engine::DataControl& dataControl, QObject* parent = nullptr);
    ~RecordsetModel() override;

    // The grid's permissions that shape the model: the empty row for a new record, and editing.
    void setAllowAddNew(bool allow);
    void setAllowUpdate(bool allow);

    engine::DataControl& dataControl() const { return m_dataControl; }

    // Reads the columns and the row count of the open record set again.
    void reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The number of records shown (the empty new-record row not counted).
    int recordCount() const { return m_recordCount; }
    bool isNewRecordRow(int row) const;
    // The record set's current position, -1 when there is none (or no set).
    int currentRecord() const;
    // Whether the record set stands past its last record (where the new-record row is).
    bool recordsetIsPastItsEnd() const;
    // Makes the record at row current (a move the user made in the grid); on the new-record
    // row, moves the record set past its last record. Nothing when the set stands there
    // already or row is neither. A failure is announced through editFailed.
    void moveTo(int row);
    // Deletes the records at these rows, without confirmation; the new-record row is ignored.
    // Stops at the first failure, announced through editFailed.
    void deleteRows(QList<int> rows);
    // A cell of the deleted record with that number (see Recordset::deletedRecordNumbers), for
    // views that show deleted records: as a live record's cell, struck through.
    QVariant deletedRecordData(std::uint32_t recordNumber, int column, int role) const;
    // Marks row as the current record in the vertical header (-1: none).
    void markCurrentRow(int row);

    // Hears every store an edit in the grid makes into an existing record: the cell's value
    // before and after (as read back from the table).
    using EditObserver = std::function<void(long position, int column, const engine::Value& before,
                                            const engine::Value& after)>;
    void setEditObserver(EditObserver observer) { m_editObserver = std::move(observer); }

signals:
    // A change the user asked for was refused; description says why.
    void editFailed(const QString& description);
    // Another record became current (raised on every move of the record set).
    void currentRecordChanged();

private:
    void recordsetReplaced() override;
    void recordPositionChanged() override;
    void recordAppended(long position) override;
    void recordRemoved(long position) override;
    void recordChanged(long position) override;
    void recordRecalled(long position) override;

    engine::Recordset* recordset() const;
    bool showsNewRecordRow() const;
    bool storeValue(int row, int column, const engine::Value& value);
    bool readCell(int row, int column, engine::Value& value) const;
    // The display, edit and tool-tip roles of a cell from how its value is read.
    QVariant cellText(const engine::FieldInfo& field, int role,
                      const std::function<engine::Value()>& read) const;

    engine::DataControl& m_dataControl;
    int m_recordCount = 0;
    int m_columnCount = 0;
    int m_markedRow = -1;
    int m_removedRow = -1;  // the row whose deletion is being announced
    // The new-record row that has just become a record, while the empty row below it is being
    // announced: it reads empty until then, as it did before.
    int m_arrivingRow = -1;
    bool m_allowAddNew = true;
    bool m_allowUpdate = true;
    EditObserver m_editObserver;
};

}  // namespace browser
