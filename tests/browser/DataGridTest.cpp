// Data entry in the main window's grid, driven by keys and clicks as a user drives it: new records
// typed across their fields, the focus after "Add", moves of the current row, leaving the grid,
// and numbers the field cannot hold. The table on disk is read back after each.
#include "browser/DataGrid.h"
#include "browser/RecordCaption.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "tests/browser/MainWindowTest.h"
#include "tests/support/TableFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QButtonGroup>
#include <QPushButton>

#include <filesystem>

using Rows = std::vector<std::vector<std::string>>;

namespace {

const std::vector<testsupport::FieldSpec> kFields = {
    {"NAME", 'C', 10}, {"AGE", 'N', 6}, {"PRICE", 'N', 6, 1}};
const Rows kTwoRecords = {{"Ann", "5", "1.5"}, {"Bob", "41", ""}};

}  // namespace

class tst_DataGrid : public browsertest::MainWindowTest {
    Q_OBJECT

    std::filesystem::path m_file;

    Rows onDisk() { return testsupport::readTable(m_file); }

    // Writes the table and opens it through the "Open" command.
    void open(const Rows& rows) {
        m_file = testsupport::makeTable(m_temp->path(), "PEOPLE", kFields, rows);
        openTable(m_file);
        // The open window took the activation with it.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    static void type(const QString& text) {
        for (const QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
        QCoreApplication::processEvents();
    }
    void clickCell(int row, int column) {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCoreApplication::processEvents();
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void fieldsTypedAcrossTheNewRowMakeOneRecord() {
        open(kTwoRecords);
        clickCell(2, 0);
        type("Cy");
        press(Qt::Key_Tab);
        type("33");
        press(Qt::Key_Tab);
        type("4.5");
        press(Qt::Key_Up);
        QCOMPARE(onDisk(), Rows({{"Ann", "5", "1.5"}, {"Bob", "41", ""}, {"Cy", "33", "4.5"}}));
        QCOMPARE(barCaption(), QString("Record: 1/3"));
        QVERIFY(m_services->prompts.asked.empty());
    }

    void addLeavesTheKeysToTheNewRecordsFirstCell() {
        open(kTwoRecords);
        QTest::mouseClick(child<QPushButton>("cmdRegistroAgregar"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), grid());
        QCOMPARE(grid()->currentIndex(), grid()->model()->index(2, 0));
        type("Jo Ann");  // a space on a button would press it
        press(Qt::Key_Tab);
        type("7");
        press(Qt::Key_Return);
        QCOMPARE(onDisk(), Rows({{"Ann", "5", "1.5"}, {"Bob", "41", ""}, {"Jo Ann", "7", ""}}));
        QVERIFY(m_services->prompts.asked.empty());
    }

    void everyMoveOfTheGridsRowMovesTheRecordSet() {
        Rows forty;
        for (int i = 0; i < 40; ++i) forty.push_back({"r" + std::to_string(i), "1", ""});
        open(forty);
        grid()->setFocus();
        const int newRecordRow = 40;
        const struct {
            const char* step;
            Qt::Key key;  // Qt::Key_unknown: a click on row
            Qt::KeyboardModifiers modifiers;
            int row;  // where the grid and the record set stand afterwards; -1: anywhere past 0
        } kSteps[] = {
            {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, 39},
            {"Up", Qt::Key_Up, Qt::NoModifier, 38},
            {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier, 0},
            {"Page Down", Qt::Key_PageDown, Qt::NoModifier, -1},
            {"click", Qt::Key_unknown, Qt::NoModifier, 5},
            {"Down", Qt::Key_Down, Qt::NoModifier, 6},
            {"Page Up", Qt::Key_PageUp, Qt::NoModifier, 0},
            {"Ctrl+End again", Qt::Key_End, Qt::ControlModifier, 39},
            {"Down onto the new-record row", Qt::Key_Down, Qt::NoModifier, newRecordRow},
            {"click on the new-record row", Qt::Key_unknown, Qt::NoModifier, newRecordRow},
            {"Up off it", Qt::Key_Up, Qt::NoModifier, 39},
        };
        for (const auto& step : kSteps) {
            if (step.key == Qt::Key_unknown) {
                clickCell(step.row, 1);
            } else {
                press(step.key, step.modifiers);
            }
            const int shown = grid()->currentIndex().row();
            QVERIFY2(step.row >= 0 ? shown == step.row : shown > 0, step.step);
            // On the new-record row there is no current record.
            const long position = shown == newRecordRow ? -1 : shown;
            QVERIFY2(records().AbsolutePosition() == position, step.step);
            QCOMPARE(barCaption(),
                     QString::fromStdString(browser::recordCaption(position, 40, false)));
        }
        QCOMPARE(onDisk().size(), 40u);
        QVERIFY(m_services->prompts.asked.empty());
    }

    void tabMovesBetweenCellsAndCtrlTabLeavesTheGrid() {
        open(kTwoRecords);
        clickCell(0, 0);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid());
        QCOMPARE(grid()->currentIndex(), grid()->model()->index(0, 1));
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("cmdRegistroAgregar"));

        // Out backwards, from a cell being edited: the edit is kept.
        clickCell(1, 0);
        type("Bea");
        press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("chkSoloLectura"));
        QCOMPARE(onDisk(), Rows({{"Ann", "5", "1.5"}, {"Bea", "41", ""}}));
        QVERIFY(m_services->prompts.asked.empty());
    }

    void numbersAreStoredOnlyWhenTheFieldHoldsThemWhole_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");  // empty: refused, the record unchanged
        QTest::addColumn<QString>("why");
        QTest::newRow("a decimal in N(6,0)") << 1 << "2.5"
                                             << ""
                                             << "1 decimal";
        QTest::newRow("two decimals in N(6,1)") << 2 << "2.55"
                                                << ""
                                                << "2 decimals";
        QTest::newRow("trailing zeros in N(6,1)") << 2 << "2.50"
                                                  << "2.5"
                                                  << "";
        QTest::newRow("zero decimals in N(6,0)") << 1 << "12.000"
                                                 << "12"
                                                 << "";
    }

    void numbersAreStoredOnlyWhenTheFieldHoldsThemWhole() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, why);
        open(kTwoRecords);
        clickCell(0, column);
        type(typed);
        press(Qt::Key_Return);
        Rows expected = kTwoRecords;
        if (!stored.isEmpty()) expected[0][static_cast<std::size_t>(column)] = stored.toStdString();
        QCOMPARE(onDisk(), expected);
        const auto reports = m_services->prompts.messages();
        QCOMPARE(reports.size(), stored.isEmpty() ? 1u : 0u);
        if (stored.isEmpty()) {
            QVERIFY2(QString::fromStdString(reports[0].text).contains(why),
                     reports[0].text.c_str());
        }
    }
};

QTEST_MAIN(tst_DataGrid)
#include "DataGridTest.moc"
