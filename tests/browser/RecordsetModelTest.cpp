// The grid's model under Qt's model checker, over real tables, through the changes the grid and
// the record buttons make.
#include "browser/RecordsetModel.h"
#include "browser/ValueVariant.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "tests/support/TableFiles.h"
#include "tests/support/TestPaths.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using browser::RecordsetModel;

class tst_RecordsetModel : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TempDir> m_temp;
    std::unique_ptr<engine::DataControl> m_control;
    std::unique_ptr<RecordsetModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    void open(const std::string& file, bool readOnly = false) {
        m_control->SetDatabaseName(m_temp->path().string());
        m_control->SetRecordSource(file);
        m_control->SetRecordsetType(engine::DataControl::kDynaset);
        m_control->SetReadOnly(readOnly);
        m_control->Refresh();
    }
    engine::Recordset& records() { return *m_control->GetRecordset(); }

private slots:
    void init() {
        m_temp = std::make_unique<testsupport::TempDir>();
        testsupport::makeTable(m_temp->path(), "ITEMS",
                               {{"NAME", 'C', 12}, {"PRICE", 'N', 10, 2}, {"NOTE", 'M', 10}},
                               {{"pen", "1.5", "blue\nink"}, {"cup", "3", ""}, {"", "", ""}});
        m_control = std::make_unique<engine::DataControl>();
        m_model = std::make_unique<RecordsetModel>(*m_control);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup() {
        m_tester.reset();
        m_model.reset();
        m_control.reset();
        m_temp.reset();
    }

    void showsRecordsFieldsAndTheNewRecordRow() {
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_model->columnCount(), 0);
        open("ITEMS.dbf");
        QCOMPARE(m_model->columnCount(), 3);
        QCOMPARE(m_model->rowCount(), 4);
        QVERIFY(m_model->isNewRecordRow(3));
        QCOMPARE(m_model->headerData(1, Qt::Horizontal).toString(), QString("PRICE"));
        QCOMPARE(m_model->index(0, 0).data().toString(), QString("pen"));
        QCOMPARE(m_model->index(0, 2).data().toString(), QString("blue ink"));
        QCOMPARE(m_model->index(0, 2).data(Qt::EditRole).toString(), QString("blue\nink"));
        QCOMPARE(m_model->index(2, 0).data().toString(), QString());
        QCOMPARE(m_model->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        QCOMPARE(m_model->headerData(3, Qt::Vertical).toString(), QString("*"));

        m_model->setAllowAddNew(false);
        QCOMPARE(m_model->rowCount(), 3);
        m_model->setAllowAddNew(true);
        QCOMPARE(m_model->rowCount(), 4);
    }

    void permissionsAndReadOnlySetsDecideWhatIsEditable() {
        open("ITEMS.dbf");
        QVERIFY(m_model->flags(m_model->index(0, 0)) & Qt::ItemIsEditable);
        m_model->setAllowUpdate(false);
        QVERIFY(!(m_model->flags(m_model->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(m_model->flags(m_model->index(3, 0)) & Qt::ItemIsEditable);
        QVERIFY(!m_model->setData(m_model->index(0, 0), "no"));

        open("ITEMS.dbf", true);
        m_model->setAllowUpdate(true);
        QCOMPARE(m_model->rowCount(), 3);  // no new-record row on a read-only set
        QVERIFY(!(m_model->flags(m_model->index(0, 0)) & Qt::ItemIsEditable));
    }

    void followsAppendsDeletesAndEditsMadeThroughTheRecordSet() {
        open("ITEMS.dbf");
        QSignalSpy moves(m_model.get(), &RecordsetModel::currentRecordChanged);
        records().AddNew();
        records().Update();
        QCOMPARE(m_model->rowCount(), 5);
        QCOMPARE(m_model->recordCount(), 4);

        records().MoveFirst();
        records().Delete();
        QCOMPARE(m_model->rowCount(), 4);
        QCOMPARE(m_model->index(0, 0).data().toString(), QString("cup"));
        QCOMPARE(m_model->currentRecord(), -1);

        records().MoveFirst();
        records().Edit();
        records().Fields().Item("NAME").SetValue(engine::Value::text("mug"));
        records().Update();
        QCOMPARE(m_model->index(0, 0).data().toString(), QString("mug"));
        QVERIFY(moves.count() >= 2);

        m_control->SetRecordsetNothing();
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_model->columnCount(), 0);
    }

    void editsAndDeletionsFromTheGrid() {
        open("ITEMS.dbf");
        QSignalSpy failures(m_model.get(), &RecordsetModel::editFailed);
        QVERIFY(m_model->setData(m_model->index(1, 2), "line one\nline two"));
        QCOMPARE(records().AbsolutePosition(), 1L);
        QCOMPARE(m_model->index(1, 2).data(Qt::EditRole).toString(), QString("line one\nline two"));

        QVERIFY(!m_model->setData(m_model->index(0, 1), "cheap"));
        QCOMPARE(failures.count(), 1);
        QCOMPARE(m_model->index(0, 1).data().toString(), QString("1.5"));
        QCOMPARE(records().editMode(), engine::Recordset::EditMode::None);

        QVERIFY(m_model->setData(m_model->index(3, 0), "lamp"));
        QCOMPARE(m_model->recordCount(), 4);
        QCOMPARE(m_model->currentRecord(), 3);

        m_model->deleteRows({0, 3, 4});
        QCOMPARE(m_model->recordCount(), 2);
        QCOMPARE(m_model->index(0, 0).data().toString(), QString("cup"));
        QCOMPARE(failures.count(), 1);

        m_model->moveTo(1);
        QCOMPARE(records().AbsolutePosition(), 1L);
        m_model->markCurrentRow(1);
        QCOMPARE(m_model->headerData(1, Qt::Vertical).toString(), QString("\u25B6"));
    }

    void valuesConvertBothWays() {
        using engine::Value;
        QCOMPARE(browser::toVariant(Value()), QVariant());
        QCOMPARE(browser::toVariant(Value::text("é")), QVariant(QString("é")));
        QCOMPARE(browser::toVariant(Value::boolean(true)), QVariant(true));
        QCOMPARE(browser::toVariant(Value::date({2024, 2, 29, 0})), QVariant(QDate(2024, 2, 29)));
        QCOMPARE(browser::toVariant(Value::date({2024, 2, 29, 3'600'000'000})),
                 QVariant(QDateTime(QDate(2024, 2, 29), QTime(1, 0))));
        QVERIFY(browser::toValue(QVariant()).isNull());
        QVERIFY(browser::toValue(QString("")) == Value::text(""));
        QVERIFY(browser::toValue(42) == Value::number(42));
        QVERIFY(browser::toValue(QDate(1999, 12, 31)) == Value::date({1999, 12, 31, 0}));
        QCOMPARE(
            browser::displayText(Value::number(12345678901234567890.0, "12345678901234567890")),
            QString("12345678901234567890"));
        QCOMPARE(browser::displayText(Value::date({2001, 9, 9, 0})), QString("2001-09-09"));
    }
};

QTEST_MAIN(tst_RecordsetModel)
#include "RecordsetModelTest.moc"
