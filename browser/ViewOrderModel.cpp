#include "browser/ViewOrderModel.h"

#include "browser/RecordScan.h"
#include "browser/RecordsetModel.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"

#include <algorithm>
#include <vector>

namespace browser {

namespace {

// Source ranges longer than this are passed on as one change of the whole view.
constexpr int kRowsMappedOneByOne = 16;

}  // namespace

ViewOrderModel::ViewOrderModel(QObject* parent) : QAbstractProxyModel(parent) {}

ViewOrderModel::~ViewOrderModel() = default;

void ViewOrderModel::setRecordsetModel(RecordsetModel* model) { setSourceModel(model); }

void ViewOrderModel::setSourceModel(QAbstractItemModel* model) {
    beginResetModel();
    if (m_source != nullptr) disconnect(m_source, nullptr, this, nullptr);
    m_source = qobject_cast<RecordsetModel*>(model);
    QAbstractProxyModel::setSourceModel(m_source);
    if (m_source != nullptr) {
        connect(m_source, &QAbstractItemModel::modelAboutToBeReset, this,
                &ViewOrderModel::sourceAboutToBeReset);
        connect(m_source, &QAbstractItemModel::modelReset, this, &ViewOrderModel::sourceReset);
        connect(m_source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                &ViewOrderModel::sourceRowsAboutToBeInserted);
        connect(m_source, &QAbstractItemModel::rowsInserted, this,
                &ViewOrderModel::sourceRowsInserted);
        connect(m_source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                &ViewOrderModel::sourceRowsAboutToBeRemoved);
        connect(m_source, &QAbstractItemModel::rowsRemoved, this,
                &ViewOrderModel::sourceRowsRemoved);
        connect(m_source, &QAbstractItemModel::dataChanged, this,
                &ViewOrderModel::sourceDataChanged);
        connect(m_source, &QAbstractItemModel::headerDataChanged, this,
                &ViewOrderModel::sourceHeaderDataChanged);
        // The source has no layout changes; should one come, the view starts afresh.
        connect(m_source, &QAbstractItemModel::layoutAboutToBeChanged, this,
                &ViewOrderModel::sourceAboutToBeReset);
        connect(m_source, &QAbstractItemModel::layoutChanged, this, &ViewOrderModel::sourceReset);
    }
    m_records = m_source == nullptr ? 0 : m_source->recordCount();
    m_order.showAll(m_records);
    m_sortColumn = -1;
    m_filtered = false;
    endResetModel();
}

const engine::Recordset& ViewOrderModel::openSet() const {
    const engine::Recordset* set =
        m_source == nullptr ? nullptr : m_source->dataControl().GetRecordset();
    if (set == nullptr) throw engine::EngineError("No table is open.");
    return *set;
}

bool ViewOrderModel::sourceShowsNewRecordRow() const {
    return m_source != nullptr && m_source->rowCount() > m_source->recordCount();
}

const std::vector<std::uint32_t>& ViewOrderModel::deletedNumbers() const {
    return openSet().deletedRecordNumbers();
}

bool ViewOrderModel::deletedShown() const {
    return m_withDeleted && m_source != nullptr &&
           m_source->dataControl().GetRecordset() != nullptr;
}

int ViewOrderModel::shownRecordCount() const {
    const long shown = m_order.size();
    if (!deletedShown()) return static_cast<int>(shown);
    return static_cast<int>(shown + static_cast<long>(deletedNumbers().size()));
}

long ViewOrderModel::deletedRecordAt(int viewRow) const {
    if (!deletedShown() || viewRow < 0 || viewRow >= shownRecordCount()) return -1;
    const auto& deleted = deletedNumbers();
    const auto number = static_cast<std::uint32_t>(viewRow);
    return std::binary_search(deleted.begin(), deleted.end(), number) ? viewRow : -1;
}

int ViewOrderModel::sourceRow(int viewRow) const {
    if (viewRow < 0) return -1;
    if (deletedShown() && viewRow < shownRecordCount()) {
        if (deletedRecordAt(viewRow) >= 0) return -1;
        return static_cast<int>(openSet().livePositionsBefore(static_cast<std::uint32_t>(viewRow)));
    }
    if (viewRow < m_order.size()) return static_cast<int>(m_order.positionAt(viewRow));
    return viewRow == shownRecordCount() && sourceShowsNewRecordRow() ? m_records : -1;
}

int ViewOrderModel::viewRow(int sourceRow) const {
    if (sourceRow < 0) return -1;
    if (deletedShown() && sourceRow < m_records) {
        return static_cast<int>(openSet().recordNumber(sourceRow));
    }
    if (sourceRow < m_records) return static_cast<int>(m_order.rowOf(sourceRow));
    return sourceRow == m_records && sourceShowsNewRecordRow() ? shownRecordCount() : -1;
}

bool ViewOrderModel::isNewRecordRow(int viewRow) const {
    return m_source != nullptr && viewRow >= shownRecordCount() &&
           m_source->isNewRecordRow(sourceRow(viewRow));
}

// ---- Changes of the view ----

void ViewOrderModel::replaceOrder(Positions rows, bool ascending) {
    beginResetModel();
    m_withDeleted = false;
    m_order.showRows(std::move(rows), ascending, m_records);
    endResetModel();
    emit viewChanged();
}

void ViewOrderModel::sortByColumn(int column, Qt::SortOrder order) {
    const engine::Recordset& set = openSet();
    if (column < 0 || column >= columnCount()) return;
    // A filter's records only; without one, every record (nothing to copy).
    const Positions shown = m_filtered ? m_order.ascendingPositions() : Positions();
    Positions sorted =
        sortedPositions(set, column, order == Qt::DescendingOrder, m_filtered ? &shown : nullptr);
    m_sortColumn = column;
    m_sortOrder = order;
    replaceOrder(std::move(sorted), false);
}

void ViewOrderModel::showInRecordOrder() {
    if (m_sortColumn < 0) return;
    m_sortColumn = -1;
    if (m_filtered) {
        replaceOrder(m_order.ascendingPositions(), true);
        return;
    }
    beginResetModel();
    m_order.showAll(m_records);
    endResetModel();
    emit viewChanged();
}

void ViewOrderModel::showOnly(int column, const engine::Value& value) {
    const engine::Recordset& set = openSet();
    if (column < 0 || column >= columnCount()) return;
    const Positions shown = m_order.isIdentity() ? Positions() : m_order.ascendingPositions();
    Positions matches =
        matchingPositions(set, column, value, m_order.isIdentity() ? nullptr : &shown);
    m_filtered = true;
    if (m_sortColumn < 0) {
        replaceOrder(std::move(matches), true);
        return;
    }
    // Sorted: the matches keep the order they are shown in.
    std::vector<bool> kept(static_cast<std::size_t>(m_records), false);
    for (std::uint32_t position : matches) kept[position] = true;
    Positions rows;
    rows.reserve(matches.size());
    for (long row = 0; row < m_order.size(); ++row) {
        const auto position = static_cast<std::uint32_t>(m_order.positionAt(row));
        if (kept[position]) rows.push_back(position);
    }
    replaceOrder(std::move(rows), false);
}

void ViewOrderModel::showAll() {
    if (!m_filtered) return;
    if (m_sortColumn >= 0) {
        Positions sorted =
            sortedPositions(openSet(), m_sortColumn, m_sortOrder == Qt::DescendingOrder);
        m_filtered = false;
        replaceOrder(std::move(sorted), false);
        return;
    }
    m_filtered = false;
    beginResetModel();
    m_order.showAll(m_records);
    endResetModel();
    emit viewChanged();
}

void ViewOrderModel::showDeletedRecords(bool show) {
    if (show == m_withDeleted) return;
    if (show) openSet();  // throws when no table is open
    beginResetModel();
    m_withDeleted = show;
    m_sortColumn = -1;
    m_filtered = false;
    m_order.showAll(m_records);
    endResetModel();
    emit viewChanged();
}

// ---- The model ----

QVariant ViewOrderModel::data(const QModelIndex& index, int role) const {
    const long number = index.isValid() ? deletedRecordAt(index.row()) : -1;
    if (number < 0) return QAbstractProxyModel::data(index, role);
    return m_source->deletedRecordData(static_cast<std::uint32_t>(number), index.column(), role);
}

QVariant ViewOrderModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && deletedRecordAt(section) >= 0) {
        return QStringLiteral("\u2715");
    }
    return QAbstractProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags ViewOrderModel::flags(const QModelIndex& index) const {
    if (index.isValid() && deletedRecordAt(index.row()) >= 0) {
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    }
    return QAbstractProxyModel::flags(index);
}

QModelIndex ViewOrderModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) {
        return QModelIndex();
    }
    return createIndex(row, column);
}

QModelIndex ViewOrderModel::parent(const QModelIndex&) const { return QModelIndex(); }

int ViewOrderModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_source == nullptr) return 0;
    return shownRecordCount() + (sourceShowsNewRecordRow() ? 1 : 0);
}

int ViewOrderModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_source == nullptr) return 0;
    return m_source->columnCount();
}

QModelIndex ViewOrderModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (m_source == nullptr || !proxyIndex.isValid()) return QModelIndex();
    const int row = sourceRow(proxyIndex.row());
    return row < 0 ? QModelIndex() : m_source->index(row, proxyIndex.column());
}

QModelIndex ViewOrderModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (m_source == nullptr || !sourceIndex.isValid()) return QModelIndex();
    const int row = viewRow(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

// ---- Following the source ----

void ViewOrderModel::sourceAboutToBeReset() { beginResetModel(); }

void ViewOrderModel::sourceReset() {
    m_records = m_source->recordCount();
    m_order.showAll(m_records);
    m_sortColumn = -1;
    m_filtered = false;
    endResetModel();
    emit viewChanged();
}

void ViewOrderModel::sourceRowsAboutToBeInserted(const QModelIndex&, int first, int last) {
    if (m_withDeleted) {
        // A record appended or recalled: the deleted rows around it move.
        m_pending = Pending::Reset;
        beginResetModel();
        return;
    }
    m_pending = Pending::Rows;
    if (m_order.isIdentity()) {
        beginInsertRows(QModelIndex(), first, last);
        return;
    }
    // Past the new-record row (it has just become a record, and a new empty row opens below it)
    // or at the end of the records: either way at the end of this view.
    const int at = shownRecordCount() + (first > m_records ? 1 : 0);
    beginInsertRows(QModelIndex(), at, at + last - first);
}

void ViewOrderModel::sourceRowsInserted(const QModelIndex&, int first, int) {
    const int records = m_source->recordCount();
    const int added = records - m_records;
    // The records that arrived: the former new-record row's, or those inserted at first.
    const int firstAdded = first > m_records ? m_records : first;
    for (int i = 0; i < added; ++i) m_order.recordAppended(firstAdded + i);
    m_records = records;
    const Pending pending = m_pending;
    m_pending = Pending::None;
    if (pending == Pending::Reset) {
        m_order.showAll(m_records);
        endResetModel();
        return;
    }
    endInsertRows();
}

void ViewOrderModel::sourceRowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
    if (m_withDeleted) {
        // A deleted record stays, struck through.
        m_pending = Pending::Reset;
        beginResetModel();
        return;
    }
    if (m_order.isIdentity()) {
        m_pending = Pending::Rows;
        beginRemoveRows(QModelIndex(), first, last);
        return;
    }
    if (first >= m_records) {
        m_pending = Pending::Rows;
        beginRemoveRows(QModelIndex(), shownRecordCount(), shownRecordCount());
        return;
    }
    if (first != last) {
        m_pending = Pending::Reset;
        beginResetModel();
        return;
    }
    const long row = m_order.rowOf(first);
    m_pending = row < 0 ? Pending::Nothing : Pending::Rows;
    if (row >= 0) beginRemoveRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
}

void ViewOrderModel::sourceRowsRemoved(const QModelIndex&, int first, int last) {
    for (int position = std::min(last, m_records - 1); position >= first; --position) {
        m_order.recordRemoved(position);
    }
    m_records = m_source->recordCount();
    const Pending pending = m_pending;
    m_pending = Pending::None;
    if (pending == Pending::Rows) endRemoveRows();
    if (pending == Pending::Reset) endResetModel();
}

void ViewOrderModel::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                       const QList<int>& roles) {
    if (rowCount() == 0) return;
    int top = 0;
    int bottom = rowCount() - 1;
    if (m_withDeleted) {
        if (topLeft.row() == bottomRight.row()) top = bottom = viewRow(topLeft.row());
        if (top < 0) return;
    } else if (m_order.isIdentity()) {
        top = topLeft.row();
        bottom = std::min(bottomRight.row(), bottom);
    } else if (topLeft.row() == bottomRight.row()) {
        top = bottom = viewRow(topLeft.row());
        if (top < 0) return;
    }
    emit dataChanged(index(top, topLeft.column()), index(bottom, bottomRight.column()), roles);
}

void ViewOrderModel::sourceHeaderDataChanged(Qt::Orientation orientation, int first, int last) {
    if (orientation == Qt::Horizontal || (m_order.isIdentity() && !m_withDeleted)) {
        emit headerDataChanged(orientation, first, last);
        return;
    }
    if (last - first >= kRowsMappedOneByOne) {
        if (rowCount() > 0) emit headerDataChanged(orientation, 0, rowCount() - 1);
        return;
    }
    for (int row = first; row <= last; ++row) {
        const int shown = viewRow(row);
        if (shown >= 0) emit headerDataChanged(orientation, shown, shown);
    }
}

}  // namespace browser
