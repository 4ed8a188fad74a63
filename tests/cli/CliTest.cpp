// quillon-cli info, dump and replace, run as separate processes on tables built for each test.
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/PosixFile.h"
#include "tests/cli/RunCli.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

using clitest::cli;
using testsupport::CommandResult;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

// Values that need care in CSV: a comma, quotes, a line break, trailing pad spaces, nulls.
std::filesystem::path awkward(const TempDir& dir) {
    return DbfBuilder(0x8B)
        .field("NAME", 'C', 12)
        .field("QTY", 'N', 10, 3)
        .field("BORN", 'D', 8)
        .field("OK", 'L', 1)
        .field("NOTE", 'M', 10)
        .record({"Smith, J", "0.500", "20240229", "T", "line one\r\nline two"})
        .record({"say \"hi\"", "-12", "", "?", ""})
        .record({"gone", "1", "", "F", ""}, true)
        .record({"caf\xE9", "", "19991231", "f", "x"})
        .write(dir.path(), "awkward");
}

}  // namespace

TEST(CliTest, DumpWritesRfc4180CsvInUtf8) {
    TempDir dir;
    auto result = cli({"dump", awkward(dir).string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out,
              "NAME,QTY,BORN,OK,NOTE\r\n"
              "\"Smith, J\",0.500,2024-02-29,true,\"line one\r\nline two\"\r\n"
              "\"say \"\"hi\"\"\",-12,,,\r\n"
              "caf\xC3\xA9,,1999-12-31,false,x\r\n");
    EXPECT_EQ(result.err, "");
}

TEST(CliTest, DumpHonoursTheEncodingOverrideAndReportsWarnings) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .languageDriver(0)
                    .field("T", 'C', 4)
                    .field("D", 'D', 8)
                    .rawRecord("\x8F\xE0  NotADate")
                    .endMark(false)
                    .write(dir.path(), "t");
    auto result = cli({"dump", path.string(), "--encoding", "866"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "T,D\r\n\xD0\x9F\xD1\x80,\r\n");
    EXPECT_NE(result.err.find("warning: Field D"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("end-of-file mark"), std::string::npos) << result.err;
}

TEST(CliTest, InfoDescribesFormatFieldsCountsAndWarnings) {
    TempDir dir;
    auto path = awkward(dir);
    auto result = cli({"info", path.string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    for (const char* line :
         {"Format: dBASE IV/5 table with memo (version byte 0x8B)\n",
          "Code page: 1252 (Windows ANSI), from the language driver byte 0x03\n",
          "Records: 3 live, 1 deleted\n", "Fields: 5\n", "  1. NAME C(12)\n", "  2. QTY N(10,3)\n",
          "  3. BORN D\n", "  4. OK L\n", "  5. NOTE M\n", "Warnings: 0\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    }
    std::filesystem::remove(dir / "awkward.dbt");
    result = cli({"info", path.string()});
    EXPECT_NE(result.out.find("  5. NOTE M (unavailable)\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Access: read-only: its memo file is missing\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Warnings: 1\n  The memo file"), std::string::npos) << result.out;
}

TEST(CliTest, InfoShowsAFoxProTablesDatabaseIndexAndFieldFlags) {
    struct Case {
        const char* table;
        std::vector<const char*> lines;
    };
    const Case cases[] = {
        {"dbf/infused-dbf/dbase_31.dbf",
         {"Format: Visual FoxPro table with autoincrement fields (version byte 0x31)\n",
          "Database: northwind.dbc\n", "Index: a structural index (.cdx) named in the header\n",
          "Access: read-only: it has a structural index (.cdx) that writing would make stale\n",
          "  1. PRODUCTID I (autoincrement: next 78, step 1)\n", "  2. PRODUCTNAM C(40)\n",
          "  6. UNITPRICE Y (nullable)\n", "Fields: 10\n"}},
        {"dbf/luads-php-xbase/vfp.dbf",
         {"Database: none (a free table)\n", "Index: none named in the header\n",
          "FoxPro blocks of 64 bytes)\n", "Access: read and write\n",
          "  15. VARCHAR V(10) (nullable)\n", "  16. NAME_BIN C(20) (binary, nullable)\n",
          "  9. BLOB W (binary, nullable)\n"}},
    };
    for (const Case& c : cases) {
        auto result = cli({"info", testsupport::dataPath(c.table).string()});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        for (const char* line : c.lines) {
            EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
        }
    }
}

TEST(CliTest, FailuresGoToStandardErrorWithStatusOne) {
    TempDir dir;
    auto path = awkward(dir);
    testsupport::Bytes encrypted(64, 0);
    encrypted[0] = 0x06;
    testsupport::writeFileBytes(dir / "locked.dbf", encrypted);
    struct Case {
        std::vector<std::string> arguments;
        const char* fragment;
    };
    const Case cases[] = {
        {{"dump", (dir / "missing.dbf").string()}, "no such table file"},
        {{"info", (dir / "locked.dbf").string()}, "encrypted"},
        {{"dump", path.string(), "--connect", "Paradox;"}, "Unknown database driver"},
        {{"dump", path.string(), "--connect", "Excel 8.0;"}, "is a dBASE table"},
        {{"info", testsupport::dataPath("xls/python-excel-xlrd/formula_test_names.xls").string(),
          "--connect", "dBASE IV;"},
         "is an Excel workbook"},
        {{"dump", path.string(), "--encoding", "NO-SUCH"}, "Unknown encoding"},
        {{"dump", path.string(), "--colour", "red"}, "unknown option --colour"},
        {{"dump"}, "dump takes one TABLE"},
        {{"replace", path.string(), "PRICE", "a", "b"}, "no field named PRICE"},
        {{"replace", path.string(), "NAME", "gone"}, "replace takes TABLE FIELD OLD NEW"},
    };
    for (const Case& c : cases) {
        auto result = cli(c.arguments);
        EXPECT_EQ(result.exitStatus, 1) << c.fragment;
        EXPECT_EQ(result.out, "") << c.fragment;
        EXPECT_NE(result.err.find(c.fragment), std::string::npos)
            << c.fragment << ": " << result.err;
    }
}

TEST(CliTest, ReplacePrintsTheNumberOfRecordsChanged) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("CITY", 'C', 10)
                    .field("N", 'N', 3)
                    .record({"Paris", "1"})
                    .record({"paris", "2"})
                    .record({"Paris", "3"})
                    .write(dir.path(), "t");
    auto result = cli({"replace", path.string(), "city", "Paris", "Lyon"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "2\n");
    EXPECT_EQ(cli({"dump", path.string()}).out, "CITY,N\r\nLyon,1\r\nparis,2\r\nLyon,3\r\n");
    // A number that does not fit stops the scan with the engine's description.
    result = cli({"replace", path.string(), "CITY", "Lyon", "Saint-Etienne"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("field holds 10"), std::string::npos) << result.err;
    // An empty table has nothing to change.
    auto empty = DbfBuilder(0x03).field("CITY", 'C', 10).write(dir.path(), "empty");
    EXPECT_EQ(cli({"replace", empty.string(), "CITY", "a", "b"}).out, "0\n");
}

TEST(CliTest, ReplaceStopsAtARecordAnotherProcessHoldsLocked) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("CITY", 'C', 10)
                    .record({"Paris"})
                    .record({"Paris"})
                    .write(dir.path(), "t");
    engine::dbf::PosixFile holder(path.string(), engine::dbf::PosixFile::Mode::ReadWrite);
    holder.lockByte(engine::dbf::recordLockOffset(1), "busy");
    auto result = cli({"replace", path.string(), "CITY", "Paris", "Lyon"});
    EXPECT_EQ(result.exitStatus, 1);
    // The first record was stored before the scan met the lock, and the failure says so; the
    // second was not touched.
    EXPECT_EQ(result.err,
              "Replaced 1 of the matching records, then: Record is locked by another user.\n");
    EXPECT_EQ(cli({"dump", path.string()}).out, "CITY\r\nLyon\r\nParis\r\n");
}

TEST(CliTest, TextFromTheFileIsShownWithItsControlCharactersWrittenOut) {
    // The field name of control_chars.dbf is ESC ] 0 ; PWN BEL ESC [ H: a terminal would take it
    // as a new window title and a cursor move. dump alone keeps the exact bytes.
    TempDir dir;
    const auto path = dir.copyIn(testsupport::dataPath("damaged/control_chars.dbf"), "t.dbf");
    const std::string raw = "\x1b]0;PWN\a\x1b[H", shown = "\\x1b]0;PWN\\x07\\x1b[H";
    const auto info = cli({"info", path.string()});
    EXPECT_NE(info.out.find("  1. " + shown + " C(16)\n"), std::string::npos) << info.out;
    const auto failed = cli({"replace", path.string(), raw, "Alice", std::string(17, 'x')});
    EXPECT_NE(failed.err.find("in field " + shown + ":"), std::string::npos) << failed.err;
    for (const auto& result : {info, failed}) {
        EXPECT_EQ((result.out + result.err).find('\x1b'), std::string::npos);
    }
    EXPECT_EQ(cli({"dump", path.string()}).out.rfind(raw + ",BIRTHDATE\r\n", 0), 0u);
}

TEST(CliTest, ADamagedWorkbookContainerGivesTheProgramsOwnLineAlone) {
    // libgsf complains of each of these on standard error; none of it may get through.
    struct Case {
        const char* file;
        int status;
        const char* err;  // standard error, the path put where %s stands
    };
    const Case cases[] = {
        {"damaged/ok.xls", 0,
         "warning: The workbook \"%s\" is damaged: its worksheet was read from what remained "
         "readable and may be incomplete.\n"},
        {"xls/sheetjs-test-files/A4X_gnumeric.xls", 0, ""},  // what ok.xls was made from
        {"damaged/error-critical.xls", 1,
         "The workbook \"%s\" is damaged: its compound-file structure is invalid (Inconsistent "
         "block allocation table).\n"},
        {"damaged/multi.xls", 1,
         "The workbook \"%s\" is damaged: its workbook stream cannot be read to its end.\n"},
    };
    for (const Case& c : cases) {
        const std::string path = testsupport::dataPath(c.file).string();
        std::string expected = c.err;
        if (const std::size_t at = expected.find("%s"); at != std::string::npos) {
            expected.replace(at, 2, path);
        }
        const auto result = cli({"dump", path});
        EXPECT_EQ(result.exitStatus, c.status) << c.file;
        EXPECT_EQ(result.err, expected) << c.file;
        if (c.status == 0) {
            EXPECT_EQ(result.out, "F1\r\n\r\n\r\nx\r\n") << c.file;
        }
    }
}
