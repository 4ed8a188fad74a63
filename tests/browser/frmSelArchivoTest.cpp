// The open-table window: its design, the lists working together, and the five settings it
// writes into the data control.
#include "browser/frmSelArchivo.h"
#include "engine/DataControl.h"
#include "shell/DriveListBox.h"
#include "tests/browser/OpenWindowSteps.h"
#include "tests/support/FormatOptions.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TextFit.h"
#include "tests/support/WindowServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>

#include <filesystem>
#include <fstream>

namespace {

void touch(const std::filesystem::path& path) { std::ofstream(path) << "x"; }

}  // namespace

class tst_frmSelArchivo : public QObject {
    Q_OBJECT

    // What the main window lends the open window.
    struct MainWindowParts {
        engine::DataControl dtcDbf;
        QCheckBox chkSoloLectura;
        testsupport::FormatOptions formats;
    };

    std::unique_ptr<testsupport::WindowServices> m_services;
    std::unique_ptr<MainWindowParts> m_parts;
    std::unique_ptr<testsupport::TempDir> m_temp;

    QString folder() const { return QString::fromStdString(m_temp->path().string()); }

    std::unique_ptr<browser::frmSelArchivo> makeWindow() {
        return std::make_unique<browser::frmSelArchivo>(m_services->services, m_parts->dtcDbf,
                                                        m_parts->chkSoloLectura,
                                                        m_parts->formats.optDBFVersion);
    }

private slots:
    void init() {
        m_temp = std::make_unique<testsupport::TempDir>();
        m_services = std::make_unique<testsupport::WindowServices>();
        m_parts = std::make_unique<MainWindowParts>();
        std::filesystem::create_directory(m_temp->path() / "sub");
        for (const char* name : {"alpha.DBF", "beta.dbf", "book.xls", "notes.txt"}) {
            touch(m_temp->path() / name);
        }
        touch(m_temp->path() / "sub" / "inner.dbf");
    }

    void cleanup() {
        m_parts.reset();
        m_services.reset();
        m_temp.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void windowHasItsDesignLayoutTabOrderAndFirstFocus() {
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QString("Select a dbf file"));
        QCOMPARE(testsupport::misplacedControls(*window, browser::frmSelArchivo::designLayout()),
                 QStringList());
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));

        QStringList chain;
        QCOMPARE(window->findChild<QToolButton*>("cmdAceptar")->text(), QString("Select"));
        QCOMPARE(window->findChild<QToolButton*>("cmdCancelar")->text(), QString("Cancel"));
        QVERIFY(!window->findChild<QToolButton*>("cmdAceptar")->icon().isNull());
        QCOMPARE(testsupport::clippedTexts(*window), QStringList());

        QWidget* widget = window->findChild<QWidget*>("Dir1");
        for (int step = 0; step < 5; ++step) {
            chain << widget->objectName();
            do {
                widget = widget->nextInFocusChain();
            } while (widget->objectName().isEmpty() || widget->parentWidget() != window.get());
        }
        QCOMPARE(chain, QStringList({"Dir1", "Drive1", "File1", "cmdAceptar", "cmdCancelar"}));

        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::focusWidget(), window->findChild<QWidget*>("Dir1"));
    }

    void listsStartTogetherAtTheCurrentFolderAndFollowEachOther() {
        auto window = makeWindow();
        auto* drives = window->findChild<shell::DriveListBox*>("Drive1");
        auto* folders = window->findChild<shell::DirListBox*>("Dir1");
        auto* files = window->findChild<shell::FileListBox*>("File1");
        const QString current = QDir::cleanPath(QDir::currentPath());
        QCOMPARE(folders->Path(), current);
        QCOMPARE(files->Path(), current);
        QCOMPARE(files->Pattern(), QString("*.dbf;*.xls"));

        folders->setPath(folder());
        QCOMPARE(files->Path(), folder());
        QStringList names;
        for (int row = 0; row < files->count(); ++row) names << files->item(row)->text();
        QCOMPARE(names, QStringList({"alpha.DBF", "beta.dbf", "book.xls"}));

        // Picking a volume opens its mount point in both lists.
        emit drives->Change();
        QCOMPARE(folders->Path(), drives->Drive());
        QCOMPARE(files->Path(), drives->Drive());
    }

    void selectWritesTheFiveSettings_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("connect");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("source");
        QTest::newRow("dBASE table") << 1 << false << "beta.dbf" << 1 << "before;"
                                     << ""
                                     << "beta.dbf";
        QTest::newRow("dBASE table, read only") << 0 << true << "alpha.DBF" << 1 << "before;"
                                                << ""
                                                << "alpha.DBF";
        QTest::newRow("workbook under a dBASE option") << 2 << false << "book.xls" << 1 << "before;"
                                                       << ""
                                                       << "book.xls";
        QTest::newRow("workbook") << 3 << false << "book.xls" << 2 << "Excel 8.0;"
                                  << "/book.xls"
                                  << "Sheet1$";
        QTest::newRow("workbook, read only") << 3 << true << "book.xls" << 2 << "Excel 8.0;"
                                             << "/book.xls"
                                             << "Sheet1$";
        QTest::newRow("no file, dBASE") << 0 << false << "" << 1 << "before;"
                                        << ""
                                        << "";
        QTest::newRow("no file, workbook") << 3 << false << "" << 2 << "Excel 8.0;"
                                           << "/"
                                           << "Sheet1$";
    }

    void selectWritesTheFiveSettings() {
        QFETCH(int, option);
        QFETCH(bool, readOnly);
        QFETCH(QString, fileName);
        QFETCH(int, type);
        QFETCH(QString, connect);
        QFETCH(QString, database);
        QFETCH(QString, source);
        m_parts->formats.choose(option);
        m_parts->chkSoloLectura.setChecked(readOnly);
        m_parts->dtcDbf.SetConnect("before;");
        m_parts->dtcDbf.SetReadOnly(!readOnly);

        auto window = makeWindow();
        window->show();
        browsertest::chooseInOpenWindow(*window, folder(), fileName);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
        const engine::DataControl& dtc = m_parts->dtcDbf;
        QCOMPARE(dtc.ReadOnly(), readOnly);
        QCOMPARE(dtc.RecordsetType(), type);
        QCOMPARE(QString::fromStdString(dtc.Connect()), connect);
        QCOMPARE(QString::fromStdString(dtc.DatabaseName()), folder() + database);
        QCOMPARE(QString::fromStdString(dtc.RecordSource()), source);
        QVERIFY(m_services->prompts.asked.empty());
    }

    void doubleClickOrReturnOnAFileSelectsIt_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("double-click") << false;
        QTest::newRow("Return") << true;
    }

    void doubleClickOrReturnOnAFileSelectsIt() {
        QFETCH(bool, byKey);
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->findChild<shell::DirListBox*>("Dir1")->setPath(folder());
        auto* files = window->findChild<shell::FileListBox*>("File1");
        QListWidgetItem* beta = files->findItems("beta.dbf", Qt::MatchExactly).first();
        const QPoint where = files->visualItemRect(beta).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, where);
        if (byKey) {
            QTest::keyClick(files, Qt::Key_Return);
        } else {
            QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, where);
        }
        QVERIFY(!window->isVisible());
        QCOMPARE(m_parts->dtcDbf.RecordSource(), std::string("beta.dbf"));
        QCOMPARE(QString::fromStdString(m_parts->dtcDbf.DatabaseName()), folder());
    }

    void cancelEnterAndEscapeWriteNothing() {
        m_parts->dtcDbf.SetDatabaseName("kept");
        m_parts->dtcDbf.SetRecordSource("kept.dbf");
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto* files = window->findChild<shell::FileListBox*>("File1");
        window->findChild<shell::DirListBox*>("Dir1")->setPath(folder());
        files->item(0)->setSelected(true);

        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            window->findChild<QToolButton*>("cmdAceptar")->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key);
            QVERIFY2(window->isVisible(), "Enter and Escape press no button");
        }
        window->findChild<QToolButton*>("cmdCancelar")->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
        QCOMPARE(m_parts->dtcDbf.DatabaseName(), std::string("kept"));
        QCOMPARE(m_parts->dtcDbf.RecordSource(), std::string("kept.dbf"));
        QCOMPARE(m_parts->dtcDbf.RecordsetType(), 0);
    }

    void aFolderThatVanishedIsReportedOnceAndTheWindowStaysOpen() {
        auto window = makeWindow();
        window->show();
        auto* folders = window->findChild<shell::DirListBox*>("Dir1");
        folders->setPath(folder() + "/sub");
        std::filesystem::remove_all(m_temp->path() / "sub");
        emit folders->Change();
        const auto boxes = m_services->prompts.messages();
        QCOMPARE(boxes.size(), 1u);
        QCOMPARE(boxes[0].title, std::string("Quillon FREE"));
        QVERIFY(boxes[0].text.find("sub") != std::string::npos);
        QVERIFY(window->isVisible());
        QCOMPARE(window->findChild<shell::FileListBox*>("File1")->count(), 0);
    }

    void eachShowingStartsAfresh() {
        {
            auto first = makeWindow();
            first->findChild<shell::DirListBox*>("Dir1")->setPath(folder() + "/sub");
        }
        auto second = makeWindow();
        QCOMPARE(second->findChild<shell::DirListBox*>("Dir1")->Path(),
                 QDir::cleanPath(QDir::currentPath()));
        QVERIFY(second->findChild<shell::FileListBox*>("File1")->selectedItems().isEmpty());
    }
};

QTEST_MAIN(tst_frmSelArchivo)
#include "frmSelArchivoTest.moc"
