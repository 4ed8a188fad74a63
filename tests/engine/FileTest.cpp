// The two file systems under the tables, on disk and in memory, answer every call alike; the
// memory one also fails, resizes or steps in at the call a test names.
#include "engine/EngineError.h"
#include "engine/dbf/File.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

using engine::EngineError;
using engine::dbf::File;
using testsupport::FileCall;
using testsupport::MemoryFileSystem;

namespace {

// A folder holding T.DBF ("abc") and t.Dbt, on disk or in memory.
struct Folder {
    explicit Folder(bool inMemory) : memory(inMemory) {
        base = inMemory ? "/m/" : dir.path().string() + "/";
        for (const char* name : {"T.DBF", "t.Dbt"}) {
            if (memory) {
                memoryFiles.put(base + name, {'a', 'b', 'c'});
            } else {
                std::ofstream(base + name) << "abc";
            }
        }
    }
    const engine::dbf::FileSystem& files() const {
        return memory ? static_cast<const engine::dbf::FileSystem&>(memoryFiles)
                      : engine::dbf::diskFileSystem();
    }
    bool memory;
    testsupport::TempDir dir;
    MemoryFileSystem memoryFiles;
    std::string base;
};

class FileTest : public testing::TestWithParam<bool> {};

TEST_P(FileTest, ReadsWritesLocksAndFindsCompanionsAlike) {
    Folder folder(GetParam());
    const auto& files = folder.files();
    const std::string path = folder.base + "T.DBF";
    auto file = files.open(path, File::Mode::ReadWrite);
    char buffer[8] = {};
    EXPECT_EQ(file->readAt(1, buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::string(buffer, 2), "bc");
    EXPECT_EQ(file->readAt(9, buffer, 1), 0u);
    file->writeAt(5, "xy", 2);  // past the end: the gap reads as zeros
    EXPECT_EQ(file->size(), 7u);
    file->readExactly(2, buffer, 5);
    EXPECT_EQ(std::string(buffer, 5), std::string("c\0\0xy", 5));
    EXPECT_THROW(file->readExactly(6, buffer, 2), EngineError);
    file->truncate(2);
    EXPECT_EQ(file->size(), 2u);

    // A byte lock keeps out another open of the same file, not the one holding it.
    auto other = files.open(path, File::Mode::ReadWrite);
    file->lockByte(1000, "busy");
    file->lockByte(1000, "busy");
    try {
        other->lockByte(1000, "busy");
        ADD_FAILURE() << "locked twice";
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(), "busy");
    }
    other->lockByte(1001, "busy");
    file->unlockByte(1000);
    other->lockByte(1000, "busy");

    EXPECT_EQ(files.findCompanion(path, ".dbt"), folder.base + "t.Dbt");
    EXPECT_FALSE(files.findCompanion(path, ".cpg"));
    EXPECT_EQ(files.writeAccess(path), 0);
    EXPECT_EQ(files.writeAccess(folder.base + "none.dbf"), ENOENT);
    try {
        files.open(folder.base + "none.dbf", File::Mode::ReadOnly);
        ADD_FAILURE() << "opened a missing file";
    } catch (const EngineError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open " + folder.base + "none.dbf: No such file or directory.");
    }
}

TEST_P(FileTest, MakesRenamesAndRemovesFilesAndSharesLocksAlike) {
    Folder folder(GetParam());
    const auto& files = folder.files();
    const std::string made = folder.base + "new.dbf";
    const std::string old = folder.base + "T.DBF";
    files.create(made, old)->writeAt(0, "xyz", 3);
    EXPECT_TRUE(files.exists(made));
    EXPECT_THROW(files.create(made, ""), EngineError);
    // Without replace a rename never takes the place of a file.
    try {
        files.rename(made, old, false);
        ADD_FAILURE() << "renamed over a file";
    } catch (const EngineError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot rename " + made + " to " + old + ": File exists.");
    }
    files.rename(made, folder.base + "moved.dbf", false);
    EXPECT_FALSE(files.exists(made));
    files.rename(folder.base + "moved.dbf", old, true);
    char buffer[3] = {};
    files.open(old, File::Mode::ReadOnly)->readExactly(0, buffer, 3);
    EXPECT_EQ(std::string(buffer, 3), "xyz");
    files.syncFolder(folder.base);
    files.remove(old);
    files.remove(old);  // nothing there: nothing to do
    EXPECT_FALSE(files.exists(old));

    // Shared locks keep out exclusive ones only; an open file's own lock is replaced by a new
    // one over it, and a lock to the end of the file reaches every byte past it.
    auto first = files.open(folder.base + "t.Dbt", File::Mode::ReadWrite);
    auto second = files.open(folder.base + "t.Dbt", File::Mode::ReadWrite);
    EXPECT_TRUE(first->lockWaiting(50, 1, File::LockKind::Shared));
    EXPECT_TRUE(second->lockWaiting(50, 1, File::LockKind::Shared));
    EXPECT_FALSE(second->lockWaiting(0, 0, File::LockKind::Exclusive));
    first->unlock(50, 1);
    EXPECT_TRUE(second->lockWaiting(0, 0, File::LockKind::Exclusive));
    EXPECT_FALSE(first->lockWaiting(1'000'000, 1, File::LockKind::Shared));
    second->unlock(0, 0);
    EXPECT_TRUE(first->lockWaiting(1'000'000, 1, File::LockKind::Shared));
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, FileTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "Memory" : "Disk");
                         });

TEST(MemoryFileTest, ChosenCallsFailResizeOrRunAnAction) {
    MemoryFileSystem files;
    files.put("/m/t.dbf", {1, 2, 3, 4});
    auto file = files.open("/m/t.dbf", File::Mode::ReadWrite);
    files.failAt("/m/t.dbf", FileCall::Write, 2, EIO);
    files.resizeAt("/m/t.dbf", FileCall::Read, 1, 2);
    int ran = 0;
    files.runAt("/m/t.dbf", FileCall::Size, 2, [&] { ++ran; });
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(file->readAt(0, buffer, 4), 2u);  // cut to 2 bytes first
    file->writeAt(0, "a", 1);
    try {
        file->writeAt(0, "b", 1);
        ADD_FAILURE() << "the second write went through";
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(), "Cannot write to /m/t.dbf: Input/output error.");
    }
    file->writeAt(0, "c", 1);  // only the second write fails
    file->size();
    file->size();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(files.calls("/m/t.dbf", FileCall::Write), 3);
    EXPECT_EQ(files.bytes("/m/t.dbf"), (testsupport::Bytes{'c', 2}));
    // A protected file opens for reading only.
    files.protect("/m/t.dbf");
    EXPECT_EQ(files.writeAccess("/m/t.dbf"), EACCES);
    EXPECT_THROW(files.open("/m/t.dbf", File::Mode::ReadWrite), EngineError);
    EXPECT_THROW(files.open("/m/t.dbf", File::Mode::ReadOnly)->writeAt(0, "x", 1), EngineError);
}

}  // namespace
