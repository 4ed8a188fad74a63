// The grid's view over a generated table, under Qt's model checker: sort orders of every kind of
// value, filters, the search for a text, and the record set's changes while the view is sorted.
#include "browser/RecordScan.h"
#include "browser/RecordsetModel.h"
#include "browser/ViewOrderModel.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "tests/support/TableFiles.h"
#include "tests/support/TestPaths.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using browser::ViewOrderModel;

namespace {

enum Column { kId, kName, kQty, kDay, kOk };

// Ids 0-7. Names share their first 16 bytes ("customer number "), one begins another, one is
// blank, one is not ASCII (CP1252 0xD6 is "Ö").
const std::vector<std::vector<std::string>> kRows = {
    {"0", "pear", "3", "20240105", "T"},
    {"1", "Apple", "-2.5", "", "F"},
    {"2", "", "10", "20231231", ""},
    {"3", "apple", "3", "20240105", "T"},
    {"4", "customer number 0002", "", "19991231", "F"},
    {"5", "customer number 0001", "0", "20240101", "T"},
    {"6", "customer number 00010 long", "-10", "", ""},
    {"7", "\xD6konom", "", "", ""},
};

}  // namespace

class tst_ViewOrderModel : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TempDir> m_temp;
    std::unique_ptr<engine::DataControl> m_control;
    std::unique_ptr<browser::RecordsetModel> m_model;
    std::unique_ptr<ViewOrderModel> m_view;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    engine::Recordset& records() { return *m_control->GetRecordset(); }

    // The ids of the rows shown, top to bottom ("*" for the new-record row).
    QString ids() {
        QStringList shown;
        for (int row = 0; row < m_view->rowCount(); ++row) {
            shown << (m_view->isNewRecordRow(row) ? "*"
                                                  : m_view->index(row, kId).data().toString());
        }
        return shown.join(' ');
    }

private slots:
    void init() {
        m_temp = std::make_unique<testsupport::TempDir>();
        const auto file = testsupport::makeTable(m_temp->path(), "ORDER",
                                                 {{"ID", 'N', 2},
                                                  {"NAME", 'C', 30},
                                                  {"QTY", 'N', 6, 1},
                                                  {"DAY", 'D', 8},
                                                  {"OK", 'L', 1}},
                                                 kRows);
        m_control = testsupport::openTable(file);
        m_model = std::make_unique<browser::RecordsetModel>(*m_control);
        m_view = std::make_unique<ViewOrderModel>();
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_view.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_view->setRecordsetModel(m_model.get());
    }

    void cleanup() {
        m_tester.reset();
        m_view.reset();
        m_model.reset();
        m_control.reset();
        m_temp.reset();
    }

    void sortsEachKindOfValue_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("expected");
        // Nulls first; text by its bytes, a text before the longer texts it begins.
        QTest::newRow("text") << int(kName) << false << "2 1 3 5 6 4 0 7 *";
        QTest::newRow("text, descending") << int(kName) << true << "7 0 4 6 5 3 1 2 *";
        // Equal values keep their record order both ways.
        QTest::newRow("numbers") << int(kQty) << false << "4 7 6 1 5 0 3 2 *";
        QTest::newRow("numbers, descending") << int(kQty) << true << "2 0 3 5 1 6 4 7 *";
        QTest::newRow("dates") << int(kDay) << false << "1 6 7 4 2 5 0 3 *";
        QTest::newRow("logicals") << int(kOk) << false << "2 6 7 1 4 0 3 5 *";
    }

    void sortsEachKindOfValue() {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(QString, expected);
        QSignalSpy changed(m_view.get(), &ViewOrderModel::viewChanged);
        m_view->sortByColumn(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        QCOMPARE(ids(), expected);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_view->sortColumn(), column);
        // The grid's row and the record set's position are told apart.
        QCOMPARE(m_view->sourceRow(0), expected.section(' ', 0, 0).toInt());
        QCOMPARE(m_view->viewRow(expected.section(' ', 1, 1).toInt()), 1);
    }

    void filtersKeepTheirOrderThroughSortsAndShowAll() {
        m_view->showOnly(kQty, engine::Value::number(3));
        QCOMPARE(ids(), QString("0 3 *"));
        QCOMPARE(m_view->shownRecordCount(), 2);
        m_view->sortByColumn(kName, Qt::DescendingOrder);
        QCOMPARE(ids(), QString("0 3 *"));
        m_view->sortByColumn(kName, Qt::AscendingOrder);
        QCOMPARE(ids(), QString("3 0 *"));
        m_view->showOnly(kName, engine::Value::text("apple"));
        QCOMPARE(ids(), QString("3 *"));
        QCOMPARE(m_view->viewRow(0), -1);
        m_view->showAll();
        QVERIFY(!m_view->isFiltered());
        QCOMPARE(ids(), QString("2 1 3 5 6 4 0 7 *"));
        m_view->showInRecordOrder();
        QCOMPARE(ids(), QString("0 1 2 3 4 5 6 7 *"));
        // A blank cell keeps the records where the field is blank.
        m_view->showOnly(kDay, engine::Value());
        QCOMPARE(ids(), QString("1 6 7 *"));
    }

    void followsEditsAppendsAndDeletionsWhileSorted() {
        m_view->sortByColumn(kQty, Qt::AscendingOrder);
        QSignalSpy changed(m_view.get(), &QAbstractItemModel::dataChanged);
        records().SetAbsolutePosition(2);
        records().Edit();
        records().Fields().Item(kName).SetValue(engine::Value::text("plum"));
        records().Update();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toModelIndex().row(), 7);  // id 2 sorts last
        QCOMPARE(m_view->index(7, kName).data().toString(), QString("plum"));

        // Typed into the new-record row: the record stays where it was typed, a new empty row
        // opens below it.
        QVERIFY(m_view->setData(m_view->index(8, kId), 8));
        QCOMPARE(ids(), QString("4 7 6 1 5 0 3 2 8 *"));
        records().AddNew();
        records().Fields().Item(kId).SetValue(engine::Value::number(9));
        records().Update();
        QCOMPARE(ids(), QString("4 7 6 1 5 0 3 2 8 9 *"));

        records().SetAbsolutePosition(1);
        records().Delete();
        QCOMPARE(ids(), QString("4 7 6 5 0 3 2 8 9 *"));
        // A record the filter leaves out goes without a row to remove.
        m_view->showOnly(kQty, engine::Value::number(3));
        QCOMPARE(ids(), QString("0 3 *"));
        records().SetAbsolutePosition(1);  // id 2
        records().Delete();
        QCOMPARE(ids(), QString("0 3 *"));
        QCOMPARE(m_view->sourceRow(1), 1);  // id 3 moved down from position 2
        m_control->Refresh();
        QCOMPARE(m_view->sortColumn(), -1);
        QCOMPARE(ids(), QString("0 3 4 5 6 7 8 9 *"));
    }

    void findsTheNextRecordHoldingAText_data() {
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("fromRow");
        QTest::addColumn<int>("found");
        QTest::newRow("case folded") << false << "apple" << int(kName) << false << -1 << 1;
        QTest::newRow("case kept") << false << "apple" << int(kName) << true << -1 << 3;
        QTest::newRow("after the current row") << false << "APPLE" << int(kName) << false << 1 << 3;
        QTest::newRow("wraps round") << false << "apple" << int(kName) << false << 3 << 1;
        QTest::newRow("the current row last") << false << "pear" << int(kName) << false << 0 << 0;
        QTest::newRow("not ASCII") << false << "öKO" << int(kName) << false << -1 << 7;
        QTest::newRow("any column") << false << "2024-01" << -1 << false << 0 << 3;
        QTest::newRow("a number as shown") << false << "-2.5" << int(kQty) << true << -1 << 1;
        QTest::newRow("nowhere") << false << "zzz" << -1 << false << -1 << -1;
        // Sorted by name: rows hold ids 2 1 3 5 6 4 0 7.
        QTest::newRow("sorted") << true << "apple" << int(kName) << false << 1 << 2;
        QTest::newRow("sorted, wraps round") << true << "customer" << -1 << false << 5 << 3;
    }

    void findsTheNextRecordHoldingAText() {
        QFETCH(bool, sorted);
        QFETCH(QString, text);
        QFETCH(int, column);
        QFETCH(bool, matchCase);
        QFETCH(int, fromRow);
        QFETCH(int, found);
        if (sorted) m_view->sortByColumn(kName, Qt::AscendingOrder);
        browser::TextMatcher matcher(text, matchCase);
        const std::optional<long> row =
            browser::findRow(records(), m_view->rowOrder(), fromRow, column, matcher);
        QCOMPARE(row.value_or(-1), long(found));
    }
};

QTEST_MAIN(tst_ViewOrderModel)
#include "ViewOrderModelTest.moc"
