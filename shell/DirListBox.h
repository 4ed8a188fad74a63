// A folder list: the open folder's path from the root down, then its subfolders.
#pragma once

#include <QListWidget>
#include <QString>

namespace shell {

// Shows the folders from "/" down to the open folder, then the open folder's subfolders (hidden
// ones left out), indented by depth. Activating an entry (double-click or Enter) opens that
// folder; an ancestor entry is the way up. Merely highlighting an entry changes nothing. Starts
// at the process's current folder; nothing is remembered between instances.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The open folder: absolute, without a trailing "/" except for the root.
    QString Path() const { return m_path; }
    // Opens path (made absolute). Emits Change when the open folder differs from before. Throws
    // std::runtime_error, and keeps the open folder, when path is not an existing folder.
    void setPath(const QString& path);
    // Reads the open folder's subfolders again.
    void refresh();

    // The full path shown by an entry.
    static QString entryPath(const QListWidgetItem* item);

signals:
    // The open folder changed.
    void Change();

private:
    void openEntry(QListWidgetItem* item);
    void display(const QString& path);

    QString m_path;
};

}  // namespace shell
