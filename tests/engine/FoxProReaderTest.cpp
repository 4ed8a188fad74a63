// FoxPro and Visual FoxPro tables python3-dbf writes read the same in the engine, and after the
// engine's edits, appends, deletes, Replace and memo changes python3-dbf, python3-dbfread and
// pgdbf read exactly the values expected, while the records not touched keep every byte.
// (python3-dbf numbers null bits by field position, so its tables put nullable fields first, and
// it writes only C N D L M Y B I T.)
#include "engine/Replace.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/JsonRows.h"
#include "tests/engine/PgdbfRows.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using engine::Value;
using testsupport::TempDir;

namespace {

// argv: table path, kind ("vfp" or "fp"). Three records: one the engine changes, one it leaves
// alone and one it deletes.
const char* kWriteWithPythonDbf = R"PY(
import datetime, decimal, sys
import dbf
path, kind = sys.argv[1:3]
if kind == 'vfp':
    spec = ('nick C(10) null; cnt I null; name C(20); qty N(8,2); born D; ok L; notes M; '
            'price Y; ratio B; num I; stamp T')
    rows = [('Al', 5, 'Caf\u00e9', 12.5, datetime.date(2020, 2, 29), True, 'memo \u00fc',
             decimal.Decimal('1234.5678'), 2.5, -7, datetime.datetime(2021, 3, 4, 5, 6, 7)),
            (dbf.Null, dbf.Null, 'Bob', None, None, False, 'kept',
             decimal.Decimal('-1.0001'), -0.125, 0, datetime.datetime(1999, 12, 31, 23, 59, 59)),
            ('Del', 1, 'Bob', 1, None, None, '', decimal.Decimal('0'), 0, 1, None)]
else:
    spec = 'name C(20); qty N(8,2); born D; ok L; notes M'
    rows = [('Caf\u00e9', 12.5, datetime.date(2020, 2, 29), True, 'memo \u00fc'),
            ('Bob', None, None, False, 'kept'),
            ('Del', 1, None, None, '')]
table = dbf.Table(path, spec, dbf_type=kind, codepage='cp1252')
table.open(dbf.READ_WRITE)
for row in rows:
    table.append(row)
table.close()
)PY";

void set(engine::Recordset& recordset, const char* field, const std::string& text) {
    recordset.Fields().Item(field).SetValue(Value::text(text));
}

std::string recordBytes(const fs::path& table, std::uint32_t record) {
    auto source = enginetest::openTable(table, false);
    const auto& header = source->header();
    testsupport::Bytes bytes = testsupport::readFileBytes(table);
    const std::size_t start = header.headerLength + record * header.recordLength;
    return std::string(bytes.begin() + static_cast<long>(start),
                       bytes.begin() + static_cast<long>(start + header.recordLength));
}

}  // namespace

TEST(FoxProReaderTest, TablesPythonDbfWritesReadTheSameAndTakeTheEnginesChanges) {
    for (const std::string kind : {"vfp", "fp"}) {
        SCOPED_TRACE(kind);
        TempDir dir;
        const fs::path path = dir / "made.dbf";
        auto written = testsupport::runPython(kWriteWithPythonDbf, {path.string(), kind});
        ASSERT_EQ(written.exitStatus, 0) << written.err;
        EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithPythonDbf, path), "");
        {
            auto table = enginetest::openTable(path);
            EXPECT_EQ(table->header().version, kind == "vfp" ? 0x30 : 0xF5);
            EXPECT_TRUE(table->isWritable()) << table->readOnlyReason();
        }
        const std::string untouched = recordBytes(path, 1);

        auto recordset = enginetest::openSet(path);
        recordset->MoveFirst();
        recordset->Edit();
        set(*recordset, "NAME", "Zo\xC3\xAB");
        set(*recordset, "QTY", "-0.5");
        set(*recordset, "NOTES", "changed memo \xC3\x9F\r\nline two");
        if (kind == "vfp") {
            set(*recordset, "NICK", "");  // a nullable field: null
            set(*recordset, "PRICE", "-922337203685477.5807");
            set(*recordset, "RATIO", "0.25");
            set(*recordset, "STAMP", "2024-02-29 23:59:59");
        }
        recordset->Update();
        recordset->AddNew();
        set(*recordset, "NAME", "Bob");
        set(*recordset, "BORN", "1999-12-31");
        set(*recordset, "OK", "T");
        set(*recordset, "NOTES", "appended");
        if (kind == "vfp") {
            set(*recordset, "CNT", "2147483647");
            set(*recordset, "NUM", "-2147483647");
        }
        recordset->Update();
        recordset->MoveFirst();
        recordset->MoveNext();
        recordset->MoveNext();
        recordset->Delete();
        // Bob in the record left alone and in the appended one becomes Rob.
        EXPECT_EQ(engine::ReplaceValues(*recordset, "NAME", "Bob", Value::text("Rob")).replaced, 2);
        recordset.reset();

        EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithPythonDbf, path), "");
        EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithDbfread, path, {"cp1252"}), "");
        if (kind == "vfp") {
            EXPECT_EQ(enginetest::pgdbfDifferences(path, *enginetest::openTable(path, false)), "");
        }
        // Replace rewrote the name alone in the record left alone.
        std::string expected = untouched;
        const std::size_t nameAt = kind == "vfp" ? 1 + 10 + 4 : 1;
        expected.replace(nameAt, 3, "Rob");
        EXPECT_EQ(recordBytes(path, 1), expected);
        auto reread = enginetest::openTable(path, false);
        std::vector<Value> row;
        reread->readRecord(0, row);
        EXPECT_EQ(row[kind == "vfp" ? 6 : 4].asText(), "changed memo \xC3\x9F\r\nline two");
        if (kind == "vfp") {
            EXPECT_TRUE(row[0].isNull());
            EXPECT_EQ(row[7].toString(), "-922337203685477.5807");
            EXPECT_EQ(row[10].toString(), "2024-02-29 23:59:59");
        }
    }
}

TEST(FoxProReaderTest, FoxPro2TablesTheEngineChangesReadTheSameInPgdbfAndDbfread) {
    // A FoxPro 2 header as FoxPro writes it (no backlink), which pgdbf reads.
    TempDir dir;
    testsupport::FoxBuilder builder(0xF5);
    builder.field("NAME", 'C', 10).field("QTY", 'N', 8, 2).field("NOTES", 'M', 10);
    std::string memo = builder.memo("first memo", 10);
    builder.record({"Ann", "    1.50", memo}).record({"Bob", "", ""});
    const fs::path path = builder.write(dir.path(), "fox");
    const std::string untouched = recordBytes(path, 1);
    auto recordset = enginetest::openSet(path);
    recordset->MoveFirst();
    recordset->Edit();
    set(*recordset, "NOTES", "second memo");
    set(*recordset, "QTY", "12.25");
    recordset->Update();
    recordset->AddNew();
    set(*recordset, "NAME", "Cy");
    set(*recordset, "NOTES", "new");
    recordset->Update();
    recordset.reset();
    EXPECT_EQ(recordBytes(path, 1), untouched);
    EXPECT_EQ(enginetest::compareWith(enginetest::kCompareWithDbfread, path, {"cp1252"}), "");
    EXPECT_EQ(enginetest::pgdbfDifferences(path, *enginetest::openTable(path, false)), "");
    auto reread = enginetest::openTable(path, false);
    EXPECT_EQ(reread->readField(0, 2).asText(), "second memo");
    EXPECT_EQ(reread->readField(2, 2).asText(), "new");
}
