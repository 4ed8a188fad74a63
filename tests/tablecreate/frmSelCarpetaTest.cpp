#include "shell/DirListBox.h"
#include "shell/DriveListBox.h"
#include "tablecreate/frmSelCarpeta.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TextFit.h"
#include "tests/support/WindowServices.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace {

// A picker opened in a scratch folder (the process's current folder while it lives), writing
// into a folder box of its own.
struct Picker {
    testsupport::TempDir dir;
    QString previousFolder = QDir::currentPath();
    bool entered = QDir::setCurrent(QString::fromStdString(dir.path().string()));
    testsupport::WindowServices fixture;
    QLineEdit txtBaseDeDatos;
    std::unique_ptr<tablecreate::frmSelCarpeta> window;

    Picker() {
        std::filesystem::create_directory(dir / "sub");
        window = std::make_unique<tablecreate::frmSelCarpeta>(fixture.services, txtBaseDeDatos);
    }
    ~Picker() { QDir::setCurrent(previousFolder); }

    QString folder(const std::string& relative = {}) const {
        return QString::fromStdString(
            (relative.empty() ? dir.path() : dir.path() / relative).string());
    }
    shell::DirListBox* dirList() { return window->findChild<shell::DirListBox*>("Dir1"); }
    void click(const char* name) {
        QTest::mouseClick(window->findChild<QToolButton*>(name), Qt::LeftButton);
    }
    QListWidgetItem* entryFor(const QString& path) {
        for (int row = 0; row < dirList()->count(); ++row) {
            if (shell::DirListBox::entryPath(dirList()->item(row)) == path) {
                return dirList()->item(row);
            }
        }
        return nullptr;
    }
};

}  // namespace

class frmSelCarpetaTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void initialState();
    void selectWithoutTouchingGivesTheCurrentFolder();
    void selectTakesTheOpenFolderNotTheHighlightedOne();
    void cancelLeavesTheFolderBoxAlone();
    void driveChangeOpensTheDrive();
};

void frmSelCarpetaTest::cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

void frmSelCarpetaTest::initialState() {
    Picker p;
    QVERIFY(p.entered);
    tablecreate::frmSelCarpeta& window = *p.window;
    QCOMPARE(window.windowTitle(), QString("Select Database (folder)"));
    QCOMPARE(testsupport::misplacedControls(window, tablecreate::frmSelCarpeta::designLayout()),
             QStringList());
    auto* cancel = window.findChild<QToolButton*>("cmdCancelar");
    auto* select = window.findChild<QToolButton*>("cmdAceptar");
    QCOMPARE(cancel->text(), QString("Cancel"));
    QCOMPARE(select->text(), QString("Select"));
    QVERIFY(!cancel->icon().isNull());
    QCOMPARE(testsupport::clippedTexts(window), QStringList());

    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), p.dirList());
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"Dir1", "Drive1", "cmdAceptar", "cmdCancelar", "Dir1"}));

    // Neither button is the default or the cancel button.
    select->setFocus();
    QTest::keyClick(select, Qt::Key_Return);
    QTest::keyClick(select, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QVERIFY(p.txtBaseDeDatos.text().isEmpty());
    window.close();
}

void frmSelCarpetaTest::selectWithoutTouchingGivesTheCurrentFolder() {
    Picker p;
    p.window->show();
    p.click("cmdAceptar");
    QCOMPARE(p.txtBaseDeDatos.text(), p.folder());
    QVERIFY(!p.window->isVisible());
    QCOMPARE(p.window->result(), int(QDialog::Accepted));
    QVERIFY(p.fixture.prompts.asked.empty());
}

void frmSelCarpetaTest::selectTakesTheOpenFolderNotTheHighlightedOne() {
    Picker p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    QListWidgetItem* sub = p.entryFor(p.folder("sub"));
    QVERIFY(sub != nullptr);
    p.dirList()->setCurrentItem(sub);
    p.click("cmdAceptar");
    QCOMPARE(p.txtBaseDeDatos.text(), p.folder());

    // Opening the folder (Enter on its entry) makes it the one Select takes.
    p.window->show();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    sub = p.entryFor(p.folder("sub"));
    QVERIFY(sub != nullptr);
    p.dirList()->setFocus();
    p.dirList()->setCurrentItem(sub);
    QTest::keyClick(p.dirList(), Qt::Key_Return);
    QVERIFY(p.window->isVisible());
    QCOMPARE(p.dirList()->Path(), p.folder("sub"));
    p.click("cmdAceptar");
    QCOMPARE(p.txtBaseDeDatos.text(), p.folder("sub"));
}

void frmSelCarpetaTest::cancelLeavesTheFolderBoxAlone() {
    Picker p;
    p.txtBaseDeDatos.setText("/typed/by/hand");
    p.window->show();
    p.dirList()->setPath(p.folder("sub"));
    p.click("cmdCancelar");
    QVERIFY(!p.window->isVisible());
    QCOMPARE(p.window->result(), int(QDialog::Rejected));
    QCOMPARE(p.txtBaseDeDatos.text(), QString("/typed/by/hand"));
}

void frmSelCarpetaTest::driveChangeOpensTheDrive() {
    Picker p;
    auto* drives = p.window->findChild<shell::DriveListBox*>("Drive1");
    QVERIFY(drives->count() > 0);
    emit drives->Change();
    QCOMPARE(p.dirList()->Path(), drives->Drive());
    QVERIFY(p.fixture.prompts.asked.empty());
}

QTEST_MAIN(frmSelCarpetaTest)
#include "frmSelCarpetaTest.moc"
