// Pictures of the windows for a look by eye (not a test): the main window with a table open, the
// open window, and the splash.
//
//   browser_screenshots OUTPUT_FOLDER [TABLE.dbf]   (run with QT_QPA_PLATFORM=offscreen)
// Without a table, a small one is made for the pictures.
#include "browser/frmPrincipal.h"
#include "shell/DirListBox.h"
#include "shell/frmPresentacion.h"
#include "tests/browser/OpenWindowSteps.h"
#include "tests/browser/TableMaker.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QApplication>
#include <QTableView>
#include <QToolButton>

#include <filesystem>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    const QString output = QString::fromLocal8Bit(argv[1]);
    testsupport::TempDir temp;
    browsertest::makeTable(temp.path(), "CLIENTS",
                           {{"NAME", 'C', 20},
                            {"CITY", 'C', 15},
                            {"BALANCE", 'N', 12, 2},
                            {"SINCE", 'D', 8},
                            {"ACTIVE", 'L', 1}},
                           {{"Ana Ruiz", "Lisbon", "1250.50", "20190314", "T"},
                            {"Bo Lindqvist", "Uppsala", "-40.00", "20211102", "F"},
                            {"Chidi Okafor", "Enugu", "310.00", "20200630", "T"},
                            {"Dana Weiss", "Haifa", "0.00", "", "T"}});
    QString folder = QString::fromStdString(temp.path().string());
    QString tableName = "CLIENTS.dbf";
    if (argc > 2) {
        const std::filesystem::path table = std::filesystem::absolute(argv[2]);
        folder = QString::fromStdString(table.parent_path().string());
        tableName = QString::fromStdString(table.filename().string());
    }

    testsupport::WindowServices services;
    browser::frmPrincipal window(services.services);
    window.show();
    services.workModal = [&](QDialog& dialog) {
        dialog.findChild<shell::DirListBox*>("Dir1")->setPath(folder);
        dialog.grab().save(output + "/open-window.png");
        browsertest::chooseInOpenWindow(dialog, folder, tableName);
    };
    window.findChild<QToolButton*>("cmdMenu1")->click();
    QApplication::processEvents();
    window.grab().save(output + "/main-window.png");

    shell::frmPresentacion splash(services.prompts);
    splash.show();
    QApplication::processEvents();
    splash.grab().save(output + "/splash.png");
    return 0;
}
