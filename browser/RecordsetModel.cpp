#include "browser/RecordsetModel.h"

#include "base/ShownText.h"
#include "browser/ValueVariant.h"
#include "engine/Recordset.h"

#include <QFont>

#include <algorithm>
#include <climits>
#include <exception>
#include <functional>

namespace browser {

namespace {

int clampedCount(long count) { return static_cast<int>(std::clamp(count, 0L, long(INT_MAX - 1))); }

bool isNumeric(engine::FieldType type) {
    using engine::FieldType;
    return type == FieldType::Numeric || type == FieldType::Float || type == FieldType::Integer ||
           type == FieldType::Currency || type == FieldType::Double;
}

QString singleLine(QString text) {
    text.replace("\r\n", " ");
    text.replace('\n', ' ');
    text.replace('\r', ' ');
    return text;
}

}  // namespace

RecordsetModel::RecordsetModel(engine::DataControl& dataControl, QObject* parent)
    : QAbstractTableModel(parent), m_dataControl(dataControl) {
    m_dataControl.addListener(this);
    reload();
}

RecordsetModel::~RecordsetModel() { m_dataControl.removeListener(this); }

engine::Recordset* RecordsetModel::recordset() const { return m_dataControl.GetRecordset(); }

bool RecordsetModel::showsNewRecordRow() const {
    const engine::Recordset* set = recordset();
    return set != nullptr && m_allowAddNew && set->Updatable();
}

bool RecordsetModel::isNewRecordRow(int row) const {
    return showsNewRecordRow() && row == m_recordCount;
}

void RecordsetModel::setAllowAddNew(bool allow) {
    if (allow == m_allowAddNew) return;
    const bool shownBefore = showsNewRecordRow();
    if (!allow && shownBefore) {
        beginRemoveRows(QModelIndex(), m_recordCount, m_recordCount);
        m_allowAddNew = false;
        endRemoveRows();
        return;
    }
    m_allowAddNew = allow;
    if (showsNewRecordRow()) {
        m_allowAddNew = false;
        beginInsertRows(QModelIndex(), m_recordCount, m_recordCount);
        m_allowAddNew = true;
        endInsertRows();
    }
}

void RecordsetModel::setAllowUpdate(bool allow) {
    if (allow == m_allowUpdate) return;
    m_allowUpdate = allow;
    if (rowCount() > 0 && m_columnCount > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_columnCount - 1));
    }
}

void RecordsetModel::reload() {
    beginResetModel();
    const engine::Recordset* set = recordset();
    m_recordCount = set == nullptr ? 0 : clampedCount(set->RecordCount());
    m_columnCount = set == nullptr ? 0 : static_cast<int>(set->fieldInfos().size());
    m_markedRow = -1;
    endResetModel();
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return m_recordCount + (showsNewRecordRow() ? 1 : 0);
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columnCount;
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    const engine::Recordset* set = recordset();
    if (set == nullptr || !index.isValid() || index.column() >= m_columnCount) return QVariant();
    const engine::FieldInfo& field = set->fieldInfos()[static_cast<std::size_t>(index.column())];

    switch (role) {
        case Qt::TextAlignmentRole:
            return static_cast<int>(isNumeric(field.type) ? Qt::AlignRight | Qt::AlignVCenter
                                                          : Qt::AlignLeft | Qt::AlignVCenter);
        case FieldTypeRole:
            return static_cast<int>(field.type);
        case FieldLengthRole:
            return field.length;
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole:
            break;
        default:
            return QVariant();
    }
    if (index.row() >= m_recordCount || index.row() == m_removedRow ||
        index.row() == m_arrivingRow) {
        return QVariant();
    }
    // While a deletion is being announced the record set has already closed the gap.
    const long position =
        m_removedRow >= 0 && index.row() > m_removedRow ? index.row() - 1 : index.row();
    return cellText(field, role, [&] { return set->readValue(position, index.column()); });
}

QVariant RecordsetModel::cellText(const engine::FieldInfo& field, int role,
                                  const std::function<engine::Value()>& read) const {
    try {
        const QString text = displayText(read());
        if (role == Qt::DisplayRole) return singleLine(text);
        if (role == Qt::ToolTipRole) {
            return field.type == engine::FieldType::Memo ? QVariant(text.left(2000)) : QVariant();
        }
        return text;
    } catch (const std::exception& failure) {
        // Views ask while painting: a record that cannot be read shows why instead of a value.
        return role == Qt::ToolTipRole
                   ? QVariant(QString::fromStdString(base::shownText(failure.what())))
                   : QVariant();
    }
}

QVariant RecordsetModel::deletedRecordData(std::uint32_t recordNumber, int column, int role) const {
    const engine::Recordset* set = recordset();
    if (set == nullptr || column < 0 || column >= m_columnCount) return QVariant();
    const engine::FieldInfo& field = set->fieldInfos()[static_cast<std::size_t>(column)];
    switch (role) {
        case Qt::FontRole: {
            QFont font;
            font.setStrikeOut(true);
            return font;
        }
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole:
            return cellText(field, role,
                            [&] { return set->readDeletedValue(recordNumber, column); });
        default:
            return data(createIndex(0, column), role);
    }
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        const engine::Recordset* set = recordset();
        if (set == nullptr || section < 0 || section >= m_columnCount) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        const engine::FieldInfo& field = set->fieldInfos()[static_cast<std::size_t>(section)];
        switch (role) {
            case Qt::DisplayRole:
                return QString::fromStdString(base::shownText(field.name));
            case FieldTypeRole:
                return static_cast<int>(field.type);
            case FieldLengthRole:
                return field.length;
            default:
                return QAbstractTableModel::headerData(section, orientation, role);
        }
    }
    if (role != Qt::DisplayRole) return QVariant();
    if (isNewRecordRow(section)) return QStringLiteral("*");
    if (section == m_markedRow) return QStringLiteral("\u25B6");
    return QString();
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const engine::Recordset* set = recordset();
    if (set == nullptr || !set->Updatable()) return flags;
    const engine::FieldInfo& field = set->fieldInfos()[static_cast<std::size_t>(index.column())];
    if (!field.available || !field.editable) return flags;
    if (isNewRecordRow(index.row()) || (m_allowUpdate && index.row() < m_recordCount)) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    if (index.row() < m_recordCount && data(index, Qt::EditRole) == value) return true;
    // A cell that cannot be read has no value to go back to: its store goes unheard.
    engine::Value before;
    const bool heard = index.row() < m_recordCount && m_editObserver &&
                       readCell(index.row(), index.column(), before);
    if (!storeValue(index.row(), index.column(), toValue(value))) {
        // The engine kept the stored value: have the views show it again.
        if (index.row() < rowCount()) emit dataChanged(index, index);
        return false;
    }
    engine::Value after;
    if (heard && readCell(index.row(), index.column(), after)) {
        m_editObserver(index.row(), index.column(), before, after);
    }
    return true;
}

bool RecordsetModel::readCell(int row, int column, engine::Value& value) const {
    try {
        value = recordset()->readValue(row, column);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool RecordsetModel::storeValue(int row, int column, const engine::Value& typed) {
    engine::Recordset* set = recordset();
    try {
        if (isNewRecordRow(row)) {
            set->AddNew();
            set->Fields().Item(column).SetValue(typed);
            set->Update(1, false);
            // The new record is the one the user is on.
            set->MoveLast(0);
        } else {
            if (set->AbsolutePosition() != row) set->SetAbsolutePosition(row);
            set->Edit();
            set->Fields().Item(column).SetValue(typed);
            set->Update(1, false);
        }
        return true;
    } catch (const std::exception& failure) {
        try {
            if (set->editMode() != engine::Recordset::EditMode::None) set->CancelUpdate();
        } catch (...) {
            // The edit being dropped is what matters; nothing more can be done here.
        }
        emit editFailed(QString::fromUtf8(failure.what()));
        return false;
    }
}

int RecordsetModel::currentRecord() const {
    const engine::Recordset* set = recordset();
    if (set == nullptr) return -1;
    const long position = set->AbsolutePosition();
    return position < 0 || position >= m_recordCount ? -1 : static_cast<int>(position);
}

bool RecordsetModel::recordsetIsPastItsEnd() const {
    const engine::Recordset* set = recordset();
    return set != nullptr && set->IsEOF();
}

void RecordsetModel::moveTo(int row) {
    engine::Recordset* set = recordset();
    if (set == nullptr || row < 0 || set->AbsolutePosition() == row) return;
    try {
        if (row < m_recordCount) {
            set->SetAbsolutePosition(row);
        } else if (isNewRecordRow(row) && !set->IsEOF()) {
            // The row that takes a new record stands past the last one: the record set goes
            // there too, so that no command acts on a record the grid no longer shows.
            if (set->AbsolutePosition() != m_recordCount - 1) set->MoveLast();
            set->MoveNext();
        }
    } catch (const std::exception& failure) {
        emit editFailed(QString::fromUtf8(failure.what()));
    }
}

void RecordsetModel::deleteRows(QList<int> rows) {
    engine::Recordset* set = recordset();
    if (set == nullptr) return;
    // From the bottom up, so that each row still names the same record when its turn comes.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    try {
        for (int row : rows) {
            if (row < 0 || row >= m_recordCount) continue;
            if (set->AbsolutePosition() != row) set->SetAbsolutePosition(row);
            set->Delete();
        }
    } catch (const std::exception& failure) {
        emit editFailed(QString::fromUtf8(failure.what()));
    }
}

void RecordsetModel::markCurrentRow(int row) {
    if (row == m_markedRow) return;
    const int previous = m_markedRow;
    m_markedRow = row;
    if (previous >= 0 && previous < rowCount()) {
        emit headerDataChanged(Qt::Vertical, previous, previous);
    }
    if (row >= 0 && row < rowCount()) emit headerDataChanged(Qt::Vertical, row, row);
}

void RecordsetModel::recordsetReplaced() { reload(); }

void RecordsetModel::recordPositionChanged() { emit currentRecordChanged(); }

void RecordsetModel::recordAppended(long position) {
    const int row = static_cast<int>(position);
    if (row == m_recordCount && showsNewRecordRow()) {
        // The new-record row becomes the new record and a fresh empty row opens below it, so a
        // view standing on that row stays on the record being typed instead of being pushed
        // down onto the empty row, where the next field would start another record.
        beginInsertRows(QModelIndex(), row + 1, row + 1);
        ++m_recordCount;
        m_arrivingRow = row;
        endInsertRows();
        m_arrivingRow = -1;
        if (m_columnCount > 0) emit dataChanged(index(row, 0), index(row, m_columnCount - 1));
        emit headerDataChanged(Qt::Vertical, row, row + 1);
        return;
    }
    // The new record goes in at its position, above an empty new-record row.
    beginInsertRows(QModelIndex(), row, row);
    ++m_recordCount;
    if (m_markedRow >= row) ++m_markedRow;
    endInsertRows();
}

void RecordsetModel::recordRemoved(long position) {
    const int row = static_cast<int>(position);
    if (row < 0 || row >= m_recordCount) return;
    m_removedRow = row;
    beginRemoveRows(QModelIndex(), row, row);
    --m_recordCount;
    m_removedRow = -1;
    if (m_markedRow == row) {
        m_markedRow = -1;
    } else if (m_markedRow > row) {
        --m_markedRow;
    }
    endRemoveRows();
}

void RecordsetModel::recordRecalled(long position) {
    const int row = static_cast<int>(position);
    if (row < 0 || row > m_recordCount) return;
    beginInsertRows(QModelIndex(), row, row);
    ++m_recordCount;
    if (m_markedRow >= row) ++m_markedRow;
    endInsertRows();
}

void RecordsetModel::recordChanged(long position) {
    const int row = static_cast<int>(position);
    if (row >= 0 && row < m_recordCount && m_columnCount > 0) {
        emit dataChanged(index(row, 0), index(row, m_columnCount - 1));
    }
}

}  // namespace browser
