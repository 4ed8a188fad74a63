// quillon-cli check and repair, run as separate processes on damaged tables, the results read by
// python3-dbfread.
#include "tests/cli/RunCli.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

using clitest::cli;
using testsupport::CommandResult;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

// The live records as dbfread reads them: "NAME|NOTE" lines (dbfread reads a dBASE IV memo's
// length as leaving out its block header, so its text comes with eight more bytes, NULs here).
// encoding: the one dbfread is told ("": what the language driver byte says).
std::string readWithDbfread(const std::filesystem::path& table, const std::string& encoding = "") {
    const char* script =
        "import sys, dbfread\n"
        "table = dbfread.DBF(sys.argv[1], load=False, char_decode_errors='replace',\n"
        "                    encoding=sys.argv[2] or None)\n"
        "for record in table:\n"
        "    print('|'.join('' if v is None else str(v).rstrip('\\0') for v in record.values()))\n";
    CommandResult result = testsupport::runPython(script, {table.string(), encoding});
    return result.exitStatus == 0 ? result.out : "dbfread failed: " + result.err;
}

// A dBASE IV table with memos whose append of a third record was cut off before the count was
// raised, whose second record points past the end of its memo file, and whose header names a
// production index that is not there.
std::filesystem::path damaged(const TempDir& dir) {
    DbfBuilder table(0x8B);
    table.field("NAME", 'C', 6).field("NOTE", 'M', 10);
    table.record({"Ann", "first"})
        .rawRecord(std::string("Bob   ") + "        77")
        .record({"Cy", "third"});
    return table.declaredCount(2).headerByte(28, 1).write(dir.path(), "people");
}

}  // namespace

TEST(TableToolsTest, CheckListsEachProblemOnItsOwnLineWithItsExitStatus) {
    TempDir dir;
    const auto table = damaged(dir);
    CommandResult result = cli({"check", table.string()});
    EXPECT_EQ(result.exitStatus, 3) << result.err;
    EXPECT_EQ(result.out,
              "people.dbf, header: it counts 2 records, but 1 more whole records follow them "
              "(records 3 to 3); repair: raise the count to 3\n"
              "people.dbf, header: it says the table has a production index (people.mdx), but "
              "there is none; repair: clear the flag\n"
              "people.dbf, record 2, field NOTE: its memo pointer names block 77, past the end of "
              "the memo file (3 blocks); repair: clear the pointer\n");

    const auto sound = DbfBuilder(0x03).field("A", 'C', 2).record({"x"}).write(dir.path(), "ok");
    result = cli({"check", sound.string()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ok.dbf: no problems found.\n");

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"check", (dir / "missing.dbf").string()},
          std::vector<std::string>{"check"},
          std::vector<std::string>{"repair", sound.string(), "--force", "yes"}}) {
        result = cli(arguments);
        EXPECT_EQ(result.exitStatus, 1) << result.out;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err, "");
    }
}

TEST(TableToolsTest, RepairSaysWhatItChangedKeepsBackupsAndOtherReadersReadTheResult) {
    TempDir dir;
    const auto table = damaged(dir);
    CommandResult result = cli({"repair", table.string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err << result.out;
    EXPECT_NE(result.out.find("mended: people.dbf, header: raised the count to 3 (it counts 2"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("mended: people.dbf, record 2, field NOTE: cleared the pointer"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("the old files are kept as " + table.string() + ".bak."),
              std::string::npos)
        << result.out;
    EXPECT_EQ(readWithDbfread(table), "Ann|first\nBob|\nCy|third\n");
    EXPECT_TRUE(std::filesystem::exists(table.string() + ".bak"));
    EXPECT_EQ(cli({"check", table.string()}).exitStatus, 0);

    // Nothing left to mend: nothing changes, and no second backup appears.
    result = cli({"repair", table.string()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "people.dbf: nothing to mend.\n");
    EXPECT_FALSE(std::filesystem::exists(table.string() + ".1.bak"));

    // A missing end mark alone is one byte written in place; the memo file that is missing is
    // left, and said so.
    const auto open =
        DbfBuilder(0x8B).field("N", 'M', 10).record({"x"}).endMark(false).write(dir.path(), "m");
    std::filesystem::remove(dir / "m.dbt");
    result = cli({"repair", open.string()});
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_NE(result.out.find("mended: m.dbf, end of file: wrote the end-of-file mark"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("The table was mended in place.\nleft: m.dbf, memo file: the memo "
                              "file m.dbt is missing"),
              std::string::npos)
        << result.out;
}

TEST(TableToolsTest, CodePageMarksOrConvertsAndRefusesWhatTheNewCodePageLacks) {
    TempDir dir;
    const auto table = DbfBuilder(0x83)
                           .field("NAME", 'C', 8)
                           .field("NOTE", 'M', 10)
                           .languageDriver(0x03)
                           .record({"Jos\xE9", "caf\xE9"})
                           .write(dir.path(), "people");
    CommandResult result = cli({"codepage", table.string(), "866", "--convert"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err.rfind("Cannot convert people.dbf: record 1, field NAME: the character "
                               "U+00E9",
                               0),
              0u)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(table.string() + ".bak"));

    result = cli({"codepage", table.string(), "UTF-8", "--convert"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Converted " + table.string() +
                              " to code page 65001 (UTF-8) (people.cpg (UTF-8)): 2 values "
                              "re-encoded. The old files are now " +
                              table.string() + ".bak and " + (dir / "people.dbt.bak").string() +
                              ".\n");
    EXPECT_EQ(readWithDbfread(table, "utf-8"), "José|café\n");

    // Marking alone changes no record: the UTF-8 bytes now read as code page 1251.
    result = cli({"codepage", table.string(), "1251"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Marked " + table.string() +
                              " as code page 1251 (Cyrillic Windows) (language driver byte 0xC9 "
                              "and people.cpg (1251)); no record was changed.\n");
    EXPECT_EQ(cli({"dump", table.string()}).out, "NAME,NOTE\r\nJosГ©,cafГ©\r\n");
    EXPECT_EQ(cli({"codepage", table.string(), "--convert"}).exitStatus, 1);
}
