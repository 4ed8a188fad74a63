// Every table under tests/data/dbf opens (read-only where its row below says why) with the values
// an independent reader finds in it, or is refused with a description naming the file. What
// each table should do is data: a row per table that is not simply opened for writing and
// compared with python3-dbfread.
#include "base/AsciiCase.h"
#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/JsonRows.h"
#include "tests/engine/PgdbfRows.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using engine::Value;

namespace {

enum class Outcome {
    Writable,
    ReadOnly,  // with the reason
    Refused,   // with the reason
};

// Who says what the cells hold: python3-dbfread (reading the table itself, or the table it was
// made from by hand), pgdbf, or the values of kStated.
enum class Reader { Dbfread, Pgdbf, Stated };

struct Expectation {
    const char* table;  // under tests/data/dbf
    Outcome outcome;
    const char* reason = "";  // a fragment of the read-only reason or of the refusal
    Reader reader = Reader::Dbfread;
    // Text in another code page than the table names: read it with this one too.
    const char* encoding = "";
    // The table dbfread reads instead: the original of a copy damaged by hand.
    const char* original = "";
};

using O = Outcome;
using R = Reader;

const Expectation kExpectations[] = {
    // Text in another code page than the header says.
    {"luads-php-xbase/cbrf_122019N1.dbf", O::Writable, "", R::Dbfread, "866"},
    {"yellowfeather-dbfdatareader/INNAKLKVT20180904.dbf", O::Writable, "", R::Dbfread, "1251"},
    // Copies of continents.dbf without the field terminator, which dbfread cannot read.
    {"albfernandez-javadbf/bug-77-no-header-record-terminator/"
     "continents-null-header-record-terminator.dbf",
     O::Writable, "", R::Dbfread, "", "albfernandez-javadbf/continents.dbf"},
    {"albfernandez-javadbf/bug-77-no-header-record-terminator/"
     "continents_no_header_record_terminator.dbf",
     O::Writable, "", R::Dbfread, "", "albfernandez-javadbf/continents.dbf"},
    // Character fields with a decimal count, which dbfread takes for the high byte of the width.
    {"albfernandez-javadbf/bug_64_excel_dbf/wrong-exented-character-field.dbf", O::Writable, "",
     R::Pgdbf},
    // "nan" in a numeric field (the engine reads it as no number, with a warning).
    {"rouault-gdal2/ogr/data/shp/nan.dbf", O::Writable, "", R::Stated},
    // Memo files that are not there.
    {"albfernandez-javadbf/bug-49/student.dbf", O::ReadOnly, "memo file is missing"},
    // dBASE 7 and dBASE II, which no independent reader reads: the values stated below.
    {"albfernandez-javadbf/bug-102/bug102.dbf", O::Writable, "", R::Stated},
    {"albfernandez-javadbf/fixtures/dbase_7.dbf", O::ReadOnly, "memo file is missing", R::Stated},
    {"albfernandez-javadbf/inventory.dbf", O::Writable, "", R::Stated},
    {"albfernandez-javadbf/test_delete.dbf", O::Writable, "", R::Stated},
    {"infused-dbf/dbase_02.dbf", O::ReadOnly, "dBASE II", R::Stated},
    {"infused-dbf/dbase_8c.dbf", O::ReadOnly, "memo file is missing", R::Stated},
    {"luads-php-xbase/dBaseVII.dbf", O::Writable, "", R::Stated},
    {"luads-php-xbase/dBaseVII_double.dbf", O::Writable, "", R::Stated},
    {"luads-php-xbase/dBaseVII_int.dbf", O::Writable, "", R::Stated},
    {"luads-php-xbase/dBaseVII_ts.dbf", O::Writable, "", R::Stated},
    // FoxPro and Visual FoxPro.
    {"albfernandez-javadbf/bdays.dbf", O::Writable},
    {"albfernandez-javadbf/books.dbf", O::ReadOnly, "structural index"},
    {"albfernandez-javadbf/bug-115/bug115.dbf", O::ReadOnly, "structural index"},
    // Its header length leaves out the 263 bytes of the backlink that it holds: the record
    // there is NUL bytes (the written one lies 263 bytes on), and dbfread reads it shifted.
    {"albfernandez-javadbf/bug-33-corrupted-file-sync-mode/myfileafter-corrupted.dbf", O::Writable,
     "", R::Stated},
    {"albfernandez-javadbf/bug-33-corrupted-file-sync-mode/myfilebefore.dbf", O::Writable},
    {"albfernandez-javadbf/bug-56-index-out-of-bounds/56-testdata.dbf", O::Writable},
    {"albfernandez-javadbf/bug93_null_field/testfile.dbf", O::Writable},
    {"albfernandez-javadbf/fixtures/foxpro-xsource/employees.dbf", O::ReadOnly, "structural index"},
    {"albfernandez-javadbf/fixtures/foxpro-xsource/foxref_ref.dbf", O::ReadOnly,
     "structural index"},
    {"albfernandez-javadbf/fixtures/foxpro-xsource/payments.dbf", O::ReadOnly, "structural index"},
    {"albfernandez-javadbf/gbk.dbf", O::ReadOnly, "structural index"},
    // An O field (dBASE 7's type) in a Visual FoxPro table, which dbfread reads as a double.
    {"albfernandez-javadbf/numbers2.dbf", O::ReadOnly, "types this program does not know",
     R::Stated},
    {"infused-dbf/cp1251.dbf", O::ReadOnly, "structural index"},
    {"infused-dbf/dbase_30.dbf", O::ReadOnly, "structural index"},
    {"infused-dbf/dbase_31.dbf", O::ReadOnly, "structural index"},
    {"infused-dbf/dbase_32.dbf", O::Writable},
    {"infused-dbf/dbase_f5.dbf", O::Writable},
    {"infused-dbf/foxprodb/calls.dbf", O::ReadOnly, "structural index"},
    {"infused-dbf/foxprodb/contacts.dbf", O::ReadOnly, "structural index"},
    {"infused-dbf/foxprodb/setup.dbf", O::ReadOnly, "structural index"},
    {"infused-dbf/foxprodb/types.dbf", O::ReadOnly, "structural index"},
    // NUL deletion marks, whose records dbfread skips.
    {"infused-dbf/mazovia.dbf", O::ReadOnly, "cannot be converted", R::Stated},
    // Types dbfread does not know (W, 7).
    {"kstrauser-pgdbf/SystemParameter.dbf", O::ReadOnly, "structural index", R::Stated},
    {"kstrauser-pgdbf/jmarlin_issue_17_data.dbf", O::Writable},
    {"luads-php-xbase/1.dbf", O::ReadOnly, "memo file is missing"},
    {"luads-php-xbase/91.dbf", O::Writable},
    {"luads-php-xbase/Foxpro2.dbf", O::Writable},
    {"luads-php-xbase/currency.dbf", O::Writable},
    // Records another library appended with a null bit left set on MASINA, which dbfread
    // ignores.
    {"luads-php-xbase/issue115.dbf", O::ReadOnly, "structural index", R::Stated},
    {"luads-php-xbase/pr90.dbf", O::Writable},
    {"luads-php-xbase/vfp.dbf", O::Writable, "", R::Stated},
    {"luads-php-xbase/visual_fox_pro6.dbf", O::ReadOnly, "structural index"},
    {"valentin-kaiser-go-dbase/database/employees.dbf", O::ReadOnly, "structural index"},
    {"valentin-kaiser-go-dbase/database/expense categories.dbf", O::ReadOnly, "structural index"},
    {"valentin-kaiser-go-dbase/database/expense details.dbf", O::ReadOnly, "structural index"},
    {"valentin-kaiser-go-dbase/database/expense reports.dbf", O::ReadOnly, "structural index"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", O::Writable, "", R::Stated},
    {"yellowfeather-dbfdatareader/FolderRoot.dbf", O::ReadOnly, "structural index", R::Stated},
    {"yortus-dbffile/dbase_currency.dbf", O::Writable},
    {"yortus-dbffile/vfp9_30.dbf", O::Writable},
    {"yortus-dbffile/vfp9_30_memo.dbf", O::Writable},
    {"yortus-dbffile/vfp9_memo_bs1.dbf", O::Writable},
    {"yortus-dbffile/vfp_gb2312_memo.dbf", O::ReadOnly, "structural index"},
};

// Values stated for tables no independent reader reads, by live record (from 1) and field
// name; "#live" and "#deleted" are record counts, "~" before a value means "starts so".
struct Stated {
    const char* table;
    int record;
    const char* field;
    const char* value;
};

const Stated kStated[] = {
    // php-xbase's tests.
    {"luads-php-xbase/dBaseVII.dbf", 1, "AUTO_INC", "0"},
    {"luads-php-xbase/dBaseVII.dbf", 1, "INTEGER", "1"},
    {"luads-php-xbase/dBaseVII.dbf", 1, "LARGE_INT", "4"},
    {"luads-php-xbase/dBaseVII.dbf", 1, "DATETIME", "1800-01-01 01:01:01"},
    {"luads-php-xbase/dBaseVII.dbf", 1, "BLOB", "\\x717765"},
    {"luads-php-xbase/dBaseVII.dbf", 1, "DBASE_OLE", "<null>"},
    {"luads-php-xbase/dBaseVII.dbf", 2, "AUTO_INC", "1"},
    {"luads-php-xbase/dBaseVII.dbf", 2, "LARGE_INT", "5"},
    {"luads-php-xbase/dBaseVII.dbf", 2, "DATETIME", "1970-01-01 00:00:00"},
    {"luads-php-xbase/dBaseVII.dbf", 3, "INTEGER", "3"},
    {"luads-php-xbase/dBaseVII.dbf", 3, "DATETIME", "2020-02-20 20:20:20"},
    {"luads-php-xbase/dBaseVII_int.dbf", 1, "INT", "1"},
    {"luads-php-xbase/dBaseVII_int.dbf", 2, "INT", "-1"},
    {"luads-php-xbase/dBaseVII_int.dbf", 3, "INT", "5000000"},
    {"luads-php-xbase/dBaseVII_int.dbf", 4, "INT", "-5000000"},
    {"luads-php-xbase/dBaseVII_int.dbf", 5, "INT", "2147483647"},
    {"luads-php-xbase/dBaseVII_int.dbf", 6, "INT", "-2147483647"},
    {"luads-php-xbase/dBaseVII_double.dbf", 1, "double", "-199.99"},
    {"luads-php-xbase/dBaseVII_double.dbf", 2, "double", "-74.62"},
    {"luads-php-xbase/dBaseVII_double.dbf", 3, "double", "43.65"},
    {"luads-php-xbase/dBaseVII_double.dbf", 4, "double", "150.48"},
    {"luads-php-xbase/dBaseVII_double.dbf", 5, "double", "0"},
    {"luads-php-xbase/dBaseVII_ts.dbf", 0, "#live", "9"},
    {"luads-php-xbase/dBaseVII_ts.dbf", 1, "TS", "1900-01-01 00:00:00"},
    {"luads-php-xbase/dBaseVII_ts.dbf", 3, "TS", "1900-01-03 00:00:00"},
    {"luads-php-xbase/dBaseVII_ts.dbf", 4, "TS", "2000-01-01 00:00:00"},
    {"luads-php-xbase/dBaseVII_ts.dbf", 9, "TS", "2000-01-10 00:00:00"},
    // javadbf's tests (which read I and + little-endian: their 16777344 is 1, 889192576 is 53).
    {"albfernandez-javadbf/inventory.dbf", 1, "Item ID", "1"},
    {"albfernandez-javadbf/inventory.dbf", 1, "Supplier ID", "1"},
    {"albfernandez-javadbf/inventory.dbf", 1, "Description", "Dartboard"},
    {"albfernandez-javadbf/inventory.dbf", 1, "Qty", "53"},
    {"albfernandez-javadbf/fixtures/dbase_7.dbf", 1, "DATE", "2015-02-23"},
    {"albfernandez-javadbf/fixtures/dbase_7.dbf", 1, "USER", "DFG"},
    {"albfernandez-javadbf/fixtures/dbase_7.dbf", 2, "DATE", "2013-01-31"},
    {"albfernandez-javadbf/fixtures/dbase_7.dbf", 3, "USER", "HSJ"},
    {"albfernandez-javadbf/fixtures/dbase_7.dbf", 3, "ID", "3"},
    {"albfernandez-javadbf/test_delete.dbf", 0, "#live", "2"},
    {"albfernandez-javadbf/test_delete.dbf", 0, "#deleted", "1"},
    {"albfernandez-javadbf/bug-102/bug102.dbf", 16, "DataNumber", "193801"},
    {"albfernandez-javadbf/bug-102/bug102.dbf", 16, "MaxPeakNoUnit", "~6010.31"},
    {"albfernandez-javadbf/bug-102/bug102.dbf", 16, "MinPeakNoUnit", "~-143.74"},
    {"albfernandez-javadbf/bug-102/bug102.dbf", 16, "TerminalDi", "0.1"},
    // GDAL's tests read NaN, which a value here cannot be.
    {"rouault-gdal2/ogr/data/shp/nan.dbf", 1, "real", "<null>"},
    // Read from the bytes by hand.
    {"infused-dbf/dbase_8c.dbf", 1, "ID", "1"},
    {"infused-dbf/dbase_8c.dbf", 1, "Name", "Clown Triggerfish"},
    {"infused-dbf/dbase_8c.dbf", 2, "Length CM", "228.0000"},
    {"infused-dbf/dbase_8c.dbf", 10, "ID", "10"},
    {"infused-dbf/dbase_02.dbf", 1, "EMP:NMBR", "2"},
    {"infused-dbf/dbase_02.dbf", 1, "LAST", "Stegman"},
    {"infused-dbf/dbase_02.dbf", 3, "HIREDATE", "08/23/80"},
    {"infused-dbf/dbase_02.dbf", 1, "PAYRATE", "6.000"},
    {"albfernandez-javadbf/bug-33-corrupted-file-sync-mode/myfileafter-corrupted.dbf", 1, "NAME",
     "<null>"},
    {"albfernandez-javadbf/numbers2.dbf", 2, "DOUBLE1", "-1"},
    {"albfernandez-javadbf/numbers2.dbf", 2, "DOUBLE2", "\\x3ff0000000000000"},
    {"albfernandez-javadbf/numbers2.dbf", 3, "CURRENCY", "193786.0000"},
    {"albfernandez-javadbf/numbers2.dbf", 2, "DATETIME", "2024-01-18 19:55:07"},
    {"infused-dbf/mazovia.dbf", 0, "#live", "2"},
    {"infused-dbf/mazovia.dbf", 1, "A2", "English"},
    {"kstrauser-pgdbf/SystemParameter.dbf", 1, "PARAVALUE", "~\\x360000"},
    {"luads-php-xbase/issue115.dbf", 1, "TEL", "0738178556"},
    {"luads-php-xbase/issue115.dbf", 2, "MASINA", "<null>"},
    {"luads-php-xbase/issue115.dbf", 8, "BI_POL", "g"},
    {"luads-php-xbase/issue115.dbf", 8, "MASINA", "<null>"},
    {"yellowfeather-dbfdatareader/FolderRoot.dbf", 2, "DB_RT_PATH", "Local\\F64AADF0"},
    {"yellowfeather-dbfdatareader/FolderRoot.dbf", 1, "TS", "\\xe485250085e12d03"},
    // php-xbase's tests; go-dbase's own.
    {"luads-php-xbase/vfp.dbf", 1, "VARBINARY", "\\xabcdef"},
    {"luads-php-xbase/vfp.dbf", 1, "DATETIME", "1800-01-01 01:01:01"},
    {"luads-php-xbase/vfp.dbf", 1, "BLOB", "~\\x89504e470d0a1a0a"},
    {"luads-php-xbase/vfp.dbf", 1, "GENERAL", "<null>"},  // its pointer is inside the header
    {"luads-php-xbase/vfp.dbf", 2, "NAME_BIN", "\\x526f636b657420526163636f6f6e202020202020"},
    {"luads-php-xbase/vfp.dbf", 3, "AI", "3"},
    {"luads-php-xbase/vfp.dbf", 3, "CURRENCY", "15.1600"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 0, "#deleted", "1"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 1, "VAR_NIL", "Test value with variable length"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 1, "VAR", "<null>"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 1, "VARBIN_NIL", "\\x112233445566778899aa"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 2, "VARBIN_NIL", "\\xaabbcc"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 2, "DATETIME", "2022-10-10 21:04:25"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 1, "PRICE", "12.3456"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 1, "DOUBLE", "78.9"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 2, "DESC", "PRODUCT_DESCRIPTION"},
    {"valentin-kaiser-go-dbase/table/TEST.DBF", 1, "BLOB", "<null>"},
};

std::vector<std::string> fixtureTables() {
    std::vector<std::string> tables;
    const fs::path root = testsupport::dataPath("dbf");
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (base::equalsIgnoringCase(entry.path().extension().string(), ".dbf")) {
            tables.push_back(entry.path().lexically_relative(root).generic_string());
        }
    }
    std::sort(tables.begin(), tables.end());
    return tables;
}

const Expectation& expectationOf(const std::string& table) {
    static const Expectation kPlain{"", O::Writable};
    for (const Expectation& e : kExpectations) {
        if (table == e.table) return e;
    }
    return kPlain;
}

// The stated values of the table that the engine reads otherwise, one line each.
std::string statedDifferences(const std::string& name, const engine::TableSource& table) {
    std::vector<std::uint32_t> live;
    const auto deleted = table.deletedRecords();
    for (std::uint32_t i = 0; i < table.physicalCount(); ++i) {
        if (!std::binary_search(deleted.begin(), deleted.end(), i)) live.push_back(i);
    }
    std::string out;
    int checked = 0;
    for (const Stated& s : kStated) {
        if (name != s.table) continue;
        ++checked;
        std::string ours;
        if (std::string(s.field) == "#live" || std::string(s.field) == "#deleted") {
            ours = std::to_string(s.field[1] == 'l' ? live.size() : deleted.size());
        } else {
            const auto& fields = table.fields();
            auto field = std::find_if(fields.begin(), fields.end(),
                                      [&](const auto& f) { return f.name == s.field; });
            if (field == fields.end() || s.record < 1 ||
                static_cast<std::size_t>(s.record) > live.size()) {
                out += std::string("no record ") + std::to_string(s.record) + " field " + s.field;
                continue;
            }
            Value value = table.readField(live[static_cast<std::size_t>(s.record - 1)],
                                          static_cast<int>(field - fields.begin()));
            ours = value.isNull() ? "<null>" : value.toString();
        }
        std::string expected = s.value;
        bool prefix = !expected.empty() && expected[0] == '~';
        if (prefix) expected.erase(0, 1);
        if (prefix ? ours.rfind(expected, 0) != 0 : ours != expected) {
            out += std::string("record ") + std::to_string(s.record) + " " + s.field + ": ours " +
                   ours + ", stated " + s.value + "\n";
        }
    }
    if (checked == 0) out += "no values stated";
    return out;
}

}  // namespace

TEST(FixtureWalkTest, EveryFixtureOpensWithTheIndependentReadersValuesOrIsRefused) {
    const auto tables = fixtureTables();
    ASSERT_GE(tables.size(), 130u);
    for (const Expectation& e : kExpectations) {
        EXPECT_TRUE(std::binary_search(tables.begin(), tables.end(), e.table)) << e.table;
    }
    const fs::path rowsFolder =
        fs::temp_directory_path() / ("quillon-walk-" + std::to_string(::getpid()));
    fs::create_directories(rowsFolder);
    std::vector<std::string> comparisons;  // table, rows, codec; for one run of dbfread
    int refused = 0;
    for (const std::string& name : tables) {
        SCOPED_TRACE(name);
        const Expectation& expected = expectationOf(name);
        const fs::path path = testsupport::dataPath("dbf") / name;
        std::vector<std::string> encodings{""};
        if (*expected.encoding != 0) encodings.push_back(expected.encoding);
        for (const std::string& encoding : encodings) {
            std::unique_ptr<engine::dbf::DbfTable> table;
            try {
                table = enginetest::openTable(path, true, encoding);
            } catch (const engine::EngineError& error) {
                const std::string message = error.what();
                EXPECT_EQ(message.rfind("Cannot open " + path.string() + ": ", 0), 0u) << message;
                EXPECT_NE(message.find(expected.reason), std::string::npos) << message;
                EXPECT_TRUE(expected.outcome == O::Refused) << message;
                ++refused;
                continue;
            }
            ASSERT_TRUE(expected.outcome == O::Writable || expected.outcome == O::ReadOnly)
                << "opened";
            EXPECT_EQ(table->isWritable(), expected.outcome == O::Writable)
                << table->readOnlyReason();
            EXPECT_NE(table->readOnlyReason().find(expected.reason), std::string::npos)
                << table->readOnlyReason();
            if (expected.reader == R::Stated) {
                EXPECT_EQ(statedDifferences(name, *table), "");
                continue;
            }
            if (expected.reader == R::Pgdbf) {
                EXPECT_EQ(enginetest::pgdbfDifferences(path, *table), "");
                continue;
            }
            const fs::path rows = rowsFolder / (std::to_string(comparisons.size()) + ".json");
            enginetest::writeJsonRows(*table, rows);
            const fs::path read =
                *expected.original != 0 ? testsupport::dataPath("dbf") / expected.original : path;
            comparisons.insert(comparisons.end(), {read.string(), rows.string(),
                                                   enginetest::pythonCodec(table->codePage())});
        }
    }
    auto result = testsupport::runPython(enginetest::kCompareWithDbfread, comparisons);
    fs::remove_all(rowsFolder);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(refused, static_cast<int>(
                           std::count_if(std::begin(kExpectations), std::end(kExpectations),
                                         [](const auto& e) { return e.outcome == O::Refused; })));
}

TEST(FixtureWalkTest, TheSampleTablesOpenAsTheirReadmeDescribes) {
    struct Sample {
        const char* name;
        std::uint8_t version;
        long live;
        long deleted;
    };
    for (const Sample& s : {Sample{"clients.dbf", 0x03, 12, 0}, Sample{"diary.dbf", 0x83, 4, 0},
                            Sample{"notes.dbf", 0x8B, 5, 0}, Sample{"orders.dbf", 0x03, 7, 3}}) {
        fs::path path = testsupport::sourceDir() / "samples" / s.name;
        auto table = enginetest::openTable(path, false);
        EXPECT_EQ(table->header().version, s.version) << s.name;
        EXPECT_TRUE(table->warnings().empty()) << s.name;
        auto set = enginetest::openSet(path, true);
        EXPECT_EQ(set->RecordCount(), s.live) << s.name;
        EXPECT_EQ(set->deletedCount(), s.deleted) << s.name;
        fs::path rows =
            fs::temp_directory_path() / ("quillon-sample-" + std::to_string(::getpid()) + ".json");
        enginetest::writeJsonRows(*table, rows);
        auto result = testsupport::runPython(enginetest::kCompareWithDbfread,
                                             {path.string(), rows.string(), "cp1252"});
        fs::remove_all(rows);
        EXPECT_EQ(result.out + result.err, "") << s.name;
    }
}
