// quillon-cli export, run as a separate process.
#include "tests/export/WorkbookReaders.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

using testsupport::ReadCell;

TEST(ExportCommandTest, WritesTheWorkbookAndPrintsTheSuccessMessage) {
    testsupport::TempDir dir;
    // Code page 866 (language driver 0x26): the names reach the workbook as Unicode.
    std::filesystem::path table = testsupport::DbfBuilder(0x03)
                                      .languageDriver(0x26)
                                      .field("NAME", 'C', 8)
                                      .field("QTY", 'N', 4)
                                      .record({"\x8f\xa5\xe2\xe0", "7"})
                                      .write(dir.path(), "t");
    std::string out = (dir / "t.xls").string();
    testsupport::CommandResult result =
        testsupport::runCommand(QUILLON_CLI, {"export", table, out});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Success export to excel\n");
    testsupport::ReadSheet sheet = testsupport::readWithXlrd(out);
    EXPECT_EQ(*sheet.at(0, 1), (ReadCell{"text", "QTY"}));
    EXPECT_EQ(*sheet.at(2, 0), (ReadCell{"text", "Петр"}));
    EXPECT_EQ(*sheet.at(2, 1), (ReadCell{"number", "7.0"}));

    // The encoding option overrides the table's code page.
    std::string latin = (dir / "latin.xls").string();
    result = testsupport::runCommand(QUILLON_CLI, {"export", table, latin, "--encoding", "CP1252"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(testsupport::readWithFreexl(latin).at(2, 0)->value,
              "\xc2\x8f\xc2\xa5\xc3\xa2\xc3\xa0");
}

TEST(ExportCommandTest, NumbersWrittenAsTextAreAWarningBesideTheSuccessMessage) {
    testsupport::TempDir dir;
    std::filesystem::path table = testsupport::DbfBuilder(0x03)
                                      .field("BIG", 'N', 19)
                                      .record({"1234567890123456789"})
                                      .write(dir.path(), "t");
    testsupport::CommandResult result =
        testsupport::runCommand(QUILLON_CLI, {"export", table, (dir / "t.xls").string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "Success export to excel\n");
    EXPECT_EQ(result.err,
              "warning: Field BIG holds numbers of more than 15 significant digits, more than a "
              "spreadsheet number keeps: they were exported as text, with all their digits.\n");
}

TEST(ExportCommandTest, AnExportKilledPartWayLeavesNothingToSee) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    testsupport::DbfBuilder builder(0x03);
    builder.field("NAME", 'C', 40).field("QTY", 'N', 10, 2);
    for (int i = 0; i < 30000; ++i) builder.record({"record " + std::to_string(i), "1.25"});
    const std::string table = builder.write(dir.path(), "t").string();
    auto names = [&] {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            found.insert(entry.path().filename().string());
        }
        return found;
    };
    for (const std::string name : {"out.xls", "out.xlsx", "out.csv"}) {
        const std::string out = (dir / name).string();
        for (int milliseconds : {30, 120, 300}) {
            testsupport::killAfter(QUILLON_CLI, {"export", table, out}, milliseconds);
            // A hidden file of ours is there only where files cannot be made without a name.
            for (const std::string& left : names()) {
                EXPECT_TRUE(left == "t.dbf" || left == name || left.rfind(".quillon-", 0) == 0)
                    << left << " after " << milliseconds << " ms of " << name;
            }
        }
        // The next save into the folder clears whatever the killed ones left.
        EXPECT_EQ(testsupport::runCommand(QUILLON_CLI, {"export", table, out}).exitStatus, 0);
        EXPECT_EQ(names(), (std::set<std::string>{"t.dbf", name}));
        fs::remove(out);
    }
}

TEST(ExportCommandTest, CsvIsTheDumpByteForByteAndXlsxIsChosenByTheExtension) {
    testsupport::TempDir dir;
    std::filesystem::path table =
        testsupport::DbfBuilder(0x83)
            .field("NAME", 'C', 12)
            .field("QTY", 'N', 6, 2)
            .field("DAY", 'D', 8)
            .field("OK", 'L', 1)
            .field("NOTE", 'M', 10)
            .record({"a, \"b\"", "-1.50", "20240229", "T", "two\r\nlines"})
            .record({"", "", "", "?", ""})
            .record({"=SUM(A1)", "7", "19000101", "F", "caf\xe9"})
            .write(dir.path(), "t");
    testsupport::CommandResult dump = testsupport::runCommand(QUILLON_CLI, {"dump", table});
    ASSERT_EQ(dump.exitStatus, 0) << dump.err;
    for (const char* name : {"out.csv", "OUT.CSV"}) {
        const std::string csv = (dir / name).string();
        testsupport::CommandResult result =
            testsupport::runCommand(QUILLON_CLI, {"export", table, csv});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, "Success export to excel\n");
        EXPECT_EQ(result.err, "");  // no progress: standard error is not a terminal
        const testsupport::Bytes bytes = testsupport::readFileBytes(csv);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), dump.out) << name;
    }
    const std::string xlsx = (dir / "t.xlsx").string();
    EXPECT_EQ(testsupport::runCommand(QUILLON_CLI, {"export", table, xlsx}).exitStatus, 0);
    testsupport::ReadSheet sheet = testsupport::readWithOpenpyxl(xlsx);
    EXPECT_EQ(*sheet.at(2, 0), (ReadCell{"text", "a, \"b\""}));
    // Its carriage return is stored as _x000D_, which openpyxl does not decode.
    EXPECT_EQ(*sheet.at(2, 4), (ReadCell{"text", "two_x000D_\nlines"}));
    EXPECT_EQ(*sheet.at(4, 0), (ReadCell{"text", "=SUM(A1)"}));
    EXPECT_EQ(*sheet.at(4, 2), (ReadCell{"date", "1900-01-01"}));
    EXPECT_EQ(*sheet.at(4, 4), (ReadCell{"text", "caf\xc3\xa9"}));
}

TEST(ExportCommandTest, FailuresExitWithTheDescriptionAndNoFile) {
    testsupport::TempDir dir;
    std::filesystem::path table =
        testsupport::DbfBuilder().field("A", 'C', 1).record({"x"}).write(dir.path(), "t");
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"export", (dir / "none.dbf").string(), (dir / "a.xls").string()}, "none.dbf"},
        {{"export", table.string(), table.string()}, "file of the open table"},
        {{"export", table.string()}, "usage"},
    };
    for (const Case& c : cases) {
        testsupport::CommandResult result = testsupport::runCommand(QUILLON_CLI, c.arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a.xls"));
    EXPECT_EQ(testsupport::readFileBytes(table).size(), 32u + 32 + 1 + 2 + 1);
}

}  // namespace
