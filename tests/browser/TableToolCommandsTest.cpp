// The grid's table tools as a user reaches them in the context menu: deleted records shown in
// their places and recalled, pack after its question, and CSV import through the file dialog.
#include "browser/DataGrid.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/PosixFile.h"
#include "tests/browser/MainWindowTest.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QAction>
#include <QButtonGroup>
#include <QFont>

#include <fstream>

class tst_TableToolCommands : public browsertest::MainWindowTest {
    Q_OBJECT

    std::filesystem::path m_file;

    QAbstractItemModel* view() { return grid()->model(); }
    QAction* action(const char* name) { return child<QAction>(name); }
    // Each record row as shown: its name, "~" after a struck-through one, "x" after a read-only
    // one, and the row header's mark.
    QString rows() {
        QStringList shown;
        for (int row = 0; row < view()->rowCount(); ++row) {
            const QModelIndex cell = view()->index(row, 0);
            if (cell.data().toString().isEmpty()) continue;  // the new-record row
            QString text = cell.data().toString();
            if (cell.data(Qt::FontRole).value<QFont>().strikeOut()) text += "~";
            if (!(view()->flags(cell) & Qt::ItemIsEditable)) text += "x";
            text += view()->headerData(row, Qt::Vertical).toString();
            shown << text;
        }
        return shown.join(" ");
    }
    QStringList messages() {
        QStringList texts;
        for (const auto& question : m_services->prompts.messages()) {
            texts << QString::fromStdString(question.title + ": " + question.text);
        }
        return texts;
    }

private slots:
    void init() {
        start();
        m_file = testsupport::DbfBuilder(0x03)
                     .field("NAME", 'C', 8)
                     .field("QTY", 'N', 4)
                     .record({"Ann", "1"})
                     .record({"Bob", "2"}, true)
                     .record({"Cy", "3"})
                     .record({"Dot", "4"}, true)
                     .write(m_temp->path(), "PEOPLE");
        openTable(m_file);
        QCoreApplication::processEvents();
        m_services->prompts.asked.clear();
    }

    void cleanup() { stop(); }

    void deletedRecordsShowInTheirPlacesAndAreRecalled() {
        QCOMPARE(rows(), QString("Ann\u25B6 Cy"));
        trigger("gridShowDeleted");
        QVERIFY(action("gridShowDeleted")->isChecked());
        QCOMPARE(rows(), QString("Ann\u25B6 Bob~x\u2715 Cy Dot~x\u2715"));
        QCOMPARE(records().RecordCount(), 2L);
        // The new-record row stays last and takes a record.
        QCOMPARE(view()->rowCount(), 5);
        QCOMPARE(view()->headerData(4, Qt::Vertical).toString(), QString("*"));
        grid()->setCurrentIndex(view()->index(3, 0));
        QCoreApplication::processEvents();
        trigger("gridRecall");
        QCOMPARE(rows(), QString("Ann Bob~x\u2715 Cy Dot\u25B6"));
        QCOMPARE(records().RecordCount(), 3L);
        QCOMPARE(records().AbsolutePosition(), 2L);
        // Recall on a live row says why it cannot.
        trigger("gridRecall");
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].endsWith("The current row is not a deleted record."));
        // A sort ends the display of deleted records; the entry follows.
        grid()->headerClicked(0);
        QCoreApplication::processEvents();
        QVERIFY(!action("gridShowDeleted")->isChecked());
        QCOMPARE(view()->rowCount(), 4);  // three records and the new-record row
    }

    void packAsksThenRemovesTheDeletedRecordsAndReopens() {
        m_services->prompts.messageAnswers = {platform::MessageResult::Cancel};
        trigger("gridPack");
        QCOMPARE(records().deletedCount(), 2L);
        {
            // Refused while another program writes a record: the table is open again, unchanged.
            engine::dbf::PosixFile holder(m_file.string(), engine::dbf::PosixFile::Mode::ReadWrite);
            holder.lockByte(engine::dbf::recordLockOffset(0), "busy");
            m_services->prompts.messageAnswers = {platform::MessageResult::Ok};
            trigger("gridPack");
        }
        QCOMPARE(messages().size(), 3);  // asked twice, then the refusal
        QVERIFY2(messages()[2].contains("another program has the table open for writing"),
                 qPrintable(messages()[2]));
        QCOMPARE(records().deletedCount(), 2L);
        m_services->prompts.asked.clear();
        m_services->prompts.messageAnswers = {platform::MessageResult::Ok};
        trigger("gridPack");
        QCOMPARE(records().deletedCount(), 0L);
        QCOMPARE(records().RecordCount(), 2L);
        QVERIFY(std::filesystem::exists(m_file.string() + ".bak"));
        QCOMPARE(messages().size(), 2);
        QCOMPARE(messages()[0],
                 QString("Pack table: Deleted records are removed for good; a backup is kept."));
        QVERIFY(messages()[1].startsWith("Pack table: 2 records kept, 2 records removed."));
        QCOMPARE(rows(), QString("Ann\u25B6 Cy"));
    }

    void importAppendsTheChosenFilesRowsOrNone() {
        const std::string csv = (m_temp->path() / "more.csv").string();
        std::ofstream(csv) << "name,qty\nEve,5\nFay,6\n";
        m_services->prompts.openAnswers = {std::nullopt, csv};
        trigger("gridShowDeleted");
        trigger("gridImportCsv");  // cancelled
        trigger("gridImportCsv");
        QCOMPARE(records().RecordCount(), 4L);
        QCOMPARE(rows(), QString("Ann\u25B6 Bob~x\u2715 Cy Dot~x\u2715 Eve Fay"));
        std::ofstream(csv) << "name,qty\nGus,lots\n";
        m_services->prompts.openAnswers = {csv};
        trigger("gridImportCsv");
        QCOMPARE(records().RecordCount(), 4L);
        QCOMPARE(messages().size(), 2);
        QCOMPARE(messages()[0], QString("Import CSV: Imported 2 rows."));
        QVERIFY2(messages()[1].contains("Nothing was imported. Line 2, field QTY: "),
                 qPrintable(messages()[1]));
    }
};

QTEST_MAIN(tst_TableToolCommands)
#include "TableToolCommandsTest.moc"
