// Tables the engine creates and changes read back the same in independent readers
// (python3-dbfread for every version, python3-dbf for dBASE III), and tables python3-dbf writes
// read correctly in the engine.
#include "engine/TableDefinition.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/JsonRows.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using engine::Value;
using testsupport::TempDir;

namespace {

void set(engine::Recordset& recordset, const char* field, const std::string& text) {
    recordset.Fields().Item(field).SetValue(Value::text(text));
}

// Creates Made.dbf in the folder and fills it through a record set: appends, edits, a memo
// rewritten, a record deleted.
fs::path makeTable(const TempDir& dir, const std::string& connect, bool undefinedByte) {
    auto database = engine::OpenDatabase(dir.path().string(), 512, false, connect);
    auto table = database->CreateTableDef("Made");
    table->Fields().Append(table->CreateField("NAME", engine::kTypeText, 20));
    table->Fields().Append(table->CreateField("QTY", engine::kTypeDouble, 0));
    table->Fields().Append(table->CreateField("COUNT", engine::kTypeInteger, 0));
    table->Fields().Append(table->CreateField("BORN", engine::kTypeDate, 8));
    table->Fields().Append(table->CreateField("OK", engine::kTypeBoolean, 1));
    table->Fields().Append(table->CreateField("NOTES", engine::kTypeMemo, 0));
    database->TableDefs().Append(table);
    fs::path path = dir / "Made.dbf";

    auto recordset = enginetest::openSet(path);
    auto append = [&](const std::vector<std::string>& values) {
        recordset->AddNew();
        const char* names[] = {"NAME", "QTY", "COUNT", "BORN", "OK", "NOTES"};
        for (std::size_t i = 0; i < values.size(); ++i) set(*recordset, names[i], values[i]);
        recordset->Update();
    };
    append({"Caf\xC3\xA9 M\xC3\xBCller", "12.5", "-7", "2024-02-29", "T",
            "Premi\xC3\xA8re ligne\r\nzweite Zeile \xE2\x82\xAC"});
    append({});
    append({"Zo\xC3\xAB", "0.0807", "32767", "1999-12-31", "F", std::string(1200, 'z')});
    append({"to delete", "1", "1", "2000-01-01", "T", "gone"});
    append({undefinedByte ? "byte \xC2\x81" : "last", "-0.5", "0", "", "", "short"});
    recordset->MoveFirst();
    recordset->Edit();
    set(*recordset, "QTY", "9999999999999.12345");
    recordset->Update();
    recordset->MoveNext();
    recordset->MoveNext();
    recordset->Edit();
    set(*recordset, "NOTES", "rewritten memo \xC3\x9F");
    recordset->Update();
    recordset->MoveNext();
    recordset->Delete();
    return path;
}

}  // namespace

TEST(IndependentReaderTest, TablesTheEngineWritesReadTheSameInDbfread) {
    for (const char* connect : {"DBase III;", "DBase IV;", "DBase V;"}) {
        TempDir dir;
        fs::path path = makeTable(dir, connect, true);
        EXPECT_EQ(enginetest::openSet(path)->RecordCount(), 4) << connect;
        EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithDbfread, path, {"cp1252"}), "")
            << connect;
    }
}

TEST(IndependentReaderTest, DbaseIIITablesTheEngineWritesReadTheSameInPythonDbf) {
    TempDir dir;
    fs::path path = makeTable(dir, "DBase III;", false);
    EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithPythonDbf, path), "");
}

TEST(IndependentReaderTest, TablesPythonDbfWritesReadCorrectlyAndTakeChanges) {
    TempDir dir;
    const char* write = R"PY(
import datetime, sys
import dbf
table = dbf.Table(sys.argv[1], 'name C(20); qty N(8,2); born D; ok L; notes M',
                  dbf_type='db3', codepage='cp1252')
table.open(dbf.READ_WRITE)
table.append(('Caf\u00e9', 12.5, datetime.date(2020, 2, 29), True, 'memo \u00fc text'))
table.append(('Bob', None, None, None, ''))
table.append(('Del', 1, None, False, 'x'))
with table[2] as record:
    dbf.delete(record)
table.close()
)PY";
    fs::path path = dir / "made.dbf";
    auto written = testsupport::runPython(write, {path.string()});
    ASSERT_EQ(written.exitStatus, 0) << written.err;

    auto recordset = enginetest::openSet(path);
    ASSERT_EQ(recordset->RecordCount(), 2);
    EXPECT_EQ(recordset->deletedCount(), 1);
    auto first = recordset->readRow(0);
    EXPECT_EQ(first[0].asText(), "Caf\xC3\xA9");
    EXPECT_EQ(first[1].exactNumberText(), "12.50");
    EXPECT_EQ(first[2].asDate(), (engine::DateTime{2020, 2, 29, 0}));
    EXPECT_TRUE(first[3].asBoolean());
    EXPECT_EQ(first[4].asText(), "memo \xC3\xBC text");
    auto second = recordset->readRow(1);
    EXPECT_EQ(second[0].asText(), "Bob");
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(second[static_cast<std::size_t>(i)].isNull()) << i;
    EXPECT_TRUE(recordset->warnings().empty());

    // The engine's changes to it read back in python3-dbf and dbfread.
    recordset->MoveLast();
    recordset->Edit();
    set(*recordset, "NOTES", "added by the engine \xE2\x82\xAC");
    set(*recordset, "QTY", "-1.25");
    recordset->Update();
    recordset->AddNew();
    set(*recordset, "NAME", "\xC3\x85sa");
    recordset->Update();
    EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithPythonDbf, path), "");
    EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithDbfread, path, {"cp1252"}), "");
}
