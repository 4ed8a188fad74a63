// The main window over a fresh temporary folder, with scripted services, for the browser's
// window tests: a test class derives from it, calls start() from its init() and stop() from its
// cleanup(), and works the window through the helpers.
#pragma once

#include "browser/DataGrid.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "tests/browser/OpenWindowSteps.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QTest>

#include <filesystem>
#include <functional>
#include <memory>

namespace browsertest {

class MainWindowTest : public QObject {
protected:
    // Shows the window and waits until it is active (untilActive) or only exposed.
    void start(bool untilActive = true) {
        m_temp = std::make_unique<testsupport::TempDir>();
        m_services = std::make_unique<testsupport::WindowServices>();
        m_window = std::make_unique<browser::frmPrincipal>(m_services->services);
        m_window->show();
        if (untilActive) {
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        } else {
            QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        }
    }
    // Closes everything; no window may be left behind.
    void stop() {
        m_window.reset();
        m_services.reset();
        m_temp.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    template <typename T>
    T* child(const char* name) {
        T* found = m_window->findChild<T*>(name);
        if (found == nullptr) qFatal("no control %s", name);
        return found;
    }
    browser::DataGrid* grid() { return child<browser::DataGrid>("dbgDbf"); }
    engine::Recordset& records() { return *m_window->dataControl().GetRecordset(); }
    QString barCaption() { return QString::fromStdString(m_window->dataControl().Caption()); }

    // Presses "Open" with the open window worked by work.
    void pressOpen(const std::function<void(QDialog&)>& work) {
        m_services->workModal = work;
        child<QButtonGroup>("cmdMenu")->button(browser::frmPrincipal::kOpen)->click();
        m_services->workModal = nullptr;
    }
    // Opens table through the "Open" command.
    void openTable(const std::filesystem::path& table) {
        const QString folder = QString::fromStdString(table.parent_path().string());
        const QString name = QString::fromStdString(table.filename().string());
        pressOpen([&](QDialog& dialog) { chooseInOpenWindow(dialog, folder, name); });
    }

    // Keys go where the user's keys go: to the widget that has the focus.
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
    }
    void trigger(const char* action) {
        child<QAction>(action)->trigger();
        QCoreApplication::processEvents();
    }

    std::unique_ptr<testsupport::TempDir> m_temp;
    std::unique_ptr<testsupport::WindowServices> m_services;
    std::unique_ptr<browser::frmPrincipal> m_window;
};

}  // namespace browsertest
