#include "shell/FileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include <stdexcept>

namespace shell {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit DblClick(); });
    m_path = QDir::cleanPath(QDir::currentPath());
    reload();
}

void FileListBox::setPattern(const QString& pattern) {
    m_pattern = pattern;
    reload();
}

void FileListBox::setPath(const QString& path) {
    m_path = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo folder(m_path);
    if (!folder.isDir() || !folder.isReadable()) {
        clear();
        throw std::runtime_error("The files of the folder \"" + m_path.toStdString() +
                                 "\" cannot be listed: it does not exist or cannot be read.");
    }
    reload();
}

void FileListBox::refresh() { reload(); }

QString FileListBox::FileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        !selectedItems().isEmpty()) {
        event->accept();
        emit DblClick();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::reload() {
    clear();
    // Without QDir::CaseSensitive the name filters match regardless of case.
    QStringList filters;
    for (const QString& part : m_pattern.split(';', Qt::SkipEmptyParts)) {
        if (!part.trimmed().isEmpty()) filters << part.trimmed();
    }
    const QStringList names =
        QDir(m_path).entryList(filters, QDir::Files, QDir::Name | QDir::IgnoreCase);
    addItems(names);
    setCurrentRow(-1);
    clearSelection();
}

}  // namespace shell
