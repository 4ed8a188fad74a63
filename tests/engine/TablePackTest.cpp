// Pack keeps the header and the live records byte for byte (but for the count, the date and memo
// pointers), carries only live memos over, and leaves the old table or the new one whatever
// fails or is killed, in every dialect the engine writes.
#include "engine/EngineError.h"
#include "engine/TablePack.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

using engine::EngineError;
using engine::packTable;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::MemoryFileSystem;

namespace {

const std::string kTable = "/t/people.dbf";
const std::string kMemo = "/t/people.dbt";
const std::string kLongMemo(1500, 'a');

struct Dialect {
    const char* name;
    std::uint8_t version;
    bool memo;
};
const Dialect kDialects[] = {
    {"dBASE III", 0x03, false}, {"dBASE III memo", 0x83, true}, {"dBASE IV memo", 0x8B, true},
    {"dBASE 7", 0x04, false},   {"dBASE 7 memo", 0x8C, true},
};

// Live Ann (a long memo), deleted Bob, live Cy (no memo), deleted Dot; the deleted memos hold
// words found nowhere else.
DbfBuilder peopleTable(const Dialect& dialect) {
    DbfBuilder table(dialect.version);
    table.field("NAME", 'C', 10);
    if (dialect.memo) table.field("NOTE", 'M', 10);
    if (dialect.version == 0x04 || dialect.version == 0x8C) {
        table.field("ID", '+', 4).counter(9);
        Bytes properties(48, 0);
        properties[40] = 'P';
        table.fieldProperties(properties);
    }
    auto row = [&](const std::string& name, const std::string& note, const char* id) {
        std::vector<std::string> values{name};
        if (dialect.memo) values.push_back(note);
        if (dialect.version == 0x04 || dialect.version == 0x8C) values.push_back(id);
        return values;
    };
    table.record(row("Ann", kLongMemo, "1"))
        .record(row("Bob", "BOBSECRET", "2"), true)
        .record(row("Cy", "", "3"))
        .record(row("Dot", "DOTSECRET", "4"), true);
    return table;
}

// "NAME/NOTE" of every live record, and the deleted count, as the engine reads them.
std::string readBack(const engine::dbf::FileSystem& files) {
    auto table = enginetest::openTable(files, kTable, false);
    std::string out;
    std::vector<engine::Value> row;
    const auto deleted = table->deletedRecords();
    for (std::uint32_t i = 0; i < table->physicalCount(); ++i) {
        if (std::find(deleted.begin(), deleted.end(), i) != deleted.end()) continue;
        table->readRecord(i, row);
        out += row[0].asText();
        if (row.size() > 1 && row[1].kind() == engine::Value::Kind::Text) {
            out += "/" + std::to_string(row[1].asText().size());
        }
        out += " ";
    }
    return out + std::to_string(deleted.size()) + " deleted";
}

bool contains(const Bytes& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

TEST(TablePackTest, KeepsTheHeaderAndLiveRecordsAndOnlyTheirMemosInEveryDialect) {
    for (const Dialect& dialect : kDialects) {
        SCOPED_TRACE(dialect.name);
        MemoryFileSystem files;
        const DbfBuilder built = peopleTable(dialect);
        testsupport::putTable(files, built, "/t/people");
        const Bytes oldTable = files.bytes(kTable);
        const engine::PackResult result = packTable(kTable, &files);
        EXPECT_EQ(result.kept, 2u);
        EXPECT_EQ(result.removed, 2u);
        EXPECT_EQ(result.tableBackup, kTable + ".bak");
        EXPECT_EQ(files.bytes(result.tableBackup), oldTable);
        EXPECT_EQ(readBack(files), dialect.memo ? "Ann/1500 Cy 0 deleted" : "Ann Cy 0 deleted");

        // The header but for date and count, and the live records but for memo pointers.
        const Bytes& table = files.bytes(kTable);
        auto opened = enginetest::openTable(files, kTable, false);
        const std::size_t headerLength = opened->header().headerLength;
        const std::size_t recordLength = opened->header().recordLength;
        ASSERT_EQ(table.size(), headerLength + 2 * recordLength + 1);
        EXPECT_EQ(table.back(), 0x1A);
        EXPECT_EQ(table[4], 2);
        Bytes header(table.begin(), table.begin() + static_cast<long>(headerLength));
        Bytes oldHeader(oldTable.begin(), oldTable.begin() + static_cast<long>(headerLength));
        for (std::size_t at : {1, 2, 3, 4}) header[at] = oldHeader[at] = 0;
        EXPECT_EQ(header, oldHeader);
        for (int live = 0; live < 2; ++live) {
            const auto oldAt = static_cast<long>(headerLength + 2 * live * recordLength);
            const auto newAt = static_cast<long>(headerLength + live * recordLength);
            Bytes before(oldTable.begin() + oldAt, oldTable.begin() + oldAt + 11);
            Bytes after(table.begin() + newAt, table.begin() + newAt + 11);
            EXPECT_EQ(after, before) << "record " << live;
        }
        if (dialect.memo) {
            EXPECT_EQ(result.memoBackup, kMemo + ".bak");
            EXPECT_EQ(files.bytes(result.memoBackup), built.dbt());
            EXPECT_FALSE(contains(files.bytes(kMemo), "SECRET"));
            EXPECT_TRUE(contains(files.bytes(kMemo + ".bak"), "BOBSECRET"));
            EXPECT_LT(files.bytes(kMemo).size(), built.dbt().size());
        }
        // A second pack finds nothing to remove and keeps the first backups.
        EXPECT_EQ(packTable(kTable, &files).tableBackup, kTable + ".1.bak");
        EXPECT_EQ(files.bytes(kTable + ".bak"), oldTable);
    }
}

TEST(TablePackTest, AKilledOrFailingPackLeavesTheOldTableOrTheNewOne) {
    // A kill before any call (the files as they stand then, opened again) and a failure at any
    // call: the old table with its deleted records, or the new one without them, memos whole.
    for (const Dialect& dialect : {kDialects[2], kDialects[4]}) {
        SCOPED_TRACE(dialect.name);
        const DbfBuilder built = peopleTable(dialect);
        const std::string before = "Ann/1500 Cy 2 deleted", after = "Ann/1500 Cy 0 deleted";
        MemoryFileSystem files;
        testsupport::putTable(files, built, "/t/people");
        std::vector<MemoryFileSystem> states;
        files.beforeEachCall([&](int) { states.push_back(files.copy()); });
        packTable(kTable, &files);
        files.clearPlanned();
        const int total = files.totalCalls();
        for (std::size_t at = 0; at < states.size(); ++at) {
            SCOPED_TRACE("killed before call " + std::to_string(at + 1));
            const std::string seen = readBack(states[at]);
            EXPECT_TRUE(seen == before || seen == after) << seen;
        }
        for (int nth = 1; nth <= total; ++nth) {
            SCOPED_TRACE("call " + std::to_string(nth) + " fails");
            MemoryFileSystem failing;
            testsupport::putTable(failing, built, "/t/people");
            failing.failAtCall(nth, ENOSPC);
            std::string failure;
            try {
                packTable(kTable, &failing);
            } catch (const EngineError& error) {
                failure = error.what();
                EXPECT_EQ(failure.rfind("Cannot pack people.dbf: ", 0), 0u) << failure;
            }
            failing.clearPlanned();
            EXPECT_EQ(readBack(failing), failure.empty() ? after : before) << failure;
            if (!failure.empty()) {
                EXPECT_EQ(failing.bytes(kTable), built.dbf()) << failure;
            }
        }
    }
}

TEST(TablePackTest, RefusesWhatItCannotPackWholeAndChangesNothing) {
    struct Case {
        const char* why;
        std::function<void(MemoryFileSystem&)> damage;
        const char* message;
    };
    const Case cases[] = {
        {"memo file missing", [](MemoryFileSystem& files) { files.remove(kMemo); },
         "Cannot pack people.dbf: its memo file is missing."},
        {"production index",
         [](MemoryFileSystem& files) {
             Bytes table = files.bytes(kTable);
             table[28] = 1;
             files.put(kTable, table);
             files.put("/t/people.mdx", {0});
         },
         "Cannot pack people.dbf: it has a production index (.mdx) that writing would make "
         "stale."},
        {"memo past the end",
         [](MemoryFileSystem& files) {
             Bytes memo = files.bytes(kMemo);
             memo.resize(512);
             files.put(kMemo, memo);
         },
         "Cannot pack people.dbf: the memo of record 1, field NOTE, cannot be read whole (it lies "
         "past the end of the memo file)."},
        {"records past the count",
         [](MemoryFileSystem& files) {
             Bytes table = files.bytes(kTable);
             table[4] = 3;
             files.put(kTable, table);
         },
         "Cannot pack people.dbf: its file holds records past the count in its header, which a "
         "pack would lose."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        MemoryFileSystem files;
        testsupport::putTable(files, peopleTable(kDialects[2]), "/t/people");
        c.damage(files);
        const std::vector<std::string> paths = files.paths();
        try {
            packTable(kTable, &files);
            ADD_FAILURE() << "packed";
        } catch (const EngineError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_EQ(files.paths(), paths);
    }
}

}  // namespace
