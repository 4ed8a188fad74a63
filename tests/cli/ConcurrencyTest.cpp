// Two processes on one table at once, in every dialect the engine writes: two replaces of the
// same value, a dump during a replace, two appenders, opens during an append. Every record ends
// old or new, no update is lost and the counts add up.
#include "tests/cli/RunCli.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <future>
#include <map>
#include <sstream>

using clitest::cli;
using testsupport::CommandResult;
using testsupport::DbfBuilder;
using testsupport::FoxBuilder;
using testsupport::TempDir;

namespace {

namespace fs = std::filesystem;

// Records whose CODE is AAAA at even numbers and BBBB at odd ones, NAME "n" and the number; the
// tables that number records themselves have an ID field after them.
struct Dialect {
    const char* name;
    std::function<fs::path(const fs::path& folder, int records)> build;
};

std::string code(int i) { return i % 2 == 0 ? "AAAA" : "BBBB"; }
std::string name(int i) { return "n" + std::to_string(i); }

const Dialect kDialects[] = {
    {"dBASE III",
     [](const fs::path& folder, int records) {
         DbfBuilder table(0x03);
         table.field("CODE", 'C', 4).field("NAME", 'C', 8);
         for (int i = 0; i < records; ++i) table.record({code(i), name(i)});
         return table.write(folder, "t");
     }},
    {"dBASE IV with memo",
     [](const fs::path& folder, int records) {
         DbfBuilder table(0x8B);
         table.field("CODE", 'C', 4).field("NAME", 'C', 8).field("NOTE", 'M', 10);
         for (int i = 0; i < records; ++i) table.record({code(i), name(i), ""});
         return table.write(folder, "t");
     }},
    {"dBASE 7",
     [](const fs::path& folder, int records) {
         DbfBuilder table(0x04);
         table.field("CODE", 'C', 4).field("NAME", 'C', 8).field("ID", '+', 4);
         for (int i = 0; i < records; ++i) table.record({code(i), name(i), std::to_string(i + 1)});
         return table.counter(static_cast<std::uint32_t>(records + 1)).write(folder, "t");
     }},
    {"FoxPro 2",
     [](const fs::path& folder, int records) {
         FoxBuilder table(0xF5);
         table.field("CODE", 'C', 4).field("NAME", 'C', 8);
         for (int i = 0; i < records; ++i) table.record({code(i), name(i)});
         return table.write(folder, "t");
     }},
    {"Visual FoxPro",
     [](const fs::path& folder, int records) {
         // NAME may be null: its bit in the null flags must survive every store of CODE.
         FoxBuilder table(0x30);
         table.field("CODE", 'C', 4)
             .field("NAME", 'C', 8, 0, 0x02)
             .field("ID", 'I', 4, 0, 0x0C, static_cast<std::uint32_t>(records + 1), 1);
         for (int i = 0; i < records; ++i) {
             table.record({code(i), name(i), FoxBuilder::le32(i + 1)});
         }
         return table.write(folder, "t");
     }},
};

CommandResult worker(const std::vector<std::string>& arguments) {
    return testsupport::runCommand(TABLE_WORKER, arguments);
}

// Runs both at once and returns what each printed.
std::pair<CommandResult, CommandResult> together(std::function<CommandResult()> first,
                                                 std::function<CommandResult()> second) {
    auto a = std::async(std::launch::async, first);
    auto b = std::async(std::launch::async, second);
    return {a.get(), b.get()};
}

// The dumped rows, each its values.
std::vector<std::vector<std::string>> rows(const std::string& csv) {
    std::vector<std::vector<std::string>> out;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // the field names
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> values;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) values.push_back(cell);
        out.push_back(values);
    }
    return out;
}

long number(const CommandResult& result) {
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.exitStatus == 0 ? std::stol(result.out) : -1;
}

// Each record holds its NAME and, at even numbers, one of the codes allowed there, counted.
std::map<std::string, int> codesAt(const std::vector<std::vector<std::string>>& dumped, int records,
                                   const std::vector<std::string>& allowed) {
    std::map<std::string, int> seen;
    EXPECT_EQ(dumped.size(), static_cast<std::size_t>(records));
    for (int i = 0; i < records && i < static_cast<int>(dumped.size()); ++i) {
        const std::vector<std::string>& row = dumped[static_cast<std::size_t>(i)];
        if (row.size() < 2) {
            ADD_FAILURE() << "record " << i + 1 << " has " << row.size() << " values";
            continue;
        }
        EXPECT_EQ(row[1], name(i)) << "record " << i + 1;
        if (i % 2 == 1) {
            EXPECT_EQ(row[0], "BBBB") << "record " << i + 1;
            continue;
        }
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), row[0]), allowed.end())
            << "record " << i + 1 << ": " << row[0];
        ++seen[row[0]];
    }
    return seen;
}

constexpr int kRaceRecords = 20000;

class ConcurrencyTest : public testing::TestWithParam<Dialect> {};

TEST_P(ConcurrencyTest, TwoReplacesOfOneValueReplaceEachRecordOnce) {
    // Each scans the table from its own page cache; a record both found as AAAA is stored by
    // the one that locked it first, and the other one sees its new value under the lock.
    TempDir dir;
    const std::string table = GetParam().build(dir.path(), kRaceRecords).string();
    const auto [p, q] = together(
        [&] {
            return cli({"replace", table, "CODE", "AAAA", "PPPP"});
        },
        [&] {
            return cli({"replace", table, "CODE", "AAAA", "QQQQ"});
        });
    auto seen = codesAt(rows(cli({"dump", table}).out), kRaceRecords, {"PPPP", "QQQQ"});
    EXPECT_EQ(number(p) + number(q), kRaceRecords / 2);
    EXPECT_EQ(seen["PPPP"], number(p));
    EXPECT_EQ(seen["QQQQ"], number(q));
}

TEST_P(ConcurrencyTest, ADumpDuringAReplaceReadsEachRecordOldOrNew) {
    TempDir dir;
    const std::string table = GetParam().build(dir.path(), kRaceRecords).string();
    const auto [replaced, dumped] = together(
        [&] {
            return cli({"replace", table, "CODE", "AAAA", "PPPP"});
        },
        [&] {
            return cli({"dump", table});
        });
    EXPECT_EQ(number(replaced), kRaceRecords / 2);
    EXPECT_EQ(dumped.exitStatus, 0) << dumped.err;
    codesAt(rows(dumped.out), kRaceRecords, {"AAAA", "PPPP"});
}

TEST_P(ConcurrencyTest, TwoAppendersAddEveryRecordOnceWithItsOwnNumber) {
    constexpr int kFirst = 10, kEach = 150;
    TempDir dir;
    const std::string table = GetParam().build(dir.path(), kFirst).string();
    const auto each = std::to_string(kEach);
    const auto [a, b] = together(
        [&] {
            return worker({"append", table, "NAME", "a", each});
        },
        [&] {
            return worker({"append", table, "NAME", "b", each});
        });
    EXPECT_EQ(number(a), kEach);
    EXPECT_EQ(number(b), kEach);
    const auto dumped = rows(cli({"dump", table}).out);
    ASSERT_EQ(dumped.size(), static_cast<std::size_t>(kFirst + 2 * kEach));
    std::map<std::string, int> names, numbers;
    for (const auto& row : dumped) {
        ++names[row.at(1)];
        if (row.size() > 2) ++numbers[row[2]];
    }
    for (int i = 1; i <= kEach; ++i) {
        EXPECT_EQ(names["a" + std::to_string(i)], 1) << "a" << i;
        EXPECT_EQ(names["b" + std::to_string(i)], 1) << "b" << i;
    }
    // An autoincrement field gives every record a number of its own.
    if (!numbers.empty()) {
        EXPECT_EQ(numbers.size(), dumped.size());
    }
}

TEST_P(ConcurrencyTest, AnOpenDuringAnAppendSeesWholeRecordsAndMayWrite) {
    TempDir dir;
    const std::string table = GetParam().build(dir.path(), 10).string();
    const auto [appended, opened] = together(
        [&] {
            return worker({"append", table, "NAME", "a", "300"});
        },
        [&] {
            return worker({"open", table, "150"});
        });
    EXPECT_EQ(number(appended), 300);
    EXPECT_EQ(opened.exitStatus, 0) << opened.err;
    EXPECT_EQ(opened.out, "150 0\n") << opened.err;
}

TEST_P(ConcurrencyTest, AReplaceOrAnAppendKilledPartWayLeavesEveryRecordOldOrNew) {
    // A kill stops the program between any two writes: each record is still one of its values,
    // the appended ones come whole and in order, and the table can be written again.
    constexpr int kAppends = 20000;
    for (int milliseconds : {40, 150, 300}) {
        SCOPED_TRACE(std::to_string(milliseconds) + " ms");
        TempDir dir;
        const std::string table = GetParam().build(dir.path(), kRaceRecords).string();
        testsupport::killAfter(QUILLON_CLI, {"replace", table, "CODE", "AAAA", "PPPP"},
                               milliseconds);
        testsupport::killAfter(
            TABLE_WORKER, {"append", table, "NAME", "a", std::to_string(kAppends)}, milliseconds);
        const CommandResult dumped = cli({"dump", table});
        ASSERT_EQ(dumped.exitStatus, 0) << dumped.err;
        auto all = rows(dumped.out);
        ASSERT_GE(all.size(), static_cast<std::size_t>(kRaceRecords));
        const std::vector<std::vector<std::string>> appended(all.begin() + kRaceRecords, all.end());
        all.resize(kRaceRecords);
        codesAt(all, kRaceRecords, {"AAAA", "PPPP"});
        for (std::size_t i = 0; i < appended.size(); ++i) {
            EXPECT_EQ(appended[i].at(1), "a" + std::to_string(i + 1));
        }
        EXPECT_EQ(cli({"replace", table, "CODE", "BBBB", "QQQQ"}).exitStatus, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, ConcurrencyTest, testing::ValuesIn(kDialects),
                         [](const testing::TestParamInfo<Dialect>& param) {
                             std::string shown = param.param.name;
                             std::erase_if(shown, [](char c) { return !std::isalnum(c); });
                             return shown;
                         });

}  // namespace
