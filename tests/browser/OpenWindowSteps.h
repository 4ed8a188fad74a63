// Working the open-table window the way a user does, for the browser's window tests.
#pragma once

#include "shell/DirListBox.h"
#include "shell/FileListBox.h"

#include <QAbstractButton>
#include <QDialog>
#include <QListWidget>
#include <QTest>

namespace browsertest {

// In the open window: opens folder, selects fileName in the file list ("" selects nothing),
// then presses "Select".
inline void chooseInOpenWindow(QDialog& window, const QString& folder, const QString& fileName) {
    window.findChild<shell::DirListBox*>("Dir1")->setPath(folder);
    auto* files = window.findChild<shell::FileListBox*>("File1");
    if (!fileName.isEmpty()) {
        const QList<QListWidgetItem*> found = files->findItems(fileName, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(fileName));
        found.first()->setSelected(true);
    }
    window.findChild<QAbstractButton*>("cmdAceptar")->click();
}

}  // namespace browsertest
