// A file list: the files of one folder whose names match a pattern.
#pragma once

#include <QListWidget>
#include <QString>

namespace shell {

// Lists the files (not folders, not hidden files) of Path() whose names match Pattern(), sorted
// by name. Single selection; after every reload nothing is selected. Starts at the process's
// current folder with the pattern "*.*"; nothing is remembered between instances.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    // Wildcard patterns separated by ";" ("*.dbf;*.xls"), matched without regard to case.
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);

    QString Path() const { return m_path; }
    // Lists the matching files of the folder path. Throws std::runtime_error, leaving the list
    // empty, when path is not a readable folder.
    void setPath(const QString& path);
    void refresh();

    // The selected file's name as listed (extension included), or "" when none is selected.
    QString FileName() const;

signals:
    // A file entry was double-clicked, or Return (Enter) was pressed on the selected one: both
    // are the user choosing that file.
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reload();

    QString m_path;
    QString m_pattern = "*.*";
};

}  // namespace shell
