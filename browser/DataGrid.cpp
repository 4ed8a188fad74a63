#include "browser/DataGrid.h"

#include "browser/RecordsetModel.h"
#include "browser/ViewOrderModel.h"
#include "engine/FieldInfo.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>
#include <utility>

namespace browser {

namespace {

constexpr int kMaxColumnCharacters = 40;
constexpr int kMemoEditorLines = 6;

// The column header, with room above its sections for the grid's caption line.
class CaptionedHeader : public QHeaderView {
public:
    explicit CaptionedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

    void setCaptionHeight(int height) {
        m_captionHeight = height;
        setViewportMargins(0, height, 0, 0);
        updateGeometry();
    }

    QSize sizeHint() const override {
        QSize size = QHeaderView::sizeHint();
        size.rheight() += m_captionHeight;
        return size;
    }

private:
    int m_captionHeight = 0;
};

bool isMemo(const QModelIndex& index) {
    return index.data(RecordsetModel::FieldTypeRole).toInt() ==
           static_cast<int>(engine::FieldType::Memo);
}

// Ctrl+Tab and Shift+Ctrl+Tab leave the grid (Tab and Shift+Tab move between its cells).
// Returns whether the key is one of them; forward says which way.
bool leavesTheGrid(const QKeyEvent& key, bool& forward) {
    if (!(key.modifiers() & Qt::ControlModifier)) return false;
    if (key.key() != Qt::Key_Tab && key.key() != Qt::Key_Backtab) return false;
    forward = key.key() == Qt::Key_Tab && !(key.modifiers() & Qt::ShiftModifier);
    return true;
}

// Memo fields are edited in a multi-line editor that opens taller than the row. A key that
// leaves the grid keeps the edit, closes the editor and hands the key to leave.
class MemoAwareDelegate : public QStyledItemDelegate {
public:
    MemoAwareDelegate(QObject* parent, std::function<void(bool forward)> leave)
        : QStyledItemDelegate(parent), m_leave(std::move(leave)) {}

    bool eventFilter(QObject* object, QEvent* event) override {
        bool forward = true;
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor != nullptr && event->type() == QEvent::KeyPress &&
            leavesTheGrid(*static_cast<QKeyEvent*>(event), forward)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_leave(forward);
            return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!isMemo(index)) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* editor = new QPlainTextEdit(parent);
        editor->setObjectName("memoEditor");
        editor->setTabChangesFocus(true);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
            memo->setPlainText(index.data(Qt::EditRole).toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
            model->setData(index, memo->toPlainText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        if (qobject_cast<QPlainTextEdit*>(editor) == nullptr) {
            QStyledItemDelegate::updateEditorGeometry(editor, option, index);
            return;
        }
        QRect area = option.rect;
        area.setHeight(std::max(area.height(), option.fontMetrics.height()) * kMemoEditorLines);
        area.setWidth(std::max(area.width(), option.fontMetrics.averageCharWidth() * 40));
        const QRect visible = editor->parentWidget()->rect();
        if (area.bottom() > visible.bottom()) area.moveBottom(visible.bottom());
        if (area.right() > visible.right()) area.moveRight(visible.right());
        editor->setGeometry(area.intersected(visible));
    }

private:
    std::function<void(bool forward)> m_leave;
};

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent), m_view(new ViewOrderModel(this)), m_captionLabel(new QLabel(this)) {
    setHorizontalHeader(new CaptionedHeader(this));
    // A click on a header sorts (through headerClicked) instead of selecting the column, which
    // would also make the first row current.
    disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::headerClicked);
    setItemDelegate(new MemoAwareDelegate(this, [this](bool forward) { leaveGrid(forward); }));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);

    // Uniform fixed rows: the view then handles a million rows without measuring any.
    QHeaderView* selector = verticalHeader();
    selector->setSectionResizeMode(QHeaderView::Fixed);
    selector->setDefaultSectionSize(fontMetrics().height() + 6);
    selector->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("\u25B6")) + 12);
    selector->setDefaultAlignment(Qt::AlignCenter);

    m_captionLabel->setObjectName("dbgDbfCaption");
    m_captionLabel->setAlignment(Qt::AlignCenter);
    m_captionLabel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_captionLabel->setAutoFillBackground(true);
    m_captionLabel->setBackgroundRole(QPalette::Button);
    m_captionLabel->setTextFormat(Qt::PlainText);
    m_captionLabel->hide();
}

DataGrid::~DataGrid() = default;

void DataGrid::setRecordsetModel(RecordsetModel* model) {
    if (m_model != nullptr) disconnect(m_model, nullptr, this, nullptr);
    disconnect(m_view, nullptr, this, nullptr);
    setModel(nullptr);
    m_model = model;
    m_view->setRecordsetModel(model);
    if (model != nullptr) {
        // Connected before the view's own selection model, so that a row removed under the
        // current index is not taken for a move the user made. A record the view leaves out
        // goes without a removal here, as it has no row.
        connect(m_view, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this] { m_removingRows = true; });
        connect(m_view, &QAbstractItemModel::rowsRemoved, this, [this] {
            m_removingRows = false;
            syncCurrentRow();
        });
        connect(m_view, &QAbstractItemModel::modelReset, this, [this] {
            sizeColumnsToFields();
            scheduleSync();
        });
        connect(m_view, &ViewOrderModel::viewChanged, this, [this] {
            QHeaderView* header = horizontalHeader();
            header->setSortIndicatorShown(m_view->sortColumn() >= 0);
            if (m_view->sortColumn() >= 0) {
                header->setSortIndicator(m_view->sortColumn(), m_view->sortOrder());
            }
        });
        connect(model, &RecordsetModel::currentRecordChanged, this, &DataGrid::scheduleSync);
        model->setAllowAddNew(m_allowAddNew);
        model->setAllowUpdate(m_allowUpdate);
        setModel(m_view);
    }
    sizeColumnsToFields();
}

void DataGrid::finishEditing() {
    if (state() != QAbstractItemView::EditingState) return;
    // The editor is the child of the viewport that holds the focus.
    QWidget* editor = QApplication::focusWidget();
    while (editor != nullptr && editor->parentWidget() != viewport()) {
        editor = editor->parentWidget();
    }
    if (editor == nullptr) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DataGrid::changeView(const std::function<void()>& change) {
    finishEditing();
    QList<int> widths;
    for (int column = 0; column < m_view->columnCount(); ++column) widths << columnWidth(column);
    const int scrolledTo = horizontalScrollBar()->value();
    const int currentColumn = currentIndex().column();
    {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        change();
    }
    if (widths.size() == m_view->columnCount()) {
        for (int column = 0; column < widths.size(); ++column) {
            setColumnWidth(column, widths[column]);
        }
    }
    horizontalScrollBar()->setValue(scrolledTo);
    syncCurrentRow();
    // The current record is found again on its new row, in the column it was in.
    if (currentColumn > 0 && currentIndex().isValid() && currentIndex().column() != currentColumn) {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        selectionModel()->setCurrentIndex(m_view->index(currentIndex().row(), currentColumn),
                                          QItemSelectionModel::ClearAndSelect);
        scrollTo(currentIndex());
    }
}

long DataGrid::positionOfRow(int viewRow) const {
    if (m_model == nullptr || m_view->isNewRecordRow(viewRow)) return -1;
    return m_view->sourceRow(viewRow);
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect cell = visualRect(currentIndex());
        at = viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0));
    }
    event->accept();
    emit contextMenuWanted(at);
}

void DataGrid::setCaption(const QString& caption) {
    m_caption = caption;
    m_captionLabel->setText(caption);
    m_captionLabel->setVisible(!caption.isEmpty());
    const int height = caption.isEmpty() ? 0 : m_captionLabel->sizeHint().height() + 4;
    static_cast<CaptionedHeader*>(horizontalHeader())->setCaptionHeight(height);
    updateGeometries();
}

void DataGrid::setAllowAddNew(bool allow) {
    m_allowAddNew = allow;
    if (m_model != nullptr) m_model->setAllowAddNew(allow);
}

void DataGrid::setAllowUpdate(bool allow) {
    m_allowUpdate = allow;
    if (m_model != nullptr) m_model->setAllowUpdate(allow);
}

void DataGrid::Refresh() {
    if (m_model != nullptr) m_model->reload();
}

void DataGrid::takeFocusOnCurrentRecord() {
    syncCurrentRow();
    if (m_model != nullptr && m_model->columnCount() > 0 && currentIndex().isValid()) {
        const QScopedValueRollback<bool> syncing(m_syncing, true);
        selectionModel()->setCurrentIndex(m_view->index(currentIndex().row(), 0),
                                          QItemSelectionModel::ClearAndSelect);
        scrollTo(currentIndex());
    }
    setFocus(Qt::OtherFocusReason);
}

void DataGrid::leaveGrid(bool forward) {
    // The widget's own focus chain, not the item view's, which moves between cells.
    QWidget::focusNextPrevChild(forward);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    bool forward = true;
    if (leavesTheGrid(*event, forward)) {
        event->accept();
        leaveGrid(forward);
        return;
    }
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState &&
        m_model != nullptr) {
        if (m_allowDelete) {
            QList<int> rows;
            for (const QModelIndex& row : selectionModel()->selectedRows()) {
                rows << m_view->sourceRow(row.row());
            }
            if (!rows.isEmpty()) m_model->deleteRows(rows);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex target = QTableView::moveCursor(action, modifiers);
    // Jumps (Ctrl+End, Page Down) end on the last record; the empty row that takes a new record
    // is one step further (Down, a click).
    const bool jump =
        action == MovePageDown || (action == MoveEnd && modifiers & Qt::ControlModifier);
    if (jump && m_model != nullptr && target.isValid() && m_view->isNewRecordRow(target.row()) &&
        !m_view->isNewRecordRow(currentIndex().row()) && m_view->shownRecordCount() > 0) {
        target = m_view->index(m_view->shownRecordCount() - 1, target.column());
    }
    return target;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_syncing || m_removingRows || m_model == nullptr || !current.isValid()) return;
    if (previous.isValid() && current.row() == previous.row()) return;
    m_model->moveTo(m_view->sourceRow(current.row()));
}

void DataGrid::scheduleSync() {
    if (m_syncScheduled) return;
    m_syncScheduled = true;
    QMetaObject::invokeMethod(this, &DataGrid::syncCurrentRow, Qt::QueuedConnection);
}

void DataGrid::syncCurrentRow() {
    m_syncScheduled = false;
    if (m_model == nullptr) return;
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    const int position = m_model->currentRecord();
    m_model->markCurrentRow(position);
    // Past the last record is where the new-record row stands: a grid on that row stays there.
    if (position < 0 && m_view->isNewRecordRow(currentIndex().row()) &&
        m_model->recordsetIsPastItsEnd()) {
        return;
    }
    // A record the view leaves out (filtered away) has no row to stand on.
    const int row = m_view->viewRow(position);
    if (row < 0 || m_model->columnCount() == 0) {
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex target = m_view->index(row, column);
    if (currentIndex() != target) {
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    }
    scrollTo(target);
}

void DataGrid::updateGeometries() {
    QTableView::updateGeometries();
    if (m_captionLabel->isVisible()) {
        const QRect inner = contentsRect();
        const int height = m_captionLabel->sizeHint().height() + 4;
        m_captionLabel->setGeometry(inner.left(), inner.top(), inner.width(), height);
        m_captionLabel->raise();
    }
}

void DataGrid::sizeColumnsToFields() {
    if (m_model == nullptr) return;
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int length =
            m_model->headerData(column, Qt::Horizontal, RecordsetModel::FieldLengthRole).toInt();
        const QString name = m_model->headerData(column, Qt::Horizontal).toString();
        const int byContent = digit * std::clamp(length, 1, kMaxColumnCharacters);
        const int byName = fontMetrics().horizontalAdvance(name);
        setColumnWidth(column, std::max(byContent, byName) + 16);
    }
}

}  // namespace browser
