#include "shell/DirListBox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <stdexcept>

namespace shell {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 12;

// Shifts each entry right by its depth, so the list reads as a path going down.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + index.data(kDepthRole).toInt() * kIndentPixels);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(kDepthRole).toInt() * kIndentPixels;
        return size;
    }
};

QString normalised(const QString& path) { return QDir::cleanPath(QDir(path).absolutePath()); }

}  // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, &DirListBox::openEntry);
    display(normalised(QDir::currentPath()));
}

QString DirListBox::entryPath(const QListWidgetItem* item) {
    return item == nullptr ? QString() : item->data(kPathRole).toString();
}

void DirListBox::setPath(const QString& path) {
    const QString target = normalised(path);
    if (!QFileInfo(target).isDir()) {
        throw std::runtime_error("The folder \"" + target.toStdString() +
                                 "\" cannot be opened: it does not exist or is not a folder.");
    }
    const bool changed = target != m_path;
    display(target);
    if (changed) emit Change();
}

void DirListBox::refresh() { display(m_path); }

void DirListBox::openEntry(QListWidgetItem* item) {
    // Runs inside Qt's event delivery, so it must not throw: a folder that has vanished since
    // the list was read sends the list to the nearest folder that still exists.
    QString target = entryPath(item);
    while (!QFileInfo(target).isDir() && target != "/") {
        target = normalised(target + "/..");
    }
    const bool changed = target != m_path;
    display(target);
    if (changed) emit Change();
}

void DirListBox::display(const QString& path) {
    m_path = path;
    clear();

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    QString ancestor = "/";
    auto addEntry = [this](const QIcon& icon, const QString& text, const QString& entry,
                           int depth) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, entry);
        item->setData(kDepthRole, depth);
        return item;
    };
    QListWidgetItem* openItem = addEntry(openIcon, "/", "/", 0);
    for (int depth = 0; depth < parts.size(); ++depth) {
        ancestor = depth == 0 ? "/" + parts[depth] : ancestor + "/" + parts[depth];
        openItem = addEntry(openIcon, parts[depth], ancestor, depth + 1);
    }

    const QString prefix = path == "/" ? QString("/") : path + "/";
    const QStringList subfolders =
        QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        addEntry(closedIcon, name, prefix + name, static_cast<int>(parts.size()) + 1);
    }
    setCurrentItem(openItem);
}

}  // namespace shell
