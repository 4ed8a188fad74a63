// The Replace scan: exact text comparison, one store per match, failures partway.
#include "engine/EngineError.h"
#include "engine/Replace.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cerrno>

using engine::EngineError;
using engine::Value;
using enginetest::openSet;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

std::filesystem::path table(const TempDir& dir) {
    return DbfBuilder(0x83)
        .field("NAME", 'C', 6)
        .field("QTY", 'N', 3)
        .field("NOTE", 'M', 10)
        .record({"abc", "5", "abc"})
        .record({"ABC", "5", ""})
        .record({"abc", "6", "abc "})
        .record({"", "5", ""})
        .record({" abc", "7", ""})
        .record({"abc", "8", ""}, true)
        .write(dir.path(), "t");
}

std::vector<std::string> column(const std::filesystem::path& path, int field) {
    auto set = openSet(path, true);
    std::vector<std::string> values;
    for (long p = 0; p < set->RecordCount(); ++p) {
        Value value = set->readValue(p, field);
        values.push_back(value.isNull() ? "<null>" : value.toString());
    }
    return values;
}

}  // namespace

TEST(ReplaceTest, ChangesExactlyTheRecordsWhoseTextIsTheOldValue) {
    TempDir dir;
    auto path = table(dir);
    auto set = openSet(path);
    // Trailing pad spaces are not part of a character value; case and leading spaces are.
    EXPECT_EQ(engine::ReplaceValues(*set, "name", "abc", Value::text("xyz")).replaced, 2);
    EXPECT_TRUE(set->IsEOF());
    EXPECT_EQ(column(path, 0), (std::vector<std::string>{"xyz", "ABC", "xyz", "<null>", " abc"}));
    // Memo text counts as text and is compared exactly too.
    EXPECT_EQ(engine::ReplaceValues(*set, "NOTE", "abc", Value::text("memo")).replaced, 1);
    EXPECT_EQ(column(path, 2),
              (std::vector<std::string>{"memo", "<null>", "abc ", "<null>", "<null>"}));
}

TEST(ReplaceTest, NumbersAndNullsNeverMatch) {
    TempDir dir;
    auto path = table(dir);
    auto set = openSet(path);
    EXPECT_EQ(engine::ReplaceValues(*set, "QTY", "5", Value::text("9")).replaced, 0);
    EXPECT_EQ(engine::ReplaceValues(*set, "NAME", "", Value::text("9")).replaced, 0);
    EXPECT_EQ(column(path, 1), (std::vector<std::string>{"5", "5", "6", "5", "7"}));
}

TEST(ReplaceTest, AnEmptyNewValueStoresABlankField) {
    TempDir dir;
    auto path = table(dir);
    auto set = openSet(path);
    EXPECT_EQ(engine::ReplaceValues(*set, "NAME", "ABC", Value::text("")).replaced, 1);
    EXPECT_EQ(column(path, 0)[1], "<null>");
}

TEST(ReplaceTest, FailuresStopTheScanAndKeepWhatWasStored) {
    TempDir dir;
    auto path = table(dir);
    // A value the field cannot hold fails at the first match's store.
    {
        auto set = openSet(path);
        EXPECT_THROW(engine::ReplaceValues(*set, "NAME", "abc", Value::text("too long")),
                     EngineError);
        EXPECT_EQ(set->AbsolutePosition(), 0);
    }
    // An unknown field fails at the first lookup; an empty set at its first move.
    auto set = openSet(path);
    EXPECT_THROW(engine::ReplaceValues(*set, "PRICE", "abc", Value::text("x")), EngineError);
    // A read-only set fails at the first match's Edit, and only then.
    auto readOnly = openSet(path, true);
    EXPECT_EQ(engine::ReplaceValues(*readOnly, "NAME", "nothing", Value::text("x")).replaced, 0);
    EXPECT_THROW(engine::ReplaceValues(*readOnly, "NAME", "abc", Value::text("x")), EngineError);
    EXPECT_EQ(column(path, 0)[0], "abc");
    auto empty = openSet(DbfBuilder(0x03).field("NAME", 'C', 3).write(dir.path(), "empty"));
    try {
        engine::ReplaceValues(*empty, "NAME", "a", Value::text("b"));
        ADD_FAILURE();
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(), "No current record.");
    }
}

TEST(ReplaceTest, ProgressHearsOfEveryRecordAndStopsTheScanBetweenRecords) {
    TempDir dir;
    auto path = table(dir);
    struct Case {
        long stopAfter;  // 0: never
        long visited, replaced;
        bool cancelled;
        long position;  // where the set stands afterwards
    };
    // Records: abc, ABC, abc, null, " abc"; stopping after the last comes too late to stop.
    for (const Case& c : {Case{0, 5, 2, false, -1}, Case{1, 1, 1, true, 1}, Case{3, 3, 2, true, 3},
                          Case{5, 5, 2, false, -1}}) {
        auto set = openSet(path);
        std::vector<std::pair<long, long>> heard;
        const engine::ReplaceOutcome outcome = engine::ReplaceValues(
            *set, "NAME", "abc", Value::text("abc"), [&](long done, long total) {
                heard.emplace_back(done, total);
                return c.stopAfter == 0 || done < c.stopAfter;
            });
        EXPECT_EQ(outcome.visited, c.visited) << c.stopAfter;
        EXPECT_EQ(outcome.replaced, c.replaced) << c.stopAfter;
        EXPECT_EQ(outcome.cancelled, c.cancelled) << c.stopAfter;
        EXPECT_EQ(set->AbsolutePosition(), c.position) << c.stopAfter;
        ASSERT_EQ(heard.size(), static_cast<std::size_t>(c.visited));
        EXPECT_EQ(heard.back(), (std::pair<long, long>{c.visited, 5}));
    }
}

TEST(ReplaceTest, AFullDiskPartWaySaysHowManyRecordsWereReplaced) {
    // Four matching memo records; the nth write to the table or its memo file fails. Whatever
    // write fails, the description counts exactly the records the files hold replaced.
    const DbfBuilder table = DbfBuilder(0x83)
                                 .field("NAME", 'C', 4)
                                 .field("NOTE", 'M', 10)
                                 .record({"a", "old"})
                                 .record({"b", "old"})
                                 .record({"c", "keep"})
                                 .record({"d", "old"})
                                 .record({"e", "old"});
    int withCount = 0;
    for (const char* file : {"/t/t.dbf", "/t/t.dbt"}) {
        for (int nth = 1;; ++nth) {
            testsupport::MemoryFileSystem files;
            const std::string path = testsupport::putTable(files, table, "/t/t");
            engine::Recordset set(enginetest::openTable(files, path),
                                  engine::Recordset::Kind::Dynaset, false);
            files.failAt(file, testsupport::FileCall::Write, nth, ENOSPC);
            std::string message;
            try {
                engine::ReplaceValues(set, "NOTE", "old", Value::text("a new note"));
            } catch (const EngineError& error) {
                message = error.what();
            }
            if (message.empty()) break;  // every write of the scan came before the nth
            long stored = 0;
            auto reread = enginetest::openTable(files, path, false);
            for (std::uint32_t p = 0; p < 5; ++p) {
                stored += reread->readField(p, 1) == Value::text("a new note") ? 1 : 0;
            }
            const std::string failure =
                std::string("Cannot write to ") + file + ": No space left on device.";
            const std::string expected = stored == 0
                                             ? failure
                                             : "Replaced " + std::to_string(stored) +
                                                   " of the matching records, then: " + failure;
            EXPECT_EQ(message, expected) << file << " write " << nth;
            withCount += stored > 0;
        }
    }
    EXPECT_GE(withCount, 4);  // failures after one, two and three replaced records were met
}
