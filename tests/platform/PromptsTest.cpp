// The extension a chosen save-dialog filter gives a name without one, and temporary files beside
// their target.
#include "platform/Prompts.h"
#include "platform/TemporaryFile.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kFilter =
    "Microsoft Excel files (*.xls)|*.xls|Excel workbook (*.xlsx)|*.xlsx|Any file|*.*";

TEST(PromptsTest, AChosenFilterAddsItsExtensionOnlyToANameWithout) {
    struct Case {
        const char* path;
        std::size_t entry;
        const char* result;
    };
    const Case cases[] = {
        {"/d/report", 0, "/d/report.xls"},
        {"/d/report", 1, "/d/report.xlsx"},
        {"/d/report.XLSX", 0, "/d/report.XLSX"},
        {"/d/report.csv", 1, "/d/report.csv"},
        {"/d/.hidden", 0, "/d/.hidden.xls"},
        {"/d/v1.2/report", 1, "/d/v1.2/report.xlsx"},
        {"/d/report", 2, "/d/report"},
        {"/d/report", 3, "/d/report"},
        {"/d/", 0, "/d/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::withFilterExtension(c.path, kFilter, c.entry), c.result)
            << c.path << " " << c.entry;
    }
}

TEST(TemporaryFileTest, LivesBesideItsTargetUntilItReplacesIt) {
    testsupport::TempDir dir;
    const std::string target = (dir / "out.csv").string();
    testsupport::writeFileBytes(target, {'o', 'l', 'd'});
    {
        platform::TemporaryFile dropped(target, "new");
        EXPECT_EQ(std::filesystem::path(dropped.path()).parent_path(), dir.path());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    {
        platform::TemporaryFile kept(target, "new");
        testsupport::writeFileBytes(kept.path(), {'n', 'e', 'w'});
        kept.replace(target);
    }
    EXPECT_EQ(testsupport::readFileBytes(target), (testsupport::Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_THROW(platform::TemporaryFile((dir / "none" / "x").string(), "new"), std::system_error);
}

}  // namespace
