// quillon-cli's tools over deleted records and whole tables (dump --with-deleted, recall, pack,
// import), run as separate processes, with python3-dbfread reading what they leave.
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/PosixFile.h"
#include "tests/cli/RunCli.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>

using clitest::cli;
using testsupport::CommandResult;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

// What python3-dbfread reads in the table: "live: A,B | deleted: C", the first field of each
// record.
std::string dbfread(const std::filesystem::path& table) {
    auto result = testsupport::runPython(R"(
import sys
from dbfread import DBF
table = DBF(sys.argv[1], encoding='cp1252', char_decode_errors='strict')
first = table.field_names[0]
print('live: ' + ','.join(str(r[first]) for r in table) + ' | deleted: ' +
      ','.join(str(r[first]) for r in table.deleted))
)",
                                         {table.string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

std::filesystem::path fourWithTwoDeleted(const TempDir& dir) {
    return DbfBuilder(0x8B)
        .field("NAME", 'C', 8)
        .field("NOTE", 'M', 10)
        .record({"Ann", "first"})
        .record({"Bob", "gone"}, true)
        .record({"Cy", ""})
        .record({"Dot", "also gone"}, true)
        .write(dir.path(), "people");
}

}  // namespace

TEST(ToolCommandsTest, DumpWithDeletedWritesEveryRecordInTableOrder) {
    TempDir dir;
    auto result = cli({"dump", fourWithTwoDeleted(dir).string(), "--with-deleted"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out,
              "_deleted,NAME,NOTE\r\nfalse,Ann,first\r\ntrue,Bob,gone\r\nfalse,Cy,\r\n"
              "true,Dot,also gone\r\n");
}

TEST(ToolCommandsTest, RecallClearsTheMarkOfOneRecordOrOfEvery) {
    TempDir dir;
    const auto path = fourWithTwoDeleted(dir);
    auto result = cli({"recall", path.string(), "--record", "4"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Recalled record 4.\n");
    EXPECT_EQ(dbfread(path), "live: Ann,Cy,Dot | deleted: Bob\n");
    for (const char* number : {"1", "9"}) {
        result = cli({"recall", path.string(), "--record", number});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "Record " + std::string(number) + " is not deleted.\n");
    }
    result = cli({"recall", path.string(), "--record", "0"});
    EXPECT_NE(result.err.find("--record takes a record number from 1"), std::string::npos);
    result = cli({"recall", path.string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Recalled 1 record.\n");
    EXPECT_EQ(dbfread(path), "live: Ann,Bob,Cy,Dot | deleted: \n");
    EXPECT_EQ(cli({"dump", path.string()}).out,
              "NAME,NOTE\r\nAnn,first\r\nBob,gone\r\nCy,\r\nDot,also gone\r\n");
}

TEST(ToolCommandsTest, PackRemovesDeletedRecordsAndKeepsTheOldFilesAsBackups) {
    TempDir dir;
    const auto path = fourWithTwoDeleted(dir);
    const std::string table = path.string(), memo = (dir / "people.dbt").string();
    {
        // Another program writing a record: refused, nothing changed.
        engine::dbf::PosixFile holder(table, engine::dbf::PosixFile::Mode::ReadWrite);
        holder.lockByte(engine::dbf::recordLockOffset(0), "busy");
        auto refused = cli({"pack", table});
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_EQ(refused.err,
                  "Cannot pack people.dbf: another program has the table open for writing.\n");
    }
    auto result = cli({"pack", table});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Packed " + table +
                              ": 2 records kept, 2 removed. The old files are now " + table +
                              ".bak and " + memo + ".bak.\n");
    EXPECT_EQ(dbfread(path), "live: Ann,Cy | deleted: \n");
    // dbfread reads the eight bytes after a dBASE IV memo as text: the block's zero padding here.
    auto notes = testsupport::runPython(R"(
import sys
from dbfread import DBF
print([r['NOTE'] and r['NOTE'].rstrip('\x00') for r in DBF(sys.argv[1])])
)",
                                        {table});
    EXPECT_EQ(notes.out, "['first', None]\n") << notes.err;
    result = cli({"pack", table});
    EXPECT_NE(result.out.find(table + ".1.bak and " + memo + ".1.bak"), std::string::npos)
        << result.out;
}

TEST(ToolCommandsTest, ImportAppendsEveryRowOrNone) {
    TempDir dir;
    const auto path = fourWithTwoDeleted(dir);
    const auto csv = dir / "new.csv";
    auto importing = [&](const std::string& text) {
        std::ofstream(csv, std::ios::binary) << text;
        return cli({"import", path.string(), csv.string()});
    };
    auto result = importing("name,note\nEve,\"two\nlines\"\nFay,\n");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Imported 2 rows from " + csv.string() + ".\n");
    EXPECT_EQ(dbfread(path), "live: Ann,Cy,Eve,Fay | deleted: Bob,Dot\n");
    auto notes = testsupport::runPython(R"(
import sys
from dbfread import DBF
print([r['NOTE'] and r['NOTE'].rstrip('\x00') for r in DBF(sys.argv[1])][2:])
)",
                                        {path.string()});
    EXPECT_EQ(notes.out, "['two\\nlines', None]\n") << notes.err;

    result = importing("NAME\nGus\nTOOLONGNAME\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err.rfind("Nothing was imported. Line 3, field NAME: ", 0), 0u) << result.err;
    result = importing("NAME,AGE\nGus,3\n");
    EXPECT_EQ(result.err, "Nothing was imported: line 1: The table has no field named AGE.\n");
    EXPECT_EQ(dbfread(path), "live: Ann,Cy,Eve,Fay | deleted: Bob,Dot\n");
    EXPECT_EQ(cli({"import", path.string()}).exitStatus, 1);
}
