// The record-set rules the windows rely on: where a set opens, moves, Delete, pending edits,
// notifications, counts and positions over a table with deleted records.
#include "engine/EngineError.h"
#include "engine/RecordsetListener.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <functional>

using engine::EngineError;
using engine::Field;
using engine::Recordset;
using engine::Value;
using enginetest::openSet;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

struct CountingListener : engine::RecordsetListener {
    int moves = 0;
    std::vector<long> appended, removed, changed;
    void recordPositionChanged() override { ++moves; }
    void recordAppended(long position) override { appended.push_back(position); }
    void recordRemoved(long position) override { removed.push_back(position); }
    void recordChanged(long position) override { changed.push_back(position); }
};

// Five physical records, the second and fourth deleted: live A, C, E.
std::filesystem::path fiveWithTwoDeleted(const TempDir& dir) {
    return DbfBuilder(0x03)
        .field("NAME", 'C', 8)
        .field("QTY", 'N', 5)
        .record({"A", "1"})
        .record({"B", "2"}, true)
        .record({"C", "3"})
        .record({"D", "4"}, true)
        .record({"E", "5"})
        .write(dir.path(), "t");
}

std::string name(const Recordset& set) { return set.Fields().Item("NAME").GetValue().asText(); }

void expectFails(const std::function<void()>& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no failure, expected: " << message;
    } catch (const EngineError& error) {
        EXPECT_EQ(std::string(error.what()), message);
    }
}

}  // namespace

TEST(RecordsetTest, OpensOnItsFirstLiveRecordAndCountsOnlyLiveRecords) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    EXPECT_EQ(set->AbsolutePosition(), 0);
    EXPECT_FALSE(set->IsBOF());
    EXPECT_FALSE(set->IsEOF());
    EXPECT_EQ(set->RecordCount(), 3);
    EXPECT_EQ(set->deletedCount(), 2);
    EXPECT_EQ(name(*set), "A");
    EXPECT_EQ(set->readValue(1, 0).asText(), "C");
    EXPECT_EQ(set->readRow(2)[1].toString(), "5");
    EXPECT_THROW(set->readRow(3), EngineError);
    EXPECT_THROW(set->readValue(-1, 0), EngineError);
}

TEST(RecordsetTest, AnEmptySetIsAtBothEndsAndRefusesMoves) {
    TempDir dir;
    auto set = openSet(DbfBuilder(0x03).field("NAME", 'C', 8).write(dir.path(), "t"));
    EXPECT_TRUE(set->IsBOF());
    EXPECT_TRUE(set->IsEOF());
    EXPECT_EQ(set->AbsolutePosition(), -1);
    EXPECT_EQ(set->RecordCount(), 0);
    expectFails([&] { set->MoveFirst(); }, "No current record.");
    expectFails([&] { set->MoveNext(); }, "No current record.");
    expectFails([&] { set->MoveLast(0); }, "No current record.");
    expectFails([&] { set->MovePrevious(); }, "No current record.");
    expectFails([&] { set->Fields().Item(0).GetValue(); }, "No current record.");
    expectFails([&] { set->Edit(); }, "No current record.");
}

TEST(RecordsetTest, MovesWalkTheLiveRecordsAndStopAtBothEnds) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    CountingListener listener;
    set->setListener(&listener);
    set->MoveLast(0);
    EXPECT_EQ(name(*set), "E");
    EXPECT_EQ(set->AbsolutePosition(), 2);
    set->MoveNext();
    EXPECT_TRUE(set->IsEOF());
    EXPECT_FALSE(set->IsBOF());
    EXPECT_EQ(set->AbsolutePosition(), -1);
    expectFails([&] { set->MoveNext(); }, "No current record.");
    expectFails([&] { name(*set); }, "No current record.");
    set->MovePrevious();
    EXPECT_EQ(name(*set), "E");
    set->MoveFirst();
    set->MovePrevious();
    EXPECT_TRUE(set->IsBOF());
    expectFails([&] { set->MovePrevious(); }, "No current record.");
    set->MoveNext();
    EXPECT_EQ(name(*set), "A");
    // Every successful move was announced, including those onto BOF and EOF; failures were not.
    EXPECT_EQ(listener.moves, 6);
}

TEST(RecordsetTest, SettingThePositionMovesAndNotifiesButReadingRowsDoesNot) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    CountingListener listener;
    set->setListener(&listener);
    set->readRow(2);
    set->readValue(1, 1);
    EXPECT_EQ(listener.moves, 0);
    EXPECT_EQ(set->AbsolutePosition(), 0);
    set->SetAbsolutePosition(2);
    EXPECT_EQ(listener.moves, 1);
    EXPECT_EQ(name(*set), "E");
    EXPECT_THROW(set->SetAbsolutePosition(3), EngineError);
    EXPECT_THROW(set->SetAbsolutePosition(-1), EngineError);
    EXPECT_EQ(set->AbsolutePosition(), 2);
}

TEST(RecordsetTest, DeleteHidesTheRecordWithoutMovingOrNotifyingAMove) {
    TempDir dir;
    auto path = fiveWithTwoDeleted(dir);
    auto set = openSet(path);
    CountingListener listener;
    set->setListener(&listener);
    set->SetAbsolutePosition(1);  // C
    listener.moves = 0;
    set->Delete();
    EXPECT_EQ(set->RecordCount(), 2);
    EXPECT_EQ(set->AbsolutePosition(), -1);
    EXPECT_FALSE(set->IsBOF());
    EXPECT_FALSE(set->IsEOF());
    EXPECT_EQ(listener.moves, 0);
    EXPECT_EQ(listener.removed, std::vector<long>{1});
    expectFails([&] { name(*set); }, "Record is deleted.");
    expectFails([&] { set->Edit(); }, "Record is deleted.");
    expectFails([&] { set->Delete(); }, "Record is deleted.");
    // The next record is the one that followed the deleted one; the previous, the one before.
    set->MoveNext();
    EXPECT_EQ(name(*set), "E");
    EXPECT_EQ(set->AbsolutePosition(), 1);
    set->MoveFirst();
    set->Delete();
    set->MovePrevious();
    EXPECT_TRUE(set->IsBOF());
    // The file holds the flags: a new set sees one live record.
    auto reopened = openSet(path);
    EXPECT_EQ(reopened->RecordCount(), 1);
    EXPECT_EQ(name(*reopened), "E");
}

TEST(RecordsetTest, DeletingTheLastRecordsLeavesAnEmptyCount) {
    TempDir dir;
    auto set = openSet(DbfBuilder(0x03).field("NAME", 'C', 4).record({"x"}).write(dir.path(), "t"));
    set->Delete();
    EXPECT_EQ(set->RecordCount(), 0);
    EXPECT_FALSE(set->IsBOF());
    EXPECT_FALSE(set->IsEOF());
    expectFails([&] { set->MoveNext(); }, "No current record.");
}

TEST(RecordsetTest, DeleteAfterTheLastRecordGoesToEndOnMoveNext) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    set->MoveLast();
    set->Delete();
    set->MoveNext();
    EXPECT_TRUE(set->IsEOF());
    set->MovePrevious();
    EXPECT_EQ(name(*set), "C");
}

TEST(RecordsetTest, AddNewWithNothingAssignedAppendsABlankRecordAndKeepsTheCurrentOne) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    CountingListener listener;
    set->setListener(&listener);
    set->MoveNext();  // C
    set->AddNew();
    EXPECT_TRUE(set->Fields().Item(0).GetValue().isNull());
    set->Update(1, false);
    EXPECT_EQ(set->RecordCount(), 4);
    EXPECT_EQ(listener.appended, std::vector<long>{3});
    EXPECT_EQ(name(*set), "C");
    set->MoveLast(0);
    EXPECT_TRUE(set->Fields().Item("name").GetValue().isNull());
    EXPECT_TRUE(set->Fields().Item("QTY").GetValue().isNull());
}

TEST(RecordsetTest, EditStoresOnlyTheAssignedFields) {
    TempDir dir;
    auto path = fiveWithTwoDeleted(dir);
    auto set = openSet(path);
    CountingListener listener;
    set->setListener(&listener);
    set->MoveLast();
    set->Edit();
    set->Fields().Item("qty").SetValue(Value::text("42"));
    EXPECT_EQ(set->Fields().Item("QTY").GetValue().asNumber(), 42);  // the pending value
    set->Update();
    EXPECT_EQ(listener.changed, std::vector<long>{2});
    auto reopened = openSet(path);
    EXPECT_EQ(reopened->readRow(2)[1].toString(), "42");
    EXPECT_EQ(reopened->readRow(2)[0].asText(), "E");
}

TEST(RecordsetTest, AMoveDropsAPendingEditOrAddNew) {
    TempDir dir;
    auto path = fiveWithTwoDeleted(dir);
    auto set = openSet(path);
    set->Edit();
    set->Fields().Item("NAME").SetValue(Value::text("Changed"));
    set->MoveNext();
    EXPECT_EQ(set->editMode(), Recordset::EditMode::None);
    set->MovePrevious();
    EXPECT_EQ(name(*set), "A");
    set->AddNew();
    set->Fields().Item("NAME").SetValue(Value::text("New"));
    set->SetAbsolutePosition(2);
    EXPECT_EQ(set->RecordCount(), 3);
    expectFails([&] { set->Update(); }, "Update or CancelUpdate without AddNew or Edit.");
    EXPECT_EQ(openSet(path)->RecordCount(), 3);
}

TEST(RecordsetTest, CancelUpdateAndMisuseOfTheEditCycle) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    expectFails([&] { set->CancelUpdate(); }, "Update or CancelUpdate without AddNew or Edit.");
    EXPECT_THROW(set->Fields().Item(0).SetValue(Value::text("x")), EngineError);
    set->Edit();
    set->Fields().Item(0).SetValue(Value::text("x"));
    set->CancelUpdate();
    EXPECT_EQ(name(*set), "A");
}

TEST(RecordsetTest, ARefusedValueLeavesThePendingEditAsItWas) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    set->Edit();
    Field& field = set->Fields().Item("NAME");
    field.SetValue(Value::text("ok"));
    EXPECT_THROW(field.SetValue(Value::text("far too long")), EngineError);
    EXPECT_THROW(set->Fields().Item("QTY").SetValue(Value::text("12x")), EngineError);
    EXPECT_THROW(set->Fields().Item("QTY").SetValue(Value::text("123456")), EngineError);
    EXPECT_EQ(field.GetValue().asText(), "ok");
    set->Update();
    EXPECT_EQ(name(*set), "ok");
    // The same check without an edit: the prepared value comes back, nothing is written.
    EXPECT_EQ(set->prepareValue(1, Value::text(" 42")).asNumber(), 42);
    EXPECT_THROW(set->prepareValue(1, Value::text("12x")), EngineError);
    EXPECT_THROW(set->prepareValue(2, Value::text("1")), EngineError);
    EXPECT_EQ(set->editMode(), Recordset::EditMode::None);
}

TEST(RecordsetTest, ReadOnlySetsAndSnapshotsRefuseEveryChange) {
    TempDir dir;
    auto path = fiveWithTwoDeleted(dir);
    auto readOnly = openSet(path, true);
    auto snapshot = openSet(path, false, Recordset::Kind::Snapshot);
    for (Recordset* set : {readOnly.get(), snapshot.get()}) {
        EXPECT_FALSE(set->Updatable());
        EXPECT_THROW(set->AddNew(), EngineError);
        EXPECT_THROW(set->Edit(), EngineError);
        EXPECT_THROW(set->Delete(), EngineError);
        EXPECT_THROW(set->prepareValue(0, Value::text("x")), EngineError);
        EXPECT_EQ(set->RecordCount(), 3);
    }
    try {
        snapshot->Edit();
    } catch (const EngineError& error) {
        EXPECT_NE(std::string(error.what()).find("read-only"), std::string::npos);
    }
}

TEST(RecordsetTest, FieldsAreFoundByIndexOrByNameWithoutRegardToCase) {
    TempDir dir;
    auto set = openSet(fiveWithTwoDeleted(dir));
    EXPECT_EQ(set->Fields().Count(), 2);
    EXPECT_EQ(set->Fields().Item("Qty").Name(), "QTY");
    EXPECT_EQ(set->Fields()[1].index(), 1);
    expectFails([&] { set->Fields().Item("PRICE"); }, "The table has no field named PRICE.");
    EXPECT_THROW(set->Fields().Item(2), EngineError);
    // A Field read after a move gives the new record's value.
    const engine::Field& field = set->Fields().Item("NAME");
    set->MoveNext();
    EXPECT_EQ(field.GetValue().asText(), "C");
}

TEST(RecordsetTest, PositionsStayRightAcrossManyDeletedRecords) {
    TempDir dir;
    DbfBuilder builder(0x03);
    builder.field("N", 'N', 6);
    std::vector<int> live;
    for (int i = 0; i < 2000; ++i) {
        bool deleted = i % 3 == 0 || (i > 500 && i < 900);
        builder.record({std::to_string(i)}, deleted);
        if (!deleted) live.push_back(i);
    }
    auto set = openSet(builder.write(dir.path(), "t"));
    ASSERT_EQ(set->RecordCount(), static_cast<long>(live.size()));
    for (std::size_t p = 0; p < live.size(); p += 37) {
        EXPECT_EQ(set->readValue(static_cast<long>(p), 0).asNumber(), live[p]);
    }
    EXPECT_EQ(set->readValue(static_cast<long>(live.size()) - 1, 0).asNumber(), live.back());
    // Deleting through the set keeps the map consistent.
    set->SetAbsolutePosition(100);
    set->Delete();
    EXPECT_EQ(set->readValue(100, 0).asNumber(), live[101]);
    EXPECT_EQ(set->readValue(99, 0).asNumber(), live[99]);
}

TEST(RecordsetTest, DeletedRecordsAreReadByNumberAndRecalledIntoTheirPlace) {
    TempDir dir;
    const auto path = fiveWithTwoDeleted(dir);
    auto set = openSet(path);
    struct : CountingListener {
        std::vector<long> recalled;
        void recordRecalled(long position) override { recalled.push_back(position); }
    } listener;
    set->setListener(&listener);
    EXPECT_EQ(set->deletedRecordNumbers(), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(set->recordNumber(2), 4u);
    EXPECT_EQ(set->livePositionsBefore(3), 2);
    std::vector<Value> row;
    set->readDeletedRowInto(3, row);
    EXPECT_EQ(row[0].asText(), "D");
    EXPECT_EQ(set->readDeletedValue(1, 1).toString(), "2");
    expectFails([&] { set->readDeletedRowInto(2, row); }, "Record 3 is not deleted.");
    expectFails([&] { set->Recall(0); }, "Record 1 is not deleted.");

    // Standing on C (position 1), B is recalled: it comes before C and becomes current.
    set->SetAbsolutePosition(1);
    EXPECT_EQ(set->Recall(1), 1);
    EXPECT_EQ(listener.recalled, (std::vector<long>{1}));
    EXPECT_EQ(set->RecordCount(), 4);
    EXPECT_EQ(set->deletedCount(), 1);
    EXPECT_EQ(name(*set), "B");
    EXPECT_EQ(set->readValue(2, 0).asText(), "C");
    // A record deleted by the set is read and recalled as those found at open.
    set->MoveFirst();
    set->Delete();
    EXPECT_EQ(set->deletedRecordNumbers(), (std::vector<std::uint32_t>{0, 3}));
    EXPECT_EQ(set->Recall(0), 0);
    EXPECT_EQ(name(*set), "A");
    set->setListener(nullptr);
    set.reset();
    auto reread = openSet(path, true);
    EXPECT_EQ(reread->RecordCount(), 4);
    EXPECT_EQ(reread->deletedRecordNumbers(), (std::vector<std::uint32_t>{3}));
    expectFails([&] { reread->Recall(3); },
                "Cannot update: the record set is read-only (it was opened read-only).");
}
