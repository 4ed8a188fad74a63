// What the table-creation windows need around them in a test: scripted prompts, fake system
// services, the Dbase module, and the main window's format options.
#pragma once

#include "shell/AppServices.h"
#include "tablecreate/Dbase.h"
#include "tests/support/FakeFileProbe.h"
#include "tests/support/FakeLauncher.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/ScriptedPrompts.h"

#include <QButtonGroup>
#include <QDialog>
#include <QRadioButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct WindowFixture {
    ScriptedPrompts prompts;
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeFileProbe files;
    // Works a modal window in place of exec(); by default it leaves the window at once.
    std::function<void(QDialog&)> workModal = [](QDialog&) {};
    int modalShown = 0;
    shell::AppServices services{prompts, registry, launcher, files, [this](QDialog& dialog) {
                                    ++modalShown;
                                    workModal(dialog);
                                }};
    tablecreate::Dbase dbase;

    // The main window's format options: 0 "Dbase III" (checked at start), 1 "Dbase IV",
    // 2 "Dbase V", 3 "Excel".
    QWidget optionsHost;
    QButtonGroup optDBFVersion;
    WindowFixture() {
        const char* captions[] = {"Dbase III", "Dbase IV", "Dbase V", "Excel"};
        for (int index = 0; index < 4; ++index) {
            auto* option = new QRadioButton(captions[index], &optionsHost);
            optDBFVersion.addButton(option, index);
        }
        optDBFVersion.button(0)->setChecked(true);
    }

    // The texts of the message boxes shown so far, with " [warning]" after the error reporter's.
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& question : prompts.messages()) {
            texts.push_back(question.text + (question.icon == platform::MessageIcon::Exclamation
                                                 ? " [warning]"
                                                 : ""));
        }
        return texts;
    }
};

}  // namespace testsupport
