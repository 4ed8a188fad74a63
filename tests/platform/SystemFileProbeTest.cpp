#include "platform/SystemFileProbe.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(SystemFileProbeTest, OnlyRegularFilesExist) {
    testsupport::TempDir dir;
    std::ofstream(dir / "file.exe") << "x";
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "file.exe", dir / "link");
    std::filesystem::create_symlink(dir / "gone", dir / "dangling");

    platform::SystemFileProbe probe;
    EXPECT_TRUE(probe.fileExists((dir / "file.exe").string()));
    EXPECT_TRUE(probe.fileExists((dir / "link").string()));
    EXPECT_FALSE(probe.fileExists((dir / "folder").string()));
    EXPECT_FALSE(probe.fileExists((dir / "dangling").string()));
    EXPECT_FALSE(probe.fileExists((dir / "missing").string()));
    EXPECT_FALSE(probe.fileExists(""));
}

}  // namespace
