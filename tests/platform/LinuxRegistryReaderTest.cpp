#include "platform/LinuxRegistryReader.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using platform::kHkeyLocalMachine;
using platform::LinuxRegistryReader;
namespace fs = std::filesystem;

constexpr std::size_t kBuffer = 1024;

void makeFile(const fs::path& path, bool executable) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/true\n";
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
}

std::string text(const platform::RegistryReader::QueryResult& result) {
    return std::string(result.data.begin(), result.data.end());
}

class LinuxRegistryReaderTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::string searchPath() const {
        return (dir / "bin1").string() + ":" + (dir / "bin2").string();
    }
};

TEST_F(LinuxRegistryReaderTest, OpensOnlyTheSystemInformationKey) {
    LinuxRegistryReader registry(searchPath(), {"sysinfo"});
    EXPECT_TRUE(registry.open(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"));
    EXPECT_TRUE(registry.open(kHkeyLocalMachine, "software\\microsoft\\shared tools\\msinfo"));
    EXPECT_FALSE(registry.open(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location"));
    EXPECT_FALSE(registry.open(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools"));
    EXPECT_FALSE(registry.open(0x80000001u, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"));
}

TEST_F(LinuxRegistryReaderTest, PathIsTheFirstInstalledProgramInOrderOfPreference) {
    makeFile(dir / "bin1" / "second", true);
    makeFile(dir / "bin2" / "first", true);
    makeFile(dir / "bin1" / "third", true);
    LinuxRegistryReader registry(searchPath(), {"missing", "first", "second", "third"});
    auto key = registry.open(kHkeyLocalMachine, platform::kSysInfoPathKey);
    ASSERT_TRUE(key);
    auto value = registry.query(*key, "PATH", kBuffer);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, platform::kRegSz);
    EXPECT_FALSE(value->moreData);
    EXPECT_EQ(text(*value), (dir / "bin2" / "first").string() + std::string(1, '\0'));
    EXPECT_TRUE(registry.query(*key, "path", kBuffer));
}

TEST_F(LinuxRegistryReaderTest, SkipsWhatCannotBeRun) {
    makeFile(dir / "bin1" / "tool", false);         // not executable
    fs::create_directories(dir / "bin2" / "tool");  // a folder
    makeFile(dir / "relative" / "tool", true);      // only on a relative search entry
    LinuxRegistryReader noProgram(searchPath() + "::relative", {"tool"});
    EXPECT_EQ(noProgram.findSysInfoProgram(), std::nullopt);
    auto key = noProgram.open(kHkeyLocalMachine, platform::kSysInfoPathKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(noProgram.query(*key, "PATH", kBuffer));

    makeFile(dir / "bin3" / "tool", true);
    LinuxRegistryReader found(searchPath() + ":" + (dir / "bin3").string(), {"tool"});
    EXPECT_EQ(found.findSysInfoProgram(), (dir / "bin3" / "tool").string());
}

TEST_F(LinuxRegistryReaderTest, AnswersNothingElse) {
    makeFile(dir / "bin1" / "tool", true);
    LinuxRegistryReader registry(searchPath(), {"tool"});
    auto key = registry.open(kHkeyLocalMachine, platform::kSysInfoPathKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(registry.query(*key, "MSINFO", kBuffer));
    EXPECT_FALSE(registry.query(*key, "", kBuffer));
    EXPECT_FALSE(registry.query(*key + 1, "PATH", kBuffer));
    registry.close(*key);
    EXPECT_FALSE(registry.query(*key, "PATH", kBuffer)) << "a closed key answers nothing";
}

TEST_F(LinuxRegistryReaderTest, ValueLongerThanTheBufferReturnsNoData) {
    makeFile(dir / "bin1" / "tool", true);
    LinuxRegistryReader registry(searchPath(), {"tool"});
    const std::size_t exact = (dir / "bin1" / "tool").string().size() + 1;
    auto key = registry.open(kHkeyLocalMachine, platform::kSysInfoPathKey);
    ASSERT_TRUE(key);

    auto fits = registry.query(*key, "PATH", exact);
    ASSERT_TRUE(fits);
    EXPECT_FALSE(fits->moreData);
    EXPECT_EQ(fits->data.size(), exact);

    auto tooLong = registry.query(*key, "PATH", exact - 1);
    ASSERT_TRUE(tooLong);
    EXPECT_TRUE(tooLong->moreData);
    EXPECT_TRUE(tooLong->data.empty());
}

}  // namespace
