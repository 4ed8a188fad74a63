// quillon-cli export, run as a separate process.
#include "tests/export/WorkbookReaders.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

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
