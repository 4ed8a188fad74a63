// Repair of every dialect the engine writes: what it mends, in place or by writing the table
// anew with backups, what it refuses, and that a failure or a kill at any call leaves the old
// table or the repaired one.
#include "engine/EngineError.h"
#include "engine/TableRepair.h"
#include "tests/engine/DamagedTables.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

using enginetest::kTable;
using enginetest::Sample;
using enginetest::sample;
using testsupport::Bytes;
using testsupport::MemoryFileSystem;

namespace {

struct Damage {
    const char* name;
    std::function<void(Sample&)> apply;
    bool rewritten;
    std::vector<std::string> names;  // the records' NAME afterwards
    bool memo = false;               // only for tables with a memo file
    int clearedRecord = -1;          // the record (from 0) whose memo pointer is cleared
};

const std::vector<Damage>& damages() {
    static const std::vector<Damage> all = {
        {"records past the count",
         [](Sample& table) { table.dbf[4] = 1; },
         false,
         {"Ann", "Bob", "Cy"}},
        {"no end mark", [](Sample& table) { table.dbf.pop_back(); }, false, {"Ann", "Bob", "Cy"}},
        {"an index flag without its index",
         [](Sample& table) { table.dbf[28] |= 1; },
         false,
         {"Ann", "Bob", "Cy"}},
        {"count, record length and index flag together",
         [](Sample& table) {
             table.dbf[4] = 2, table.dbf[28] |= 1;
             table.dbf[10] = static_cast<std::uint8_t>(table.dbf[10] - 1);
         },
         false,
         {"Ann", "Bob", "Cy"}},
        {"cut inside the last record",
         [](Sample& table) { table.dbf.resize(table.dbf.size() - 4); },
         true,
         {"Ann", "Bob"}},
        {"data after the records",
         [](Sample& table) { table.dbf.back() = 'x', table.dbf.push_back(0x1A); },
         true,
         {"Ann", "Bob", "Cy"}},
        {"a next free block past the end",
         [](Sample& table) { table.setNextFree(90); },
         false,
         {"Ann", "Bob", "Cy"},
         true},
        {"a dangling pointer",
         [](Sample& table) { table.point(3, 90); },
         true,
         {"Ann", "Bob", "Cy"},
         true,
         2},
        {"a dangling pointer and a wrong next free block",
         [](Sample& table) { table.point(1, 90), table.setNextFree(1); },
         true,
         {"Ann", "Bob", "Cy"},
         true,
         0},
    };
    return all;
}

const std::uint8_t kVersions[] = {0x03, 0x83, 0x8B, 0x04, 0x8C, 0xF5, 0x30};

std::vector<std::string> names(const MemoryFileSystem& files) {
    auto table = enginetest::openTable(files, kTable, false);
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < table->physicalCount(); ++i) {
        out.push_back(table->readField(i, 0).asText());
    }
    return out;
}

}  // namespace

TEST(TableRepairTest, EachDialectsDamageIsMendedInPlaceOrByARewriteWithBackups) {
    for (std::uint8_t version : kVersions) {
        for (const Damage& damage : damages()) {
            Sample table = sample(version);
            if (damage.memo && !table.hasMemo()) continue;
            SCOPED_TRACE(std::to_string(version) + ": " + damage.name);
            damage.apply(table);
            MemoryFileSystem files;
            table.putInto(files);
            const engine::TableRepairReport report = engine::repairTable(kTable, &files);
            EXPECT_FALSE(report.mended.empty());
            EXPECT_TRUE(report.after.sound())
                << engine::problemLine(report.after, report.after.problems[0]);
            EXPECT_EQ(report.rewritten, damage.rewritten);
            EXPECT_EQ(names(files), damage.names);
            if (damage.rewritten) {
                EXPECT_EQ(files.bytes(report.tableBackup), table.dbf);
                EXPECT_EQ(report.memoBackup.empty(), !files.exists(table.memoPath + ".bak"));
                if (!report.memoBackup.empty()) {
                    EXPECT_EQ(files.bytes(report.memoBackup), table.memo);
                }
            } else {
                EXPECT_FALSE(files.exists(std::string(kTable) + ".bak"));
            }
            if (damage.clearedRecord >= 0) {
                auto opened = enginetest::openTable(files, kTable, false);
                EXPECT_TRUE(opened->readField(static_cast<std::uint32_t>(damage.clearedRecord), 2)
                                .isNull());
                EXPECT_EQ(opened->readField(1, 2).asText(), "about Bob");
            }
        }
    }
}

TEST(TableRepairTest, AKillOrAFailureAtAnyCallLeavesTheOldTableOrTheRepairedOne) {
    // Each kind of repair: in place (one write), the table written anew, the table and its memo
    // file written anew. The files as they stand before each call are what a kill there leaves;
    // opened again (which finishes a replacement stopped between its renames), they hold the
    // old pair or the new one. A failing call is reported with the old pair in place, or one
    // that could not be undone says so and the next open finishes it.
    for (std::uint8_t version : {0x8B, 0x04, 0x30}) {
        for (const char* which : {"records past the count", "cut inside the last record",
                                  "a dangling pointer and a wrong next free block"}) {
            SCOPED_TRACE(std::to_string(version) + ": " + which);
            const Damage& damage =
                *std::find_if(damages().begin(), damages().end(),
                              [&](const Damage& d) { return d.name == std::string(which); });
            Sample table = sample(version);
            if (damage.memo && !table.hasMemo()) continue;
            damage.apply(table);
            MemoryFileSystem files;
            table.putInto(files);
            std::vector<MemoryFileSystem> states;
            files.beforeEachCall([&](int) { states.push_back(files.copy()); });
            engine::repairTable(kTable, &files);
            files.clearPlanned();
            const int total = files.totalCalls();
            const Bytes repaired = files.bytes(kTable);
            const Bytes repairedMemo = table.hasMemo() ? files.bytes(table.memoPath) : Bytes();
            auto expectOldOrNew = [&](const MemoryFileSystem& state, bool mayBeNew) {
                enginetest::openTable(state, kTable, false);
                const bool isNew = state.bytes(kTable) == repaired;
                EXPECT_TRUE(isNew || state.bytes(kTable) == table.dbf);
                EXPECT_TRUE(mayBeNew || !isNew);
                if (table.hasMemo()) {
                    EXPECT_EQ(state.bytes(table.memoPath), isNew ? repairedMemo : table.memo);
                }
            };
            for (const MemoryFileSystem& state : states) expectOldOrNew(state, true);
            for (int call = 1; call <= total; ++call) {
                MemoryFileSystem failing;
                table.putInto(failing);
                failing.failAtCall(call, ENOSPC);
                std::string failure;
                try {
                    engine::repairTable(kTable, &failing);
                } catch (const engine::EngineError& error) {
                    failure = error.what();
                }
                failing.clearPlanned();
                expectOldOrNew(failing, failure.empty() ||
                                            failure.find("half way") != std::string::npos ||
                                            failure.find("was made") != std::string::npos);
            }
        }
    }
}

TEST(TableRepairTest, RefusedWhileAnotherProgramWritesOrForTheTablesOwnReasonsChangingNothing) {
    MemoryFileSystem files;
    Sample table = sample(0x8B);
    table.dbf.pop_back();
    table.putInto(files);
    auto refusal = [&] {
        try {
            engine::repairTable(kTable, &files);
        } catch (const engine::EngineError& error) {
            return std::string(error.what());
        }
        return std::string("repaired");
    };
    {
        auto writer = enginetest::openTable(files, kTable);
        EXPECT_EQ(refusal(),
                  "Cannot repair t.dbf: another program has the table open for writing.");
    }
    files.put("/t/t.mdx", Bytes(512, 0));
    files.put(kTable, [&] {
        Bytes flagged = table.dbf;
        flagged[28] = 1;
        return flagged;
    }());
    EXPECT_EQ(refusal(),
              "Cannot repair t.dbf: it has a production index (.mdx) that writing would make "
              "stale.");
    files.remove("/t/t.mdx");
    files.protect(kTable);
    EXPECT_NE(refusal().find("Cannot open /t/t.dbf"), std::string::npos);
    EXPECT_EQ(files.bytes(kTable)[28], 1);
    EXPECT_EQ(files.bytes(kTable).size(), table.dbf.size());
}
