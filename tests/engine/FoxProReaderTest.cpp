// FoxPro and Visual FoxPro tables python3-dbf writes read the same in the engine, and after the
// engine's edits, appends, deletes, Replace and memo changes python3-dbf, python3-dbfread and
// pgdbf read exactly the values expected, while the records not touched keep every byte.
// (python3-dbf numbers null bits by field position, so its tables put nullable fields first, and
// it writes only C N D L M Y B I T.)
#include "engine/Replace.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/JsonRows.h"
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

// argv: table path, JSON rows, code page, memo file. pgdbf writes PostgreSQL's COPY text: \N for
// null, t and f, date-times as Julian day and time, doubles with the field's decimals. It ignores
// null flags (a null reads as its blank) and reads an unknown logical as false.
const char* kCompareWithPgdbf = R"PY(
import datetime, decimal, json, subprocess, sys
from dbfread import DBF
path, rows_path, codec, memo = sys.argv[1:5]
with open(rows_path, encoding='utf-8') as f:
    ours = json.load(f)
decimals = [f.decimal_count for f in DBF(path, load=False, ignore_missing_memofile=True).fields
            if f.type != '0']
run = subprocess.run(['pgdbf', '-C', '-D', '-s', codec, '-m', memo, path], capture_output=True)
lines = run.stdout.decode('utf-8').split('\n')
start = next(i for i, line in enumerate(lines) if line.startswith('\\COPY')) + 1
end = lines.index('\\.', start)
def unescape(cell):
    out, i = '', 0
    while i < len(cell):
        if cell[i] == '\\' and i + 1 < len(cell):
            out += {'n': '\n', 'r': '\r', 't': '\t'}.get(cell[i + 1], cell[i + 1])
            i += 2
        else:
            out += cell[i]
            i += 1
    return out
theirs = [line.split('\t') for line in lines[start:end]]
def same(a, b, kind, nullable, places):
    if a is None:
        return b in ('\\N', '') or (kind == 'L' and b == 'f') or (
            nullable and kind in 'IYB' and b != '\\N' and decimal.Decimal(b) == 0)
    if b == '\\N':
        return False
    if isinstance(a, bool):
        return b == ('t' if a else 'f')
    if 'n' in a:
        if kind == 'B':
            return decimal.Decimal(b) == round(decimal.Decimal(a['n']), places)
        return decimal.Decimal(b) == decimal.Decimal(a['n'])
    if 'd' in a:
        return b == a['d']
    if 't' in a:
        moment = datetime.datetime.fromisoformat(a['t'])
        return b == 'J%d %s' % (moment.toordinal() + 1721425, moment.strftime('%H:%M:%S'))
    return False
problems = []
rows = [row for row in theirs]
if len(rows) != len(ours['rows']):
    problems.append('records: ours %d, pgdbf %d' % (len(ours['rows']), len(rows)))
for r, (mine, other) in enumerate(zip(ours['rows'], rows)):
    for f, (a, b) in enumerate(zip(mine, other)):
        kind = ours['types'][f]
        ok = a == unescape(b) if isinstance(a, str) else same(
            a, b, kind, ours['nullable'][f] == 'n', decimals[f])
        if not ok:
            problems.append('record %d field %d: ours %r, pgdbf %r' % (r + 1, f + 1, a, b))
print('\n'.join(problems[:20]), end='')
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
            EXPECT_EQ(enginetest::compareWith(kCompareWithPgdbf, path,
                                              {"cp1252", (dir / "made.fpt").string()}),
                      "");
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
    EXPECT_EQ(
        enginetest::compareWith(kCompareWithPgdbf, path, {"cp1252", (dir / "fox.fpt").string()}),
        "");
    auto reread = enginetest::openTable(path, false);
    EXPECT_EQ(reread->readField(0, 2).asText(), "second memo");
    EXPECT_EQ(reread->readField(2, 2).asText(), "new");
}
