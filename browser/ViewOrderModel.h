// The grid's view of the record set model: every record in record order, or sorted by one
// column, or only the records whose column holds one value, or every record in table order with
// the deleted ones among the live. A view order only: nothing is written to the table.
#pragma once

#include "browser/RowOrder.h"

#include <QAbstractProxyModel>

namespace engine {
class Recordset;
class Value;
}  // namespace engine

namespace browser {

class RecordsetModel;

// Rows of the source are record positions, plus the empty new-record row after the last record
// when the source shows one; here that row stays the last row whatever the order. A record
// appended while the view is sorted or filtered is shown as the last record; a deleted one
// leaves. A reset of the source (another table, a refresh) goes back to record order.
//
// sortByColumn, showOnly and showAll read through the record set; when a read fails they throw
// the engine's failure and leave the view as it was. Each change of the view is a model reset,
// followed by viewChanged.
class ViewOrderModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit ViewOrderModel(QObject* parent = nullptr);
    ~ViewOrderModel() override;

    void setRecordsetModel(RecordsetModel* model);
    RecordsetModel* recordsetModel() const { return m_source; }

    // The source row a view row shows (-1 for none), and back (-1 when the view leaves it out).
    int sourceRow(int viewRow) const;
    int viewRow(int sourceRow) const;
    bool isNewRecordRow(int viewRow) const;
    // The records shown (the new-record row not counted), deleted ones included.
    int shownRecordCount() const;
    const RowOrder& rowOrder() const { return m_order; }

    // -1 while the view is in record order.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    bool isFiltered() const { return m_filtered; }

    void sortByColumn(int column, Qt::SortOrder order);
    // Back to record order (a filter stays).
    void showInRecordOrder();
    // Keeps, of the records shown, those whose column holds value (see matchingPositions).
    void showOnly(int column, const engine::Value& value);
    // Drops the filter; a sort stays.
    void showAll();

    // Deleted records shown among the live ones, each in its place in the table: view row r
    // then shows record number r. Turning it on drops a sort and a filter; a sort or a filter
    // turns it off. The rows of deleted records map to no source row, are read-only, are struck
    // through and carry a mark in the row header.
    void showDeletedRecords(bool show);
    bool showsDeletedRecords() const { return m_withDeleted; }
    // The number (0-based slot in the table) of the deleted record a view row shows, or -1.
    long deletedRecordAt(int viewRow) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

signals:
    // The order or the filter changed (also after a reset of the source).
    void viewChanged();

private:
    void setSourceModel(QAbstractItemModel* model) override;
    const engine::Recordset& openSet() const;
    bool sourceShowsNewRecordRow() const;
    void replaceOrder(Positions rows, bool ascending);
    const std::vector<std::uint32_t>& deletedNumbers() const;
    bool deletedShown() const;  // deleted records asked for, and a set open

    void sourceAboutToBeReset();
    void sourceReset();
    void sourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex& parent, int first, int last);
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);
    void sourceHeaderDataChanged(Qt::Orientation orientation, int first, int last);

    RecordsetModel* m_source = nullptr;
    RowOrder m_order;
    int m_records = 0;  // the source's record count, as this view last heard it
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_filtered = false;
    bool m_withDeleted = false;
    // How the source change being announced is passed on.
    enum class Pending { None, Rows, Reset, Nothing } m_pending = Pending::None;
};

}  // namespace browser
