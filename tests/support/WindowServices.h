// The services a window is built with, for window tests: scripted prompts, fakes of the system
// services, and a stand-in for the modal loop that the test works.
#pragma once

#include "shell/AppServices.h"
#include "tests/support/FakeFileProbe.h"
#include "tests/support/FakeLauncher.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/ScriptedPrompts.h"

#include <functional>

class QDialog;

namespace testsupport {

// showModal shows the window, lets workModal work it (when set), and then closes a window that
// is still open as its close box would: so the code under test sees what it sees after exec().
struct WindowServices {
    WindowServices();
    WindowServices(const WindowServices&) = delete;
    WindowServices& operator=(const WindowServices&) = delete;

    ScriptedPrompts prompts;
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeFileProbe files;
    std::function<void(QDialog&)> workModal;
    int modalShown = 0;
    shell::AppServices services;
};

}  // namespace testsupport
