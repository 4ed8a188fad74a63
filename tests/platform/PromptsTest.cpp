// The extension a chosen save-dialog filter gives a name without one, and temporary files beside
// their target.
#include "base/TemporaryFile.h"
#include "platform/Prompts.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

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

TEST(TemporaryFileTest, LeavesNothingBehindButTheTargetItReplaces) {
    testsupport::TempDir dir;
    namespace fs = std::filesystem;
    const std::string target = (dir / "out.csv").string();
    testsupport::writeFileBytes(target, {'o', 'l', 'd'});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    // Left by killed saves (one still being made, by its lock), and files that only look so.
    const std::pair<const char*, bool> others[] = {{".quillon-new-12-out.csv", false},
                                                   {".quillon-sheets-7-out.xlsx", false},
                                                   {".quillon-new-13-out.csv", true},
                                                   {".quillon-notes", true},
                                                   {".quillon-new-x-out.csv", true}};
    for (const auto& [name, kept] : others) testsupport::writeFileBytes(dir / name, {'x'});
    const int holder = ::open((dir / ".quillon-new-13-out.csv").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    { base::TemporaryFile dropped(target, "new"); }
    for (const auto& [name, kept] : others) EXPECT_EQ(fs::exists(dir / name), kept) << name;
    ::close(holder);
    {
        base::TemporaryFile kept(target, "new");
        testsupport::writeFileBytes(kept.path(), {'n', 'e', 'w'});
        kept.replace(target);
    }
    EXPECT_EQ(testsupport::readFileBytes(target), (testsupport::Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    {
        // Placed, a file never replaces one.
        base::TemporaryFile placed(target, "new");
        testsupport::writeFileBytes(placed.path(), {'p'});
        try {
            placed.place(target);
            ADD_FAILURE() << "placed over a file";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code().value(), EEXIST);
        }
        placed.place((dir / "fresh.csv").string());
    }
    EXPECT_EQ(testsupport::readFileBytes(target), (testsupport::Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(testsupport::readFileBytes(dir / "fresh.csv"), (testsupport::Bytes{'p'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}),
              4);  // out.csv, fresh.csv, two look-alikes
    EXPECT_THROW(base::TemporaryFile((dir / "none" / "x").string(), "new"), std::system_error);
}

}  // namespace
