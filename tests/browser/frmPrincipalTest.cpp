// The main window: its design state and layout, the command bar, the read-only toggle, the
// format option, the position caption and the record commands, over real tables on disk.
#include "browser/DataGrid.h"
#include "browser/RecordCaption.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "shell/Twips.h"
#include "tests/browser/MainWindowTest.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TableFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TextFit.h"
#include "tests/support/WindowServices.h"

#include <QAbstractItemModel>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

#include <cerrno>
#include <filesystem>
#include <fstream>

using browsertest::chooseInOpenWindow;
using platform::MessageResult;
using testsupport::FieldSpec;

namespace {

const std::vector<FieldSpec> kPeopleFields = {{"NAME", 'C', 10}, {"AGE", 'N', 6}};
const std::vector<std::vector<std::string>> kThreePeople = {
    {"abc", "5"}, {"ABC", "41"}, {" abc", "7"}};

}  // namespace

class tst_frmPrincipal : public browsertest::MainWindowTest {
    Q_OBJECT

    browser::frmPrincipal& window() { return *m_window; }
    testsupport::ScriptedPrompts& prompts() { return m_services->prompts; }
    QString folder() const { return QString::fromStdString(m_temp->path().string()); }

    QAbstractButton* menu(int index) { return child<QButtonGroup>("cmdMenu")->button(index); }
    QPushButton* addButton() { return child<QPushButton>("cmdRegistroAgregar"); }
    QPushButton* deleteButton() { return child<QPushButton>("cmdRegistroEliminar"); }
    QPushButton* replaceButton() { return child<QPushButton>("cmdRegistroReemplazar"); }
    // Which of Add, Delete, Replace are enabled, as "ADR" with "-" for a disabled one.
    QString recordButtons() {
        return QString(addButton()->isEnabled() ? "A" : "-") +
               (deleteButton()->isEnabled() ? "D" : "-") +
               (replaceButton()->isEnabled() ? "R" : "-");
    }

    // Presses "Open" and picks fileName in the open window (nothing when cancel is true).
    void openThroughWindow(const QString& fileName, bool cancel = false) {
        pressOpen([&](QDialog& dialog) {
            if (!cancel) chooseInOpenWindow(dialog, folder(), fileName);
        });
        QCoreApplication::processEvents();
    }

    std::filesystem::path makePeople(const std::vector<std::vector<std::string>>& rows,
                                     const std::string& name = "PEOPLE") {
        return testsupport::makeTable(m_temp->path(), name, kPeopleFields, rows);
    }

private slots:
    void init() { start(false); }
    void cleanup() { stop(); }

    void startsInItsDesignState() {
        QCOMPARE(window().windowTitle(), QString("Morvane - Quillon"));
        QVERIFY(child<QRadioButton>("optDBFVersion0")->isChecked());
        QCOMPARE(child<QCheckBox>("chkSoloLectura")->checkState(), Qt::Unchecked);
        QCOMPARE(recordButtons(), QString("---"));
        QCOMPARE(barCaption(), QString("Clic the Open button to open a dbf or xls file"));
        QCOMPARE(window().dataControl().Connect(), std::string("dBASE III;"));
        QCOMPARE(window().dataControl().RecordsetType(), 0);
        QVERIFY(!window().dataControl().ReadOnly());
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(grid()->Caption(), QString());
        QCOMPARE(testsupport::clippedTexts(window()), QStringList());
        QVERIFY(prompts().asked.empty());
    }

    void controlsCarryTheirCaptionsAndTooltips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("New") << "cmdMenu0"
                             << "New"
                             << "Create new dbase file";
        QTest::newRow("Open") << "cmdMenu1"
                              << "Open"
                              << "Open an existing dbf file";
        QTest::newRow("Close") << "cmdMenu2"
                               << "Close"
                               << "Close the open file";
        QTest::newRow("Export") << "cmdMenu3"
                                << "Export"
                                << "Save as microsoft excel file";
        QTest::newRow("About") << "cmdMenu4"
                               << "About"
                               << "About Brantello";
        QTest::newRow("Exit") << "cmdMenu5"
                              << "Exit"
                              << "Exit to windows";
        QTest::newRow("Dbase III") << "optDBFVersion0"
                                   << "Dbase III"
                                   << "";
        QTest::newRow("Dbase IV") << "optDBFVersion1"
                                  << "Dbase IV"
                                  << "";
        QTest::newRow("Dbase V") << "optDBFVersion2"
                                 << "Dbase V"
                                 << "";
        QTest::newRow("Excel") << "optDBFVersion3"
                               << "Excel"
                               << "";
        QTest::newRow("Read only") << "chkSoloLectura"
                                   << "Read only"
                                   << "";
        QTest::newRow("Add") << "cmdRegistroAgregar"
                             << "Add"
                             << "Add a new record";
        QTest::newRow("Delete") << "cmdRegistroEliminar"
                                << "Delete"
                                << "Delete current record";
        QTest::newRow("Replace") << "cmdRegistroReemplazar"
                                 << "Replace"
                                 << "Replace values in the table";
    }

    void controlsCarryTheirCaptionsAndTooltips() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        auto* control = child<QAbstractButton>(name.toLatin1().constData());
        QCOMPARE(control->text(), caption);
        QCOMPARE(control->toolTip(), tooltip);
        if (name.startsWith("cmdMenu")) {
            QCOMPARE(static_cast<QToolButton*>(control)->toolButtonStyle(),
                     Qt::ToolButtonTextUnderIcon);
            QVERIFY(!control->icon().isNull());
        }
    }

    void controlsGridAndBarSitWhereDesigned() {
        const shell::TwipsScale scale(window());
        // The grid is placed by the layout rule as soon as the window is shown.
        QCOMPARE(testsupport::misplacedControls(window(), browser::frmPrincipal::designLayout(),
                                                {"dbgDbf"}),
                 QStringList());
        QCOMPARE(window().centralWidget()->size(), window().size());
        QCOMPARE(child<QGroupBox>("fraOpcioines")->title(), QString("Options:"));
        QCOMPARE(grid()->geometry(), scale.rect(60, 1500, 8130, 4155));
        auto* bar = child<QWidget>("dtcDbf");
        QCOMPARE(bar->geometry(), scale.rect(0, 5730, 8190, 375));
        QCOMPARE(bar->toolTip(), QString("Navigation bar"));
    }

    void resizeMovesOnlyTheGridAndSkipsANegativeSize() {
        const shell::TwipsScale scale(window());
        window().resize(scale.size(9000, 7000));
        QCOMPARE(grid()->geometry(), scale.rect(60, 1500, 9000 - 60, 7000 - 1950));
        QCOMPARE(child<QWidget>("dtcDbf")->geometry(), scale.rect(0, 7000 - 375, 9000, 375));
        QCOMPARE(menu(0)->geometry(), scale.rect(120, 120, 735, 735));

        const QRect before = grid()->geometry();
        window().resize(scale.size(9000, 1800));  // below the 1950 the grid does not get
        QCOMPARE(grid()->geometry(), before);
        QCOMPARE(child<QWidget>("dtcDbf")->geometry(), scale.rect(0, 1800 - 375, 9000, 375));
        window().resize(scale.size(40, 7000));  // narrower than the grid's left margin
        QCOMPARE(grid()->geometry(), before);
        window().resize(scale.size(8190, 6105));
        QCOMPARE(grid()->geometry(), scale.rect(60, 1500, 8130, 4155));
        QVERIFY(prompts().asked.empty());
    }

    void tabOrderAndFirstFocusFollowTheDesign() {
        const QStringList expected = {"cmdMenu0",
                                      "cmdMenu1",
                                      "cmdMenu2",
                                      "cmdMenu3",
                                      "cmdMenu4",
                                      "cmdMenu5",
                                      "optDBFVersion0",
                                      "optDBFVersion1",
                                      "optDBFVersion2",
                                      "optDBFVersion3",
                                      "chkSoloLectura",
                                      "dbgDbf",
                                      "cmdRegistroAgregar",
                                      "cmdRegistroEliminar",
                                      "cmdRegistroReemplazar"};
        QStringList chain;
        QWidget* widget = menu(0);
        do {
            if (expected.contains(widget->objectName())) chain << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != menu(0));
        QCOMPARE(chain, expected);

        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QCOMPARE(QApplication::focusWidget(), menu(0));
    }

    void formatOptionSetsOnlyTheDriver_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("connect");
        QTest::newRow("Dbase IV") << 1 << "Dbase IV;";
        QTest::newRow("Dbase V") << 2 << "Dbase V;";
        QTest::newRow("Excel") << 3 << "Excel 8.0;";
        QTest::newRow("Dbase III") << 0 << "Dbase III;";
    }

    void formatOptionSetsOnlyTheDriver() {
        QFETCH(int, option);
        QFETCH(QString, connect);
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        const std::string source = window().dataControl().RecordSource();
        if (option == 0) child<QButtonGroup>("optDBFVersion")->button(1)->click();
        child<QButtonGroup>("optDBFVersion")->button(option)->click();
        QCOMPARE(QString::fromStdString(window().dataControl().Connect()), connect);
        QCOMPARE(window().dataControl().RecordSource(), source);
        QCOMPARE(records().RecordCount(), 3L);
        QCOMPARE(barCaption(), QString("Record: 0/3"));
    }

    void openingATableFillsGridCaptionAndButtons() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        QVERIFY(messageTextsEmpty());
        QCOMPARE(barCaption(), QString("Record: 0/3"));
        QCOMPARE(recordButtons(), QString("ADR"));
        QCOMPARE(grid()->Caption(), folder() + "/PEOPLE.dbf");
        QCOMPARE(window().dataControl().RecordsetType(), 1);
        QCOMPARE(grid()->model()->columnCount(), 2);
        QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString(), QString("NAME"));
        QCOMPARE(grid()->model()->rowCount(), 4);  // three records and the new-record row
        QCOMPARE(grid()->model()->index(1, 0).data().toString(), QString("ABC"));
        QCOMPARE(grid()->currentIndex().row(), 0);
        QVERIFY(grid()->AllowAddNew() && grid()->AllowDelete() && grid()->AllowUpdate());
    }

    void openingAnEmptyTableEnablesOnlyAdd() {
        makePeople({});
        openThroughWindow("PEOPLE.dbf");
        QCOMPARE(barCaption(), QString("Record: -1/0"));
        QCOMPARE(recordButtons(), QString("A--"));
        QVERIFY(prompts().asked.empty());
    }

    void readOnlyBoxChangesGridAtOnceAndTheTableAtTheNextOpen() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        child<QCheckBox>("chkSoloLectura")->click();
        QCOMPARE(barCaption(), QString("Record: 0/3 (read only)"));
        QVERIFY(window().dataControl().ReadOnly());
        QVERIFY(!grid()->AllowAddNew() && !grid()->AllowDelete() && !grid()->AllowUpdate());
        QCOMPARE(grid()->model()->rowCount(), 3);
        QVERIFY(!(grid()->model()->flags(grid()->model()->index(0, 0)) & Qt::ItemIsEditable));
        QCOMPARE(recordButtons(), QString("ADR"));
        QVERIFY(records().Updatable());  // the set opened before the box was checked

        openThroughWindow("PEOPLE.dbf");
        QVERIFY(!records().Updatable());
        addButton()->click();
        QCOMPARE(prompts().messages().size(), 1u);
        QCOMPARE(records().RecordCount(), 3L);
        QCOMPARE(recordButtons(), QString("ADR"));
    }

    void readOnlyBoxWithNoTableKeepsTheCaptionAndReportsNothing() {
        child<QCheckBox>("chkSoloLectura")->click();
        QVERIFY(window().dataControl().ReadOnly());
        QVERIFY(!grid()->AllowAddNew() && !grid()->AllowDelete() && !grid()->AllowUpdate());
        QCOMPARE(barCaption(), QString(browser::kStartCaption));
        QVERIFY(prompts().asked.empty());
    }

    void closeEmptiesTheGridButKeepsItsCaption() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        menu(browser::frmPrincipal::kClose)->click();
        QCOMPARE(barCaption(), QString("Clic the Open button to open a dbf or xls file."));
        QCOMPARE(recordButtons(), QString("---"));
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(grid()->model()->columnCount(), 0);
        QCOMPARE(grid()->Caption(), folder() + "/PEOPLE.dbf");
        QVERIFY(window().dataControl().GetRecordset() == nullptr);
        QCOMPARE(window().dataControl().Connect(), std::string("dBASE III;"));

        menu(browser::frmPrincipal::kClose)->click();  // again, with nothing open
        QCOMPARE(recordButtons(), QString("---"));
        QVERIFY(prompts().asked.empty());
    }

    void cancellingTheOpenWindowReopensTheCurrentTable() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        records().MoveLast();
        QCOMPARE(barCaption(), QString("Record: 2/3"));
        openThroughWindow(QString(), true);
        QCOMPARE(barCaption(), QString("Record: 0/3"));
        QCOMPARE(m_services->modalShown, 2);

        menu(browser::frmPrincipal::kClose)->click();
        openThroughWindow(QString(), true);  // nothing open: nothing happens
        QVERIFY(window().dataControl().GetRecordset() == nullptr);
        QCOMPARE(recordButtons(), QString("---"));
    }

    void aTableTheEngineRefusesIsReportedOnceAndChangesNothing() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        std::filesystem::path bogus = m_temp->path() / "NOTDBF.dbf";
        std::ofstream(bogus) << "this is not a table";
        openThroughWindow("NOTDBF.dbf");
        QCOMPARE(prompts().messages().size(), 1u);
        const auto reports = prompts().messages();
        const auto& report = reports.front();
        QCOMPARE(report.title, std::string("Quillon FREE"));
        QVERIFY(report.icon == platform::MessageIcon::Exclamation);
        QVERIFY(!report.text.empty());
        // The table shown before stays, with its caption and buttons.
        QCOMPARE(grid()->Caption(), folder() + "/PEOPLE.dbf");
        QCOMPARE(records().RecordCount(), 3L);
        QCOMPARE(recordButtons(), QString("ADR"));
    }

    void aWorkbookOpensAsAReadOnlySnapshotOfSheet1() {
        m_temp->copyIn(testsupport::dataPath("xls/python-excel-xlrd/formula_test_names.xls"),
                       "book.xls");
        child<QButtonGroup>("optDBFVersion")->button(browser::frmPrincipal::kExcel)->click();
        openThroughWindow("book.xls");
        QVERIFY(prompts().asked.empty());
        QCOMPARE(window().dataControl().Connect(), std::string("Excel 8.0;"));
        QCOMPARE(window().dataControl().RecordsetType(), 2);
        QCOMPARE(barCaption(), QString("Record: 0/7"));
        QCOMPARE(grid()->Caption(), folder() + "/book.xls/Sheet1$");
        QCOMPARE(recordButtons(), QString("ADR"));
        QAbstractItemModel* model = grid()->model();
        QCOMPARE(model->rowCount(), 7);  // no new-record row on a snapshot
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Description"));
        QCOMPARE(model->index(5, 1).data().toString(), QString("C"));
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));

        addButton()->click();
        deleteButton()->click();
        QCOMPARE(prompts().messages().size(), 2u);
        QCOMPARE(records().RecordCount(), 7L);
        QCOMPARE(recordButtons(), QString("ADR"));
    }

    void aFileOfTheOtherKindIsRefusedAtTheOpen_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("says");
        QTest::newRow("workbook under a dBASE option")
            << 1 << "book.xls"
            << "/book.xls is an Excel workbook: choose the Excel option to open it";
        QTest::newRow("table under the workbook option")
            << 3 << "PEOPLE.dbf"
            << "/PEOPLE.dbf is a dBASE table: choose a dBASE option to open it";
        QTest::newRow("no file under the workbook option") << 3 << ""
                                                           << "";
    }

    void aFileOfTheOtherKindIsRefusedAtTheOpen() {
        QFETCH(int, option);
        QFETCH(QString, fileName);
        QFETCH(QString, says);
        makePeople(kThreePeople);
        m_temp->copyIn(testsupport::dataPath("xls/python-excel-xlrd/formula_test_names.xls"),
                       "book.xls");
        child<QButtonGroup>("optDBFVersion")->button(option)->click();
        openThroughWindow(fileName);
        QCOMPARE(prompts().messages().size(), 1u);
        QVERIFY(QString::fromStdString(prompts().messages()[0].text).endsWith(says));
        QVERIFY(window().dataControl().GetRecordset() == nullptr);
        QCOMPARE(recordButtons(), QString("---"));
        QCOMPARE(barCaption(), QString(browser::kStartCaption));
    }

    void aFileGivenAtStartOpensAsTheOpenCommandWould_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("writeProtected");
        QTest::addColumn<QString>("caption");  // the bar's caption afterwards
        QTest::addColumn<int>("option");       // the format option selected afterwards
        QTest::newRow("a table") << "PEOPLE.dbf" << false << "Record: 0/3" << 0;
        QTest::newRow("a write-protected table")
            << "PEOPLE.dbf" << true << "Record: 0/3 (read only)" << 0;
        QTest::newRow("a workbook") << "book.xls" << false << "Record: 0/7" << 3;
        // Nothing opens: the window stays as it was.
        QTest::newRow("a missing file") << "none.dbf" << false << browser::kStartCaption << 0;
        QTest::newRow("a missing workbook") << "none.xls" << true << browser::kStartCaption << 0;
    }

    void aFileGivenAtStartOpensAsTheOpenCommandWould() {
        QFETCH(QString, file);
        QFETCH(bool, writeProtected);
        QFETCH(QString, caption);
        QFETCH(int, option);
        makePeople(kThreePeople);
        m_temp->copyIn(testsupport::dataPath("xls/python-excel-xlrd/formula_test_names.xls"),
                       "book.xls");
        const std::filesystem::path path = m_temp->path() / file.toStdString();
        if (writeProtected && std::filesystem::exists(path)) {
            std::filesystem::permissions(
                path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
        }
        window().openAtStart(QString::fromStdString(path.string()));
        QCOMPARE(barCaption(), caption);
        QCOMPARE(child<QButtonGroup>("optDBFVersion")->checkedId(), option);
        const bool opened = caption.startsWith("Record");
        QCOMPARE(prompts().messages().size(), opened ? 0u : 1u);
        QCOMPARE(recordButtons(), QString(opened ? "ADR" : "---"));
        QCOMPARE(child<QCheckBox>("chkSoloLectura")->isChecked(), opened && writeProtected);
        if (opened) {
            QCOMPARE(grid()->Caption(),
                     QString::fromStdString(path.string()) + (option == 3 ? "/Sheet1$" : ""));
        } else {
            QCOMPARE(window().dataControl().RecordSource(), std::string());
            QCOMPARE(window().dataControl().Connect(), std::string("dBASE III;"));
        }
    }

    void engineWarningsAreShownOnceAfterTheOpen() {
        testsupport::makeTable(m_temp->path(), "NOTES", {{"TITLE", 'C', 8}, {"BODY", 'M', 10}},
                               {{"one", "first note"}});
        std::filesystem::remove(m_temp->path() / "NOTES.dbt");
        openThroughWindow("NOTES.dbf");
        QCOMPARE(prompts().messages().size(), 1u);
        QCOMPARE(prompts().messages().front().title, std::string("Quillon FREE"));
        QCOMPARE(records().RecordCount(), 1L);
        QCOMPARE(recordButtons(), QString("ADR"));
    }

    void addAppendsAnEmptyRecordAndMakesItCurrent() {
        const auto file = makePeople({{"only", "1"}});
        openThroughWindow("PEOPLE.dbf");
        deleteButton()->click();
        QCOMPARE(recordButtons(), QString("A--"));
        addButton()->click();
        QCOMPARE(recordButtons(), QString("ADR"));
        addButton()->click();
        QCOMPARE(records().RecordCount(), 2L);
        QCOMPARE(records().AbsolutePosition(), 1L);
        QCOMPARE(barCaption(), QString("Record: 1/2"));
        QCoreApplication::processEvents();
        QCOMPARE(grid()->currentIndex().row(), 1);
        QCOMPARE(testsupport::readTable(file),
                 std::vector<std::vector<std::string>>({{"", ""}, {"", ""}}));
        QVERIFY(prompts().asked.empty());
    }

    void deleteRemovesTheCurrentRecordWithoutMoving() {
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        records().MoveNext();
        deleteButton()->click();
        QCOMPARE(records().RecordCount(), 2L);
        QCOMPARE(records().AbsolutePosition(), -1L);
        QCOMPARE(barCaption(), QString("Record: 1/3"));  // no move, so no new caption
        QCoreApplication::processEvents();
        QVERIFY(!grid()->currentIndex().isValid());
        QCOMPARE(grid()->model()->rowCount(), 3);
        QCOMPARE(recordButtons(), QString("ADR"));

        deleteButton()->click();  // no current record: nothing more is deleted
        QCOMPARE(records().RecordCount(), 2L);
        QVERIFY(prompts().asked.empty());

        records().MoveFirst();
        deleteButton()->click();
        records().MoveFirst();
        deleteButton()->click();
        QCOMPARE(recordButtons(), QString("A--"));
        QVERIFY(testsupport::readTable(file).empty());
    }

    void replaceChangesExactTextOnlyAfterConfirmation() {
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        prompts().inputAnswers = {"NAME", "abc", "xyz"};
        replaceButton()->click();
        QCOMPARE(testsupport::readTable(file), std::vector<std::vector<std::string>>(
                                                   {{"xyz", "5"}, {"ABC", "41"}, {" abc", "7"}}));
        // The three questions and the confirmation, all titled "Replace records".
        QCOMPARE(prompts().asked.size(), 4u);
        QCOMPARE(prompts().asked[0].text, std::string("Enter the field name:"));
        QCOMPARE(prompts().asked[1].text, std::string("Enter the old value:"));
        QCOMPARE(prompts().asked[2].text, std::string("Enter the new value:"));
        const auto& confirm = prompts().asked[3];
        QCOMPARE(confirm.text, std::string("Are you sure ?"));
        QVERIFY(confirm.buttons == platform::MessageButtons::OkCancel);
        QVERIFY(confirm.icon == platform::MessageIcon::None);
        for (const auto& question : prompts().asked) {
            QCOMPARE(question.title, std::string("Replace records"));
        }
        QCOMPARE(records().AbsolutePosition(), -1L);
        QVERIFY(records().IsEOF());
        QCOMPARE(recordButtons(), QString("ADR"));
    }

    void replaceStopsQuietlyOnCancel_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("questions");
        QTest::newRow("cancel at the field name") << QStringList{""} << true << 1;
        QTest::newRow("cancel at the old value") << QStringList{"NAME", ""} << true << 2;
        QTest::newRow("cancel at the confirmation")
            << QStringList{"NAME", "abc", "xyz"} << false << 4;
    }

    void replaceStopsQuietlyOnCancel() {
        QFETCH(QStringList, answers);
        QFETCH(bool, confirm);
        QFETCH(int, questions);
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        for (const QString& answer : answers)
            prompts().inputAnswers.push_back(answer.toStdString());
        prompts().messageAnswers = {confirm ? MessageResult::Ok : MessageResult::Cancel};
        replaceButton()->click();
        QCOMPARE(static_cast<int>(prompts().asked.size()), questions);
        QCOMPARE(testsupport::readTable(file)[0][0], std::string("abc"));
        QCOMPARE(records().AbsolutePosition(), 0L);
    }

    void replaceWithAnEmptyNewValueBlanksTheMatches() {
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        prompts().inputAnswers = {"NAME", "ABC", ""};
        replaceButton()->click();
        QCOMPARE(testsupport::readTable(file)[1][0], std::string(""));
        QCOMPARE(prompts().messages().size(), 1u);  // the confirmation only
    }

    void replaceCancelledInItsProgressSaysHowManyItReplaced() {
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        prompts().inputAnswers = {"NAME", "abc", "xyz"};
        prompts().cancelAtAdvance = 2;
        replaceButton()->click();
        QCOMPARE(testsupport::readTable(file), std::vector<std::vector<std::string>>(
                                                   {{"xyz", "5"}, {"ABC", "41"}, {" abc", "7"}}));
        const auto boxes = prompts().messages();
        QCOMPARE(boxes.size(), 2u);  // the confirmation, then how far it got
        QCOMPARE(boxes[1].text, std::string("Replace cancelled: 1 record replaced."));
        QCOMPARE(boxes[1].title, std::string("Replace records"));
        QVERIFY(boxes[1].icon == platform::MessageIcon::None);
        QCOMPARE(prompts().progressReports[0].title, std::string("Replace records"));
        QCOMPARE(records().AbsolutePosition(), 2L);
        QCOMPARE(barCaption(), QString("Record: 2/3"));
    }

    void replaceFailuresAreReportedOnce_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("oldValue");
        QTest::addColumn<QString>("newValue");
        QTest::newRow("unknown field") << "NOPE"
                                       << "abc"
                                       << "x";
        QTest::newRow("value the field cannot hold") << "NAME"
                                                     << "abc"
                                                     << "far too long for ten";
    }

    void replaceFailuresAreReportedOnce() {
        QFETCH(QString, field);
        QFETCH(QString, oldValue);
        QFETCH(QString, newValue);
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        prompts().inputAnswers = {field.toStdString(), oldValue.toStdString(),
                                  newValue.toStdString()};
        replaceButton()->click();
        const auto boxes = prompts().messages();
        QCOMPARE(boxes.size(), 2u);  // the confirmation, then the report
        QCOMPARE(boxes[1].title, std::string("Quillon FREE"));
        QVERIFY(boxes[1].icon == platform::MessageIcon::Exclamation);
        QCOMPARE(testsupport::readTable(file)[0][0], std::string("abc"));
        QCOMPARE(recordButtons(), QString("ADR"));
    }

    void replaceStoppedByAFullDiskSaysHowFarItGot() {
        // The open window lists the table on disk; the data control opens its copy in memory,
        // whose memo file fills up at the third record replaced.
        makePeople(kThreePeople);
        testsupport::MemoryFileSystem files;
        const std::string path = (m_temp->path() / "PEOPLE.dbf").string();
        const std::string base = path.substr(0, path.size() - 4);
        testsupport::DbfBuilder table(0x83);
        table.field("NAME", 'C', 10).field("NOTE", 'M', 10);
        for (int i = 0; i < 4; ++i) table.record({"abc", "note"});
        testsupport::putTable(files, table, base);
        window().dataControl().SetFileSystem(&files);
        openThroughWindow("PEOPLE.dbf");
        files.failAt(base + ".dbt", testsupport::FileCall::Write, 5, ENOSPC);
        prompts().inputAnswers = {"NOTE", "note", "changed"};
        replaceButton()->click();
        const auto boxes = prompts().messages();
        QCOMPARE(boxes.size(), 2u);  // the confirmation, then the report
        QCOMPARE(boxes[1].text, "Replaced 2 of the matching records, then: Cannot write to " +
                                    base + ".dbt: No space left on device.");
        QVERIFY(boxes[1].icon == platform::MessageIcon::Exclamation);
        window().dataControl().SetRecordsetNothing();  // its files end with this test
    }

    void textFromTheFileIsShownWithItsControlCharactersWrittenOut() {
        m_temp->copyIn(testsupport::dataPath("damaged/control_chars.dbf"), "CTRL.dbf");
        openThroughWindow("CTRL.dbf");
        const std::string shown = "\\x1b]0;PWN\\x07\\x1b[H";
        QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString().toStdString(), shown);
        prompts().inputAnswers = {"\x1b]0;PWN\a\x1b[H", "Alice", std::string(17, 'x')};
        replaceButton()->click();
        const auto boxes = prompts().messages();
        QCOMPARE(boxes.size(), 2u);  // the confirmation, then the report
        QVERIFY(boxes[1].text.find("in field " + shown + ":") != std::string::npos);
        QVERIFY(boxes[1].text.find('\x1b') == std::string::npos);
    }

    void exportWithACancelledDialogDoesNothing() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        menu(browser::frmPrincipal::kExport)->click();
        QCOMPARE(prompts().asked.size(), 1u);
        QVERIFY(prompts().asked[0].kind == testsupport::ScriptedPrompts::Kind::SaveFile);
        QCOMPARE(prompts().asked[0].text,
                 std::string("Microsoft Excel files (*.xls)|*.xls|Excel workbook (*.xlsx)|*.xlsx|"
                             "CSV, UTF-8 (*.csv)|*.csv"));
        QCOMPARE(records().AbsolutePosition(), 0L);
        QVERIFY(!std::filesystem::exists(m_temp->path() / "out.xls"));
    }

    void exportWritesTheFileAndReportsSuccess_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");  // the file's first bytes
        const QByteArray xls("\xD0\xCF\x11\xE0", 4);
        QTest::newRow("xls") << "out" << 0 << "out.xls" << xls;
        QTest::newRow("xlsx") << "out" << 1 << "out.xlsx" << QByteArray("PK");
        QTest::newRow("csv") << "out" << 2 << "out.csv" << QByteArray("NAME,AGE\r\nabc,5");
        QTest::newRow("a typed extension wins")
            << "out.XLSX" << 0 << "out.XLSX" << QByteArray("PK");
        QTest::newRow("another extension is kept") << "out.2024" << 1 << "out.2024" << xls;
    }

    void exportWritesTheFileAndReportsSuccess() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        const std::filesystem::path target = m_temp->path() / written.toStdString();
        prompts().saveAnswers = {platform::SavedFileName{
            (m_temp->path() / typed.toStdString()).string(), static_cast<std::size_t>(filter)}};
        menu(browser::frmPrincipal::kExport)->click();
        QFile file(QString::fromStdString(target.string()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(start.size()), start);
        const auto boxes = prompts().messages();
        QCOMPARE(boxes.size(), 1u);
        QCOMPARE(boxes[0].text, std::string("Success export to excel"));
        QCOMPARE(boxes[0].title, std::string("Sorvela"));
        QCOMPARE(prompts().progressReports.size(), std::size_t{1});
        QVERIFY(prompts().progressReports[0].closed);
        if (written.endsWith(".csv")) return;  // read without moving the set
        QVERIFY(records().IsEOF());
        QCOMPARE(barCaption(), QString("Record: -1/3"));
    }

    void exportCancelledInItsProgressLeavesNoFileAndSaysNothing() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        prompts().cancelAtAdvance = 1;
        for (const char* name : {"out.xls", "out.xlsx", "out.csv"}) {
            prompts().saveAnswers = {platform::SavedFileName{(m_temp->path() / name).string()}};
            menu(browser::frmPrincipal::kExport)->click();
        }
        QCOMPARE(prompts().messages().size(), 0u);
        QCOMPARE(prompts().progressReports.size(), std::size_t{3});
        QCOMPARE(std::distance(std::filesystem::directory_iterator(m_temp->path()), {}), 1L);
    }

    void exportWithNoTableOpenIsReportedOnce() {
        prompts().saveAnswers = {platform::SavedFileName{(m_temp->path() / "none.xls").string()}};
        menu(browser::frmPrincipal::kExport)->click();
        const auto boxes = prompts().messages();
        QCOMPARE(boxes.size(), 1u);
        QCOMPARE(boxes[0].title, std::string("Quillon FREE"));
        QVERIFY(boxes[0].icon == platform::MessageIcon::Exclamation);
        QVERIFY(!std::filesystem::exists(m_temp->path() / "none.xls"));
    }

    void newAndAboutShowTheirWindowsModallyOverTheMainWindow_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("windowClass");
        QTest::newRow("New") << int(browser::frmPrincipal::kNew) << "tablecreate::frmNuevaTabla";
        QTest::newRow("About") << int(browser::frmPrincipal::kAbout) << "shell::frmAbout";
    }

    void newAndAboutShowTheirWindowsModallyOverTheMainWindow() {
        QFETCH(int, command);
        QFETCH(QString, windowClass);
        QString shown;
        QWidget* parent = nullptr;
        m_services->workModal = [&](QDialog& dialog) {
            shown = dialog.metaObject()->className();
            parent = dialog.parentWidget();
        };
        menu(command)->click();
        menu(command)->click();
        QCOMPARE(shown, windowClass);
        QCOMPARE(parent, &window());
        QCOMPARE(m_services->modalShown, 2);
        QVERIFY(window().dataControl().GetRecordset() == nullptr);
        QVERIFY(prompts().asked.empty());
    }

    void exitEndsTheApplicationAtOnce() {
        int ends = 0;
        window().setEndApplication([&] { ++ends; });
        menu(browser::frmPrincipal::kExit)->click();
        QCOMPARE(ends, 1);
        QVERIFY(prompts().asked.empty());
    }

    void navigationBarStopsAtTheEnds() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        auto* bar = child<QWidget>("dtcDbf");
        auto press = [&](const char* name) {
            bar->findChild<QAbstractButton*>(name)->click();
            return barCaption();
        };
        QCOMPARE(press("previous"), QString("Record: 0/3"));
        QCOMPARE(press("next"), QString("Record: 1/3"));
        QCOMPARE(press("last"), QString("Record: 2/3"));
        QCOMPARE(press("next"), QString("Record: 2/3"));
        QVERIFY(!records().IsEOF());
        QCOMPARE(press("first"), QString("Record: 0/3"));
        QCoreApplication::processEvents();
        QCOMPARE(grid()->currentIndex().row(), 0);
        QCOMPARE(child<QLabel>("caption")->text(), QString("Record: 0/3"));
    }

    void movingInTheGridMovesTheRecordSet() {
        makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        grid()->setCurrentIndex(grid()->model()->index(2, 1));
        QCOMPARE(records().AbsolutePosition(), 2L);
        QCOMPARE(barCaption(), QString("Record: 2/3"));
    }

    void gridEditsGoToTheTableAndARefusedOneIsReported() {
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        QAbstractItemModel* model = grid()->model();
        QVERIFY(model->setData(model->index(1, 0), "Bea"));
        QCOMPARE(testsupport::readTable(file)[1][0], std::string("Bea"));
        QCOMPARE(records().AbsolutePosition(), 1L);

        QVERIFY(!model->setData(model->index(2, 1), "not a number"));
        QCOMPARE(prompts().messages().size(), 1u);
        QCOMPARE(model->index(2, 1).data().toString(), QString("7"));
        QCOMPARE(testsupport::readTable(file)[2][1], std::string("7"));

        // The empty last row takes a new record.
        QVERIFY(model->setData(model->index(3, 0), "new"));
        QCOMPARE(records().RecordCount(), 4L);
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(testsupport::readTable(file)[3][0], std::string("new"));
        QCOMPARE(barCaption(), QString("Record: 3/4"));
    }

    void memoFieldsAreEditedInAMultiLineEditor() {
        const auto file =
            testsupport::makeTable(m_temp->path(), "NOTES", {{"TITLE", 'C', 8}, {"BODY", 'M', 10}},
                                   {{"one", "first note"}});
        openThroughWindow("NOTES.dbf");
        const QModelIndex body = grid()->model()->index(0, 1);
        grid()->setCurrentIndex(body);
        grid()->edit(body);
        auto* editor = grid()->findChild<QPlainTextEdit*>("memoEditor");
        QVERIFY(editor != nullptr);
        QCOMPARE(editor->toPlainText(), QString("first note"));
        QVERIFY(editor->height() > grid()->rowHeight(0));
        editor->setPlainText("line one\nline two");
        QTest::keyClick(editor, Qt::Key_Tab);
        QCOMPARE(testsupport::readTable(file)[0][1], std::string("line one\nline two"));
        QVERIFY(prompts().asked.empty());
    }

    void deleteKeyDeletesTheSelectedRows() {
        const auto file = makePeople(kThreePeople);
        openThroughWindow("PEOPLE.dbf");
        grid()->selectRow(0);
        grid()->selectionModel()->select(grid()->model()->index(2, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(testsupport::readTable(file),
                 std::vector<std::vector<std::string>>({{"ABC", "41"}}));
        QCOMPARE(grid()->model()->rowCount(), 2);
        QVERIFY(prompts().asked.empty());

        child<QCheckBox>("chkSoloLectura")->click();
        grid()->selectRow(0);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(testsupport::readTable(file).size(), 1u);
    }

private:
    bool messageTextsEmpty() { return prompts().messages().empty(); }
};

QTEST_MAIN(tst_frmPrincipal)
#include "frmPrincipalTest.moc"
