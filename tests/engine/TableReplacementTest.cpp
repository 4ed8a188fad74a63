// A table rewritten whole is the old table or the new one whatever happens: a failure at any call,
// a kill at any call (the files as they stand before it, opened again), another writer.
#include "engine/EngineError.h"
#include "engine/dbf/TableReplacement.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cerrno>

using engine::EngineError;
using engine::dbf::File;
using engine::dbf::FileSystem;
using engine::dbf::TableReplacement;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::MemoryFileSystem;

namespace {

const std::string kTable = "/t/people.dbf";
const std::string kMemo = "/t/people.dbt";

struct Pair {
    Bytes dbf;
    Bytes dbt;
};

Pair tableOf(const std::string& name, const std::string& note) {
    DbfBuilder table(0x8B);
    table.field("NAME", 'C', 10).field("NOTE", 'M', 10).record({name, note});
    return {table.dbf(), table.dbt()};
}

const Pair kOld = tableOf("Ann", "first");
const Pair kNew = tableOf("Bob", std::string(600, 's'));

void put(MemoryFileSystem& files, const Pair& pair) {
    files.put(kTable, pair.dbf);
    files.put(kMemo, pair.dbt);
}

// Rewrites the table at table (with memo) into next, as a tool does.
TableReplacement::Backups replaceWith(const FileSystem& files, const Pair& next,
                                      const std::string& table = kTable,
                                      const std::string& memo = kMemo) {
    auto file = files.open(table, File::Mode::ReadWrite);
    TableReplacement replacement(files, *file, memo, "rewrite");
    replacement.newTable().writeAt(0, next.dbf.data(), next.dbf.size());
    replacement.newMemo()->writeAt(0, next.dbt.data(), next.dbt.size());
    return replacement.commit();
}

// The record as the engine opens it: "NAME/NOTE" (its length for a long note).
std::string readBack(const FileSystem& files) {
    auto table = enginetest::openTable(files, kTable, false);
    std::vector<engine::Value> row;
    table->readRecord(0, row);
    const std::string note = row[1].asText();
    return row[0].asText() + "/" + (note.size() > 20 ? std::to_string(note.size()) : note);
}

bool hasLeftovers(const MemoryFileSystem& files) {
    for (const std::string& path : files.paths()) {
        if (path.rfind("/t/.", 0) == 0) return true;
    }
    return false;
}

TEST(TableReplacementTest, NewFilesTakeThePlaceOfTheOldWhichBecomeNumberedBackups) {
    for (bool onDisk : {false, true}) {
        SCOPED_TRACE(onDisk ? "disk" : "memory");
        testsupport::TempDir dir;
        MemoryFileSystem memory;
        const FileSystem& files = onDisk ? engine::dbf::diskFileSystem() : memory;
        const std::string folder = onDisk ? dir.path().string() : "/t";
        const std::string table = folder + "/people.dbf";
        const std::string memo = folder + "/people.dbt";
        for (const auto& [path, bytes] : {std::pair{table, kOld.dbf}, {memo, kOld.dbt}}) {
            files.create(path, "")->writeAt(0, bytes.data(), bytes.size());
        }
        // A backup of the memo file's second number is there already: the pair takes the third.
        files.create(memo + ".1.bak", "")->writeAt(0, "mine", 4);
        const auto first = replaceWith(files, kNew, table, memo);
        EXPECT_EQ(first.table, table + ".bak");
        EXPECT_EQ(first.memo, memo + ".bak");
        const auto second = replaceWith(files, kOld, table, memo);
        EXPECT_EQ(second.table, table + ".2.bak");
        EXPECT_EQ(second.memo, memo + ".2.bak");
        auto bytesOf = [&](const std::string& path) {
            auto file = files.open(path, File::Mode::ReadOnly);
            Bytes bytes(file->size());
            file->readExactly(0, bytes.data(), bytes.size());
            return bytes;
        };
        EXPECT_EQ(bytesOf(table), kOld.dbf);
        EXPECT_EQ(bytesOf(memo), kOld.dbt);
        EXPECT_EQ(bytesOf(first.table), kOld.dbf);
        EXPECT_EQ(bytesOf(first.memo), kOld.dbt);
        EXPECT_EQ(bytesOf(second.table), kNew.dbf);
        EXPECT_EQ(bytesOf(second.memo), kNew.dbt);
        EXPECT_EQ(bytesOf(memo + ".1.bak"), (Bytes{'m', 'i', 'n', 'e'}));
        EXPECT_FALSE(files.exists(folder + "/.people.dbf.new"));
        EXPECT_FALSE(files.exists(folder + "/.people.dbt.ready"));
    }
}

TEST(TableReplacementTest, IsRefusedWhileAnotherOpenFileHoldsALockAndKeepsWritersOut) {
    for (bool onDisk : {false, true}) {
        SCOPED_TRACE(onDisk ? "disk" : "memory");
        testsupport::TempDir dir;
        MemoryFileSystem memory;
        const FileSystem& files = onDisk ? engine::dbf::diskFileSystem() : memory;
        const std::string table = onDisk ? (dir / "people.dbf").string() : kTable;
        const std::string memo = onDisk ? (dir / "people.dbt").string() : kMemo;
        files.create(table, "")->writeAt(0, kOld.dbf.data(), kOld.dbf.size());
        files.create(memo, "")->writeAt(0, kOld.dbt.data(), kOld.dbt.size());
        auto refusal = [&] {
            try {
                replaceWith(files, kNew, table, memo);
            } catch (const EngineError& error) {
                return std::string(error.what());
            }
            return std::string("replaced");
        };
        {
            auto writer = enginetest::openTable(files, table);  // idle, open for writing
            EXPECT_EQ(refusal(),
                      "Cannot rewrite people.dbf: another program has the table open for writing.");
        }
        {
            auto other = files.open(table, File::Mode::ReadWrite);  // a record lock
            other->lockByte(engine::dbf::recordLockOffset(0), "busy");
            EXPECT_NE(refusal().find("has the table open"), std::string::npos);
        }
        {
            auto other = files.open(memo, File::Mode::ReadWrite);  // a memo being written
            other->lockByte(engine::dbf::kHeaderLockOffset, "busy");
            EXPECT_EQ(refusal(),
                      "Cannot rewrite people.dbf: another program has its memo file open for "
                      "writing.");
        }
        // Nothing was left behind; a table opened while a replacement runs is read-only.
        EXPECT_FALSE(files.exists(table + ".bak"));
        auto file = files.open(table, File::Mode::ReadWrite);
        TableReplacement running(files, *file, memo, "rewrite");
        auto opened = enginetest::openTable(files, table);
        EXPECT_FALSE(opened->isWritable());
        EXPECT_EQ(opened->readOnlyReason(), "another program is rewriting it");
    }
}

TEST(TableReplacementTest, AProcessKilledAtAnyCallLeavesTheOldTableOrTheNewOne) {
    // The files as they stand before each call are what a kill there leaves. Opened again, each
    // is the old table or the new one with its own memo file (a kill between the renames is
    // finished by the open), and the next replacement cleans up whatever was left over.
    MemoryFileSystem files;
    put(files, kOld);
    std::vector<MemoryFileSystem> states;
    files.beforeEachCall([&](int) { states.push_back(files.copy()); });
    replaceWith(files, kNew);
    files.clearPlanned();
    states.push_back(files.copy());
    int oldOnes = 0, newOnes = 0;
    for (std::size_t at = 0; at < states.size(); ++at) {
        SCOPED_TRACE("killed before call " + std::to_string(at + 1));
        MemoryFileSystem& state = states[at];
        const std::string seen = readBack(state);
        ASSERT_TRUE(seen == "Ann/first" || seen == "Bob/600") << seen;
        (seen == "Ann/first" ? oldOnes : newOnes)++;
        if (seen == "Bob/600") {
            EXPECT_EQ(state.bytes(kTable + ".bak"), kOld.dbf);
            EXPECT_EQ(state.bytes(kMemo + ".bak"), kOld.dbt);
        }
        replaceWith(state, tableOf("Cy", "third"));
        EXPECT_EQ(readBack(state), "Cy/third");
        EXPECT_FALSE(hasLeftovers(state));
    }
    EXPECT_GT(oldOnes, 5);
    EXPECT_GT(newOnes, 0);
}

TEST(TableReplacementTest, AFailingCallIsReportedAndUndoneOrFinishedAtTheNextOpen) {
    // One call fails, or two: the second where the first's undoing runs. A failure reported is
    // the old table, with nothing left over, unless the undoing failed too, which says so and
    // leaves what the next open finishes; a replacement that returns is the new table.
    int total = 0;
    {
        MemoryFileSystem files;
        put(files, kOld);
        replaceWith(files, kNew);
        total = files.totalCalls();
    }
    for (int first = 1; first <= total; ++first) {
        for (int second = first; second <= first + 4; ++second) {
            SCOPED_TRACE("calls " + std::to_string(first) + " and " + std::to_string(second));
            MemoryFileSystem files;
            put(files, kOld);
            files.failAtCall(first, ENOSPC);
            if (second > first) files.failAtCall(second, EIO);
            std::string failure;
            try {
                replaceWith(files, kNew);
            } catch (const EngineError& error) {
                failure = error.what();
            }
            files.clearPlanned();
            const bool halfWay = failure.find("stopped half way") != std::string::npos;
            EXPECT_EQ(readBack(files), failure.empty() || halfWay ? "Bob/600" : "Ann/first")
                << failure;
            if (!failure.empty() && !halfWay) {
                EXPECT_FALSE(files.exists(kTable + ".bak")) << failure;
                // A second failure may keep the clean-up from its work, left to the next one.
                if (second == first) {
                    EXPECT_FALSE(hasLeftovers(files)) << failure;
                }
            }
        }
    }
}

}  // namespace
