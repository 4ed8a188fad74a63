// What the window tests share: services with scripted prompts, and ways to work the open window.
#pragma once

#include "platform/FileProbe.h"
#include "platform/ProcessLauncher.h"
#include "platform/RegistryReader.h"
#include "shell/AppServices.h"
#include "shell/DirListBox.h"
#include "shell/FileListBox.h"
#include "tests/support/ScriptedPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTest>

#include <memory>
#include <optional>
#include <string>

namespace browsertest {

class NoRegistry : public platform::RegistryReader {
public:
    std::optional<Handle> open(std::uint32_t, const std::string&) override { return std::nullopt; }
    std::optional<QueryResult> query(Handle, const std::string&, std::size_t) override {
        return std::nullopt;
    }
    void close(Handle) override {}
};

class NoLauncher : public platform::ProcessLauncher {
public:
    void start(const std::string&) override {}
};

class NoFiles : public platform::FileProbe {
public:
    bool fileExists(const std::string&) override { return false; }
};

// Scripted prompts and fakes, bundled as the windows expect them. showModal runs `modal`, which
// a test sets to work the window; left empty, a modal window is closed as by its close box.
struct TestServices {
    testsupport::ScriptedPrompts prompts;
    NoRegistry registry;
    NoLauncher launcher;
    NoFiles files;
    std::function<void(QDialog&)> modal;
    int modalShowings = 0;
    shell::AppServices services{prompts, registry, launcher, files, [this](QDialog& window) {
                                    ++modalShowings;
                                    window.show();
                                    if (modal) modal(window);
                                    if (window.isVisible()) window.reject();
                                }};
};

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

// The message boxes asked so far, as "title|text".
inline QStringList messageTexts(const testsupport::ScriptedPrompts& prompts) {
    QStringList texts;
    for (const auto& question : prompts.messages()) {
        texts << QString::fromStdString(question.title + "|" + question.text);
    }
    return texts;
}

}  // namespace browsertest
