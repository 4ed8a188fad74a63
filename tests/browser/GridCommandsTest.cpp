// The grid's commands as a user reaches them (keys, header clicks, the context menu's entries)
// over a generated table: find, sort, filter, copy and paste, undo and redo; and the keys of the
// command bar and the names of the navigation buttons.
#include "browser/DataGrid.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "tests/browser/MainWindowTest.h"
#include "tests/support/TableFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QToolButton>

using Rows = std::vector<std::vector<std::string>>;

namespace {

const std::vector<testsupport::FieldSpec> kFields = {
    {"NAME", 'C', 12}, {"AGE", 'N', 3}, {"NOTE", 'C', 20}};

// 30 records: r0..r29, ages 39 down to 11 but every third one 7, a note with a tab and a quote.
Rows generated() {
    Rows rows;
    for (int i = 0; i < 30; ++i) {
        rows.push_back({"r" + std::to_string(i), std::to_string(i % 3 == 0 ? 7 : 40 - i),
                        i == 1 ? "say \"hi\"\tthere" : ""});
    }
    return rows;
}

}  // namespace

class tst_GridCommands : public browsertest::MainWindowTest {
    Q_OBJECT

    std::filesystem::path m_file;

    QAbstractItemModel* view() { return grid()->model(); }
    QStringList messages() {
        QStringList texts;
        for (const auto& question : m_services->prompts.messages()) {
            texts << QString::fromStdString(question.text);
        }
        return texts;
    }
    void goTo(int row, int column) {
        grid()->setCurrentIndex(view()->index(row, column));
        QCoreApplication::processEvents();
    }
    // The NAME column as shown, top to bottom, records only.
    QStringList names(int count) {
        QStringList shown;
        for (int row = 0; row < count; ++row) shown << view()->index(row, 0).data().toString();
        return shown;
    }
    void findWithDialog(const QString& text, bool allColumns, bool matchCase) {
        m_services->workModal = [&](QDialog& dialog) {
            dialog.findChild<QLineEdit*>("findText")->setText(text);
            dialog
                .findChild<QRadioButton*>(allColumns ? "findInAllColumns" : "findInCurrentColumn")
                ->setChecked(true);
            dialog.findChild<QCheckBox*>("findMatchCase")->setChecked(matchCase);
            dialog.accept();
        };
        press(Qt::Key_F, Qt::ControlModifier);
        m_services->workModal = nullptr;
        refocus();
    }
    // After a modal window has gone, as when the user comes back to the grid.
    void refocus() {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        grid()->setFocus();
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        start();
        m_file = testsupport::makeTable(m_temp->path(), "GEN", kFields, generated());
        openTable(m_file);
        refocus();
    }

    void cleanup() { stop(); }

    void findMovesTheRecordSetFromTheCurrentRecordAndWrapsRound() {
        goTo(5, 0);
        findWithDialog("R2", false, false);
        QCOMPARE(records().AbsolutePosition(), 20L);
        QCOMPARE(barCaption(), QString("Record: 20/30"));
        press(Qt::Key_F3);
        QCOMPARE(records().AbsolutePosition(), 21L);
        goTo(29, 2);
        findWithDialog("hi", true, true);  // in another column: the cell that matched is current
        QCOMPARE(grid()->currentIndex(), view()->index(1, 2));
        findWithDialog("HI", true, true);
        QCOMPARE(messages(), QStringList({"No record holds \"HI\"."}));
        QCOMPARE(records().AbsolutePosition(), 1L);
    }

    void headerClicksSortWhileTheCaptionKeepsTheRecordSetsPosition() {
        goTo(3, 1);  // r3, age 7
        QHeaderView* header = grid()->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(1) + 5, header->viewport()->height() / 2));
        QCoreApplication::processEvents();
        QCOMPARE(names(4), QStringList({"r0", "r3", "r6", "r9"}));  // the 7s in record order
        QCOMPARE(records().AbsolutePosition(), 3L);
        QCOMPARE(barCaption(), QString("Record: 3/30"));
        QCOMPARE(grid()->currentIndex().data().toString(), QString("7"));
        grid()->headerClicked(1);
        QCOMPARE(names(3), QStringList({"r1", "r2", "r4"}));  // ages 39, 38, 36
        // The navigation bar steps through the rows as shown.
        m_window->findChild<QToolButton*>("first")->click();
        m_window->findChild<QToolButton*>("next")->click();
        QCOMPARE(records().AbsolutePosition(), 2L);
        trigger("gridRecordOrder");
        QCOMPARE(names(2), QStringList({"r0", "r1"}));
    }

    void aFilterShowsItsCountAndShowAllEndsIt() {
        goTo(6, 1);  // age 7
        trigger("gridShowOnly");
        QCOMPARE(view()->rowCount(), 10 + 1);
        QCOMPARE(barCaption(), QString("Record: 6/10 (filtered)"));
        m_window->findChild<QToolButton*>("next")->click();
        QCOMPARE(records().AbsolutePosition(), 9L);
        trigger("gridShowAll");
        QCOMPARE(view()->rowCount(), 30 + 1);
        QCOMPARE(barCaption(), QString("Record: 9/30"));
        QVERIFY(messages().isEmpty());
    }

    void copyGivesTabSeparatedTextAndCsv() {
        grid()->selectionModel()->select(QItemSelection(view()->index(0, 0), view()->index(1, 2)),
                                         QItemSelectionModel::Select);
        press(Qt::Key_C, Qt::ControlModifier);
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), QString("r0\t7\t\nr1\t39\t\"say \"\"hi\"\"\tthere\"\n"));
        QCOMPARE(QString::fromUtf8(copied->data("text/csv")),
                 QString("r0,7,\r\nr1,39,\"say \"\"hi\"\"\tthere\"\r\n"));
    }

    void pasteStoresABlockWholeOrNotAtAll_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("stored");   // the first two records' NAME and AGE afterwards
        QTest::addColumn<QString>("message");  // part of the one report, or "" for none
        QTest::newRow("a block") << "a\t1\nb\t2\n"
                                 << 0 << "a 1 b 2"
                                 << "";
        QTest::newRow("quoted cells") << "\"x\"\"y\"\t5" << 0 << "x\"y 5 r1 39"
                                      << "";
        QTest::newRow("one bad value") << "a\t1\nb\tx\n"
                                       << 0 << "r0 7 r1 39"
                                       << "Record 1: ";
        QTest::newRow("past the last record") << "a\nb\n"
                                              << 29 << "r0 7 r1 39"
                                              << "do not fit";
        QTest::newRow("too long for the field") << "a\t1\nthirteen char\t2" << 0 << "r0 7 r1 39"
                                                << "field NAME";
    }

    void pasteStoresABlockWholeOrNotAtAll() {
        QFETCH(QString, pasted);
        QFETCH(int, row);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        QApplication::clipboard()->setText(pasted);
        goTo(row, 0);
        press(Qt::Key_V, Qt::ControlModifier);
        const Rows disk = testsupport::readTable(m_file);
        QCOMPARE(QString::fromStdString(disk[0][0] + " " + disk[0][1] + " " + disk[1][0] + " " +
                                        disk[1][1]),
                 stored);
        QCOMPARE(messages().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(messages()[0].contains(message), qPrintable(messages()[0]));
    }

    void undoAndRedoStoreThroughTheRecordSet() {
        goTo(2, 0);
        QTest::keyClicks(grid(), "x");
        press(Qt::Key_Return);
        QApplication::clipboard()->setText("p\t1\nq\t2");
        goTo(0, 0);
        press(Qt::Key_V, Qt::ControlModifier);
        const auto firstThree = [&] {
            const Rows disk = testsupport::readTable(m_file);
            return QString::fromStdString(disk[0][0] + disk[0][1] + " " + disk[1][0] + disk[1][1] +
                                          " " + disk[2][0]);
        };
        QCOMPARE(firstThree(), QString("p1 q2 x"));
        press(Qt::Key_Z, Qt::ControlModifier);  // the paste, as one step
        QCOMPARE(firstThree(), QString("r07 r139 x"));
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(firstThree(), QString("r07 r139 r2"));
        QCOMPARE(records().AbsolutePosition(), 2L);  // the record the undo stored into
        press(Qt::Key_Y, Qt::ControlModifier);
        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(firstThree(), QString("p1 q2 x"));
        // Deleting a record moves the records after it: the history ends there.
        records().SetAbsolutePosition(29);
        records().Delete();
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(firstThree(), QString("p1 q2 x"));
        QVERIFY(messages().isEmpty());
    }

    void commandBarKeysPressTheirButtons_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("window");  // the modal window shown, or what happened
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << int(Qt::ControlModifier) << "frmNuevaTabla";
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << "frmSelArchivo";
        QTest::newRow("F1") << int(Qt::Key_F1) << 0 << "frmAbout";
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier) << "closed";
        QTest::newRow("Ctrl+E") << int(Qt::Key_E) << int(Qt::ControlModifier) << "save dialog";
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << "ended";
    }

    void commandBarKeysPressTheirButtons() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, window);
        QString happened;
        m_services->workModal = [&](QDialog& dialog) {
            happened = dialog.metaObject()->className();
        };
        m_window->setEndApplication([&] { happened = "ended"; });
        press(key, Qt::KeyboardModifiers(modifiers));
        m_services->workModal = nullptr;
        if (m_window->dataControl().GetRecordset() == nullptr) happened = "closed";
        if (!m_services->prompts.asked.empty() &&
            m_services->prompts.asked[0].kind == testsupport::ScriptedPrompts::Kind::SaveFile) {
            happened = "save dialog";
        }
        QVERIFY2(happened.endsWith(window), qPrintable(happened));
    }

    void navigationButtonsAreNamedForScreenReaders() {
        const char* const kButtons[][2] = {{"first", "First record"},
                                           {"previous", "Previous record"},
                                           {"next", "Next record"},
                                           {"last", "Last record"}};
        for (const auto& [name, text] : kButtons) {
            auto* button = m_window->findChild<QToolButton*>(name);
            QCOMPARE(button->accessibleName(), QString(text));
            QCOMPARE(button->toolTip(), QString(text));
        }
    }
};

QTEST_MAIN(tst_GridCommands)
#include "GridCommandsTest.moc"
