// The CSV import appends every row or none: each refusal names its line and field and leaves the
// table as it was, and a failure while appending says how many rows went in.
#include "engine/CsvImport.h"
#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::MemoryFileSystem;

namespace {

const std::string kTable = "/t/t.dbf";

// NAME C(8), QTY N(5), DUE D, OK L, one record; in dBASE 7 QTY is required.
DbfBuilder stockTable(std::uint8_t version) {
    DbfBuilder table(version);
    table.field("NAME", 'C', 8).field("QTY", 'N', 5).field("DUE", 'D', 8).field("OK", 'L', 1);
    if (version == 0x04) table.fieldProperties(testsupport::dbase7Properties({{2, 1}}));
    table.record({"OLD", "1", "20240101", "T"});
    return table;
}

struct Outcome {
    std::string error;      // empty when the import succeeded
    long appended = 0;      // what importCsv returned
    std::string records;    // every record as the engine reads it back, "NAME|QTY|DUE|OK;"
    bool unchanged = true;  // the table's bytes are those before the import
};

Outcome import(MemoryFileSystem& files, const std::string& csv) {
    testsupport::TempDir dir;
    const auto csvPath = dir / "in.csv";
    std::ofstream(csvPath, std::ios::binary) << csv;
    const Bytes before = files.bytes(kTable);
    Outcome outcome;
    {
        engine::Recordset set(enginetest::openTable(files, kTable),
                              engine::Recordset::Kind::Dynaset, false);
        try {
            outcome.appended = engine::importCsv(set, csvPath.string());
        } catch (const engine::EngineError& error) {
            outcome.error = error.what();
        }
    }
    engine::Recordset reread(enginetest::openTable(files, kTable, false),
                             engine::Recordset::Kind::Snapshot, true);
    for (long position = 0; position < reread.RecordCount(); ++position) {
        for (const engine::Value& value : reread.readRow(position)) {
            outcome.records += value.toString();
            outcome.records += "|";
        }
        outcome.records.back() = ';';
    }
    outcome.unchanged = files.bytes(kTable) == before;
    return outcome;
}

TEST(CsvImportTest, AppendsEveryRowOrRefusesWithTheLineAndField) {
    struct Case {
        const char* csv;
        const char* error;    // fragment, or "" for success
        const char* records;  // the table afterwards, when the import succeeded
    };
    const Case cases[] = {
        // A byte order mark, CR LF, names in any case and order, quotes holding commas, quotes
        // and line breaks; a field without a column stays blank.
        {"\xEF\xBB\xBFqty,Name,ok\r\n7,\"a,\"\"b\"\"\",F\r\n,\"x\ny\",T\r\n", "",
         "OLD|1|2024-01-01|true;a,\"b\"|7||false;x\ny|||true;"},
        {"NAME,DUE\n\nNEW,2025-03-04\n", "", "OLD|1|2024-01-01|true;NEW||2025-03-04|;"},
        {"NAME\n", "", "OLD|1|2024-01-01|true;"},
        {"", "Nothing was imported: in.csv is empty.", ""},
        {"NAME,COLOR\nA,red\n", "Nothing was imported: line 1: The table has no field named COLOR.",
         ""},
        {"NAME,name\nA,B\n", "Nothing was imported: line 1 names field NAME twice.", ""},
        {"NAME,QTY\nA,1\nB\n", "Nothing was imported: line 3 has 1 values, the header 2.", ""},
        {"NAME,QTY\nA,1\nB,lots\n", "Nothing was imported. Line 3, field QTY: ", ""},
        {"NAME,QTY\nA,1\nNINECHARS,2\n", "Nothing was imported. Line 3, field NAME: ", ""},
        {"NAME,DUE\nA,2025-02-30\n", "Nothing was imported. Line 2, field DUE: ", ""},
        {"NAME\n\"A\nB,C\n", "Nothing was imported: Line 2: a quoted value has no closing quote.",
         ""},
        {"NAME\n\"A\"B\n", "Nothing was imported: Line 2: there is text after the closing quote",
         ""},
        {"NAME\nA\n\xFF\n", "Nothing was imported. Line 3, field NAME: the value is not UTF-8", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csv);
        MemoryFileSystem files;
        testsupport::putTable(files, stockTable(0x03), "/t/t");
        const Outcome outcome = import(files, c.csv);
        if (*c.error == '\0') {
            EXPECT_EQ(outcome.error, "");
            EXPECT_EQ(outcome.records, c.records);
        } else {
            EXPECT_EQ(outcome.error.rfind(c.error, 0), 0u) << outcome.error;
            EXPECT_TRUE(outcome.unchanged);
        }
    }
}

TEST(CsvImportTest, EveryWritableDialectTakesTheRowsAndKeepsItsRules) {
    for (std::uint8_t version : {0x03, 0x8B, 0x04}) {
        SCOPED_TRACE(static_cast<int>(version));
        MemoryFileSystem files;
        testsupport::putTable(files, stockTable(version), "/t/t");
        Outcome outcome = import(files, "NAME,QTY,DUE,OK\nA,2,2025-01-31,T\n");
        EXPECT_EQ(outcome.error, "");
        EXPECT_EQ(outcome.records, "OLD|1|2024-01-01|true;A|2|2025-01-31|true;");
        outcome = import(files, "NAME\nB\n");
        if (version == 0x04) {
            EXPECT_NE(outcome.error.find("The CSV file has no column for it."), std::string::npos)
                << outcome.error;
            EXPECT_TRUE(outcome.unchanged);
        } else {
            EXPECT_EQ(outcome.appended, 1);
        }
    }
}

TEST(CsvImportTest, AFullDiskPartWaySaysHowManyRowsWentIn) {
    MemoryFileSystem files;
    testsupport::putTable(files, stockTable(0x03), "/t/t");
    // Each append writes the record, then the header's count: the third write is the second row.
    files.failAt(kTable, testsupport::FileCall::Write, 3, ENOSPC);
    const Outcome outcome = import(files, "NAME\nA\nB\nC\n");
    EXPECT_EQ(outcome.error.rfind("Appended 1 of the 3 rows of in.csv, then: ", 0), 0u)
        << outcome.error;
    EXPECT_EQ(outcome.records, "OLD|1|2024-01-01|true;A|||;");
}

}  // namespace

TEST(CsvImportTest, VisualFoxProTablesNumberTheRowsAndTakeNulls) {
    MemoryFileSystem files;
    testsupport::FoxBuilder table(0x30);
    table.field("ID", 'I', 4, 0, 0x0C, 5, 1)
        .field("NAME", 'C', 8, 0, 0x02)
        .field("PRICE", 'Y', 8, 4);
    table.put(files, "/t/t");
    Outcome outcome = import(files, "name,price\nA,1.5\n,2\n");
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.records, "5|A|1.5000;6||2.0000;");
    outcome = import(files, "ID,NAME\n9,B\n");
    EXPECT_EQ(outcome.error.rfind("Nothing was imported: line 1 names field ID, whose values", 0),
              0u)
        << outcome.error;
    EXPECT_TRUE(outcome.unchanged);
}
