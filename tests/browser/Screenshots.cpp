// Pictures of every window for a look by eye (not a test): the main window with a table open, the
// open window, the new-table window before and after "&Accept", the folder picker, the About
// window and the splash.
//
//   browser_screenshots OUTPUT_FOLDER [TABLE.dbf]   (run with QT_QPA_PLATFORM=offscreen)
// Without a table, a small one is made for the pictures.
#include "browser/frmPrincipal.h"
#include "shell/DirListBox.h"
#include "shell/frmPresentacion.h"
#include "tests/browser/OpenWindowSteps.h"
#include "tests/support/TableFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <filesystem>

namespace {

void save(QWidget& window, const QString& file) {
    QApplication::processEvents();
    window.grab().save(file);
}

// Fills the new-table window as a user would, then pictures it.
void workNewTableWindow(QDialog& window, const QString& folder, const QString& output) {
    save(window, output + "/new-table-window.png");
    window.findChild<QLineEdit*>("txtBaseDeDatos")->setText(folder);
    window.findChild<QLineEdit*>("txtNombreTabla")->setText("PARTS");
    window.findChild<QPushButton*>("cmdAceptar")->click();
    for (const char* name : {"CODE", "NAME", "PRICE"}) {
        window.findChild<QLineEdit*>("txtNombreCampo")->setText(name);
        window.findChild<QComboBox*>("cboTipoDatos")->setCurrentText("Text");
        window.findChild<QLineEdit*>("txtLength")->setText("20");
        window.findChild<QToolButton*>("cmdAgregar")->click();
    }
    save(window, output + "/new-table-window-defined.png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    const QString output = QString::fromLocal8Bit(argv[1]);
    testsupport::TempDir temp;
    testsupport::makeTable(temp.path(), "CLIENTS",
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
        save(dialog, output + "/open-window.png");
        browsertest::chooseInOpenWindow(dialog, folder, tableName);
    };
    window.findChild<QToolButton*>("cmdMenu1")->click();
    save(window, output + "/main-window.png");

    services.workModal = [&](QDialog& dialog) {
        if (dialog.objectName() == "frmSelCarpeta") {
            dialog.findChild<shell::DirListBox*>("Dir1")->setPath(folder);
            save(dialog, output + "/folder-window.png");
            return;
        }
        workNewTableWindow(dialog, folder, output);
        dialog.findChild<QPushButton*>("cmdExaminar")->click();
    };
    window.findChild<QToolButton*>("cmdMenu0")->click();

    services.workModal = [&](QDialog& dialog) { save(dialog, output + "/about-window.png"); };
    window.findChild<QToolButton*>("cmdMenu4")->click();

    shell::frmPresentacion splash(services.prompts);
    splash.show();
    save(splash, output + "/splash.png");
    return 0;
}
