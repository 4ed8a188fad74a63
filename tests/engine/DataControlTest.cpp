// The data control: settings read only at Refresh, driver texts, file lookup, failed refreshes,
// and the events views hear.
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

using engine::DataControl;
using engine::EngineError;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

struct EventLog : engine::DataControlListener {
    std::vector<std::string> events;
    void recordsetReplaced() override { events.push_back("replaced"); }
    void captionChanged() override { events.push_back("caption"); }
    void recordPositionChanged() override { events.push_back("position"); }
    void recordAppended(long p) override { events.push_back("appended " + std::to_string(p)); }
    void recordRemoved(long p) override { events.push_back("removed " + std::to_string(p)); }
    void recordChanged(long p) override { events.push_back("changed " + std::to_string(p)); }
};

void makeTable(const TempDir& dir, const std::string& name, const std::string& value) {
    DbfBuilder(0x03)
        .field("NAME", 'C', 10)
        .record({value})
        .record({"second"})
        .write(dir.path(), name);
}

std::string failure(DataControl& control) {
    try {
        control.Refresh();
    } catch (const EngineError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(DataControlTest, StartsWithItsInitialSettingsAndNoSet) {
    DataControl control;
    EXPECT_EQ(control.Connect(), "dBASE III;");
    EXPECT_EQ(control.RecordsetType(), DataControl::kTable);
    EXPECT_FALSE(control.ReadOnly());
    EXPECT_EQ(control.GetRecordset(), nullptr);
    EventLog log;
    control.addListener(&log);
    control.Refresh();  // empty RecordSource: nothing opens, nothing fails, nothing is heard
    EXPECT_EQ(control.GetRecordset(), nullptr);
    EXPECT_TRUE(log.events.empty());
}

TEST(DataControlTest, RefreshOpensTheTableTheSettingsNameAndTellsTheViews) {
    TempDir dir;
    makeTable(dir, "People", "Ann");
    DataControl control;
    EventLog log;
    control.addListener(&log);
    control.SetConnect("DBASE iv;");
    control.SetDatabaseName(dir.path().string());
    control.SetRecordSource("PEOPLE");  // no extension, other case
    control.SetRecordsetType(DataControl::kDynaset);
    control.Refresh();
    ASSERT_NE(control.GetRecordset(), nullptr);
    EXPECT_TRUE(control.GetRecordset()->Updatable());
    EXPECT_EQ(control.GetRecordset()->AbsolutePosition(), 0);
    EXPECT_EQ(log.events, (std::vector<std::string>{"replaced", "position"}));

    // The set's own events reach the views through the control.
    log.events.clear();
    engine::Recordset& set = *control.GetRecordset();
    set.MoveNext();
    set.Edit();
    set.Fields().Item(0).SetValue(engine::Value::text("x"));
    set.Update();
    set.AddNew();
    set.Update();
    set.Delete();
    control.SetCaption("Record: 1/2");
    EXPECT_EQ(log.events, (std::vector<std::string>{"position", "changed 1", "appended 2",
                                                    "removed 1", "caption"}));
    EXPECT_EQ(control.Caption(), "Record: 1/2");
}

TEST(DataControlTest, SettingsTakeEffectOnlyAtTheNextRefresh) {
    TempDir dir;
    makeTable(dir, "one", "first table");
    makeTable(dir, "two", "table two");
    DataControl control;
    control.SetDatabaseName(dir.path().string());
    control.SetRecordSource("one.dbf");
    control.Refresh();
    engine::Recordset* opened = control.GetRecordset();
    control.SetRecordSource("two.dbf");
    control.SetReadOnly(true);
    control.SetConnect("Excel 8.0;");
    EXPECT_EQ(control.GetRecordset(), opened);
    EXPECT_TRUE(opened->Updatable());
    control.SetConnect("dBASE V;");
    control.Refresh();
    EXPECT_FALSE(control.GetRecordset()->Updatable());
    EXPECT_EQ(control.GetRecordset()->Fields().Item(0).GetValue().asText(), "table two");
}

TEST(DataControlTest, AFailedRefreshLeavesThePreviousSetOpenAndCurrent) {
    TempDir dir;
    makeTable(dir, "good", "Ann");
    testsupport::writeFileBytes(
        dir / "workbook.xls",
        {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0, 0, 0, 0, 0,
         0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0});
    DataControl control;
    control.SetDatabaseName(dir.path().string());
    control.SetRecordSource("good.dbf");
    control.Refresh();
    engine::Recordset* opened = control.GetRecordset();
    opened->MoveNext();
    EventLog log;
    control.addListener(&log);

    struct Case {
        const char* connect;
        const char* source;
        int type;
        const char* fragment;
    };
    const Case cases[] = {
        {"", "good.dbf", 1, "connect text is empty"},
        {"Paradox 5.x;", "good.dbf", 1, "Unknown database driver \"Paradox 5.x\""},
        {"dBASE IV;HDR=NO", "good.dbf", 1, "options"},
        {"dBASE IV;", "missing.dbf", 1, "no such table file"},
        {"dBASE IV;", "workbook.xls", 1,
         "workbook.xls is an Excel workbook: choose the Excel option to open it"},
        {"dBASE IV;", "good.dbf", 7, "RecordsetType 7"},
    };
    for (const Case& c : cases) {
        control.SetConnect(c.connect);
        control.SetRecordSource(c.source);
        control.SetRecordsetType(c.type);
        std::string message = failure(control);
        EXPECT_NE(message.find(c.fragment), std::string::npos) << c.fragment << ": " << message;
        EXPECT_EQ(control.GetRecordset(), opened);
        EXPECT_EQ(opened->AbsolutePosition(), 1);
    }
    control.SetConnect("Excel 8.0;");
    control.SetRecordsetType(DataControl::kSnapshot);
    control.SetDatabaseName((dir / "good.dbf").string());
    EXPECT_EQ(failure(control),
              (dir / "good.dbf").string() + " is a dBASE table: choose a dBASE option to open it");
    EXPECT_EQ(control.GetRecordset(), opened);
    EXPECT_TRUE(log.events.empty());
}

TEST(DataControlTest, RecordsetTypesAndDriversOpenTheRightKindOfSet) {
    TempDir dir;
    makeTable(dir, "t", "Ann");
    DataControl control;
    control.SetDatabaseName(dir.path().string());
    control.SetRecordSource("t.dbf");
    for (const char* connect : {"dBASE III;", "Dbase IV;", "DBase V;", "dbase 5.0;"}) {
        for (int type : {0, 1, 2}) {
            control.SetConnect(connect);
            control.SetRecordsetType(type);
            control.Refresh();
            bool snapshot = type == DataControl::kSnapshot;
            EXPECT_EQ(control.GetRecordset()->kind() == engine::Recordset::Kind::Snapshot,
                      snapshot);
            EXPECT_EQ(control.GetRecordset()->Updatable(), !snapshot) << connect << " " << type;
        }
    }
}

TEST(DataControlTest, DroppingTheSetTellsTheViews) {
    TempDir dir;
    makeTable(dir, "t", "Ann");
    DataControl control;
    control.SetDatabaseName(dir.path().string());
    control.SetRecordSource("t");
    control.Refresh();
    EventLog log;
    control.addListener(&log);
    control.SetRecordsetNothing();
    EXPECT_EQ(control.GetRecordset(), nullptr);
    control.SetRecordSource("");
    control.Refresh();
    EXPECT_EQ(log.events, std::vector<std::string>{"replaced"});
}

TEST(DataControlTest, OpenWarningsAndTheEncodingOverride) {
    TempDir dir;
    DbfBuilder(0x03)
        .languageDriver(0)
        .field("T", 'C', 4)
        .rawRecord("\x8F")
        .endMark(false)
        .write(dir.path(), "t");
    DataControl control;
    control.SetDatabaseName(dir.path().string());
    control.SetRecordSource("t.dbf");
    control.Refresh();
    EXPECT_TRUE(enginetest::anyContains(control.OpenWarnings(), "end-of-file mark"));
    EXPECT_EQ(control.GetRecordset()->readValue(0, 0).asText(), "\xC2\x8F");
    control.SetEncoding("866");
    control.Refresh();
    EXPECT_EQ(control.GetRecordset()->readValue(0, 0).asText(), "\xD0\x9F");
}

// Only what changes what the user sees or may do is shown when a table opens; harmless details
// are listed with the rest.
TEST(DataControlTest, ImportantOpenWarningsLeaveOutHarmlessDetails) {
    struct Case {
        const char* name;
        DbfBuilder table;
        const char* fragment;
        bool important;
    };
    const Case cases[] = {
        {"no end mark", DbfBuilder(0x03).field("T", 'C', 4).record({"a"}).endMark(false),
         "end-of-file mark", false},
        {"an unusual field list mark", DbfBuilder(0x03).field("T", 'C', 4).terminator(0x0A),
         "unusual mark", false},
        {"slack in the records", DbfBuilder(0x03).field("T", 'C', 4).recordSlack(3),
         "longer than its fields need", false},
        {"records past the count",
         DbfBuilder(0x03).field("T", 'C', 4).record({"a"}).record({"b"}).declaredCount(1),
         "only the 1 counted are shown", true},
        {"a memo file missing", DbfBuilder(0x8B).field("M", 'M', 10).record({""}), "is missing",
         true},
        {"an unknown language driver", DbfBuilder(0x03).field("T", 'C', 4).languageDriver(0xEE),
         "names no known code page", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.table.write(dir.path(), "t");
        std::filesystem::remove(dir.path() / "t.dbt");
        DataControl control;
        control.SetDatabaseName(dir.path().string());
        control.SetRecordSource("t.dbf");
        control.Refresh();
        EXPECT_TRUE(enginetest::anyContains(control.OpenWarnings(), c.fragment));
        EXPECT_EQ(enginetest::anyContains(control.ImportantOpenWarnings(), c.fragment),
                  c.important);
    }
}
