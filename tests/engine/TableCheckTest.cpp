// The check of a table: damaged tables of every dialect and the problems it must list, each with
// whether repair mends it; and what it cannot check at all.
#include "engine/EngineError.h"
#include "engine/TableRepair.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <functional>

using engine::TableProblem;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::MemoryFileSystem;
using Kind = TableProblem::Kind;

namespace {

constexpr const char* kTable = "/t/t.dbf";
constexpr const char* kMemo = "/t/t.dbt";

// A table of three records; with a memo field when the version has memo files.
DbfBuilder threeRecords(std::uint8_t version) {
    const bool memo = version == 0x83 || version == 0x8B || version == 0x8C;
    DbfBuilder table(version);
    table.field("NAME", 'C', 4).field("QTY", 'N', 3);
    if (memo) table.field("NOTE", 'M', 10);
    for (const char* name : {"Ann", "Bob", "Cy"}) {
        std::vector<std::string> values{name, "7"};
        if (memo) values.emplace_back(std::string("about ") + name);
        table.record(values);
    }
    return table;
}

struct Expected {
    Kind kind;
    bool mendable;
    const char* fragment;  // in the problem's line
};

void expectProblems(const MemoryFileSystem& files, const std::vector<Expected>& expected) {
    const engine::TableCheckReport report = engine::checkTable(kTable, &files);
    std::string lines;
    for (const TableProblem& problem : report.problems) {
        lines += engine::problemLine(report, problem) + "\n";
    }
    ASSERT_EQ(report.problems.size(), expected.size()) << lines;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TableProblem& problem = report.problems[i];
        EXPECT_EQ(problem.kind, expected[i].kind) << lines;
        EXPECT_EQ(problem.mendable(), expected[i].mendable) << lines;
        EXPECT_NE(engine::problemLine(report, problem).find(expected[i].fragment),
                  std::string::npos)
            << expected[i].fragment << "\n"
            << lines;
    }
}

void put(MemoryFileSystem& files, const DbfBuilder& table) {
    files.put(kTable, table.dbf());
    if (table.hasMemo()) files.put(kMemo, table.dbt());
}

}  // namespace

TEST(TableCheckTest, EachDialectsDamageIsFoundAndMendableWhereItShouldBe) {
    struct Damage {
        const char* name;
        std::function<void(DbfBuilder&, Bytes& dbf, Bytes& dbt)> apply;
        std::vector<Expected> problems;
        bool memoOnly;
    };
    const Damage damages[] = {
        {"sound", [](DbfBuilder&, Bytes&, Bytes&) {}, {}, false},
        {"records past the count",
         [](DbfBuilder& table, Bytes& dbf, Bytes&) { dbf = table.declaredCount(1).dbf(); },
         {{Kind::RecordCount, true, "header: it counts 1 records, but 2 more whole records"}},
         false},
        {"cut inside the last record",
         [](DbfBuilder&, Bytes& dbf, Bytes&) { dbf.resize(dbf.size() - 4); },
         {{Kind::RecordCount, true, "the file holds only 2 whole records (it may"},
          {Kind::PartialRecord, true, "record 3: the file ends"}},
         false},
        {"no end mark", [](DbfBuilder&, Bytes& dbf, Bytes&) { dbf.pop_back(); },
         {{Kind::EndMark, true, "end of file: there is no end-of-file mark"}}, false},
        {"data after the records",
         [](DbfBuilder&, Bytes& dbf, Bytes&) { dbf.back() = 'x', dbf.push_back(0x1A); },
         {{Kind::EndMark, true, "2 bytes of other data follow the last record, before the end"}},
         false},
        {"a pointer past the end of the memo file",
         [](DbfBuilder&, Bytes& dbf, Bytes&) { dbf[dbf.size() - 3] = '9'; },
         {{Kind::MemoPointer, true, "record 3, field NOTE: its memo pointer names block 93"}},
         true},
        {"a pointer that is not a number",
         [](DbfBuilder&, Bytes& dbf, Bytes&) { dbf[dbf.size() - 4] = 'x'; },
         {{Kind::MemoPointer, true, "its memo pointer \"       x 3\" is not a block number"}},
         true},
        {"two records share a memo",
         [](DbfBuilder&, Bytes& dbf, Bytes&) { dbf[dbf.size() - 2] = '2'; },
         {{Kind::MemoOverlap, false, "record 2, field NOTE: its memo (block 2) is also the memo "
                                     "of record 3, field NOTE"}},
         true},
        {"a next free block among the memos",
         [](DbfBuilder&, Bytes&, Bytes& dbt) { dbt[0] = 2; },
         {{Kind::MemoNextFree, true, "memo file header: its header gives block 2 as the next "
                                     "free one, but memos take the blocks up to 3"}},
         true},
        {"a next free block past the end",
         [](DbfBuilder&, Bytes&, Bytes& dbt) { dbt[0] = 9; },
         {{Kind::MemoNextFree, true, "past the end of the file (4 blocks); repair: set it to 4"}},
         true},
    };
    for (std::uint8_t version : {0x03, 0x83, 0x8B, 0x04, 0x8C}) {
        const bool memo = version != 0x03 && version != 0x04;
        for (const Damage& damage : damages) {
            if (damage.memoOnly && !memo) continue;
            SCOPED_TRACE(std::to_string(version) + ": " + damage.name);
            DbfBuilder table = threeRecords(version);
            Bytes dbf = table.dbf(), dbt = table.dbt();
            damage.apply(table, dbf, dbt);
            MemoryFileSystem files;
            files.put(kTable, dbf);
            if (memo) files.put(kMemo, dbt);
            expectProblems(files, damage.problems);
        }
    }
}

TEST(TableCheckTest, RecordLengthsAndFieldDescriptors) {
    struct Case {
        const char* name;
        std::function<DbfBuilder()> make;
        std::vector<Expected> problems;
    };
    const Case cases[] = {
        {"one byte short, read at the fields' length",
         [] {
             return DbfBuilder(0x03).field("A", 'C', 3).record({"ab"}).headerByte(10, 3);
         },
         {{Kind::RecordLength, true, "records of 3 bytes, but its fields take 4; repair: set"}}},
        {"two bytes short: refused when opened, mended here",
         [] {
             return DbfBuilder(0x03).field("A", 'C', 4).record({"ab"}).record({"cd"}).headerByte(
                 10, 3);
         },
         {{Kind::RecordLength, true, "set the record length to 5"}}},
        {"longer than the fields, as the file holds them",
         [] { return DbfBuilder(0x03).field("A", 'C', 3).recordSlack(2).record({"ab"}); },
         {{Kind::RecordLength, false, "belong to no field"}}},
        {"bad descriptors",
         [] {
             return DbfBuilder(0x03)
                 .field("  ", 'C', 3)
                 .field("D", 'D', 6)
                 .field("N", 'N', 3, 3)
                 .field("d", 'L', 1)
                 .record({"a", "", "", "T"});
         },
         {{Kind::FieldDescriptor, false, "field 1: it has no name"},
          {Kind::FieldDescriptor, false, "field 2 (D): it is 6 bytes wide, but fields of type D "
                                         "take 8"},
          {Kind::FieldDescriptor, false, "field 3 (N): its N(3,3) leaves no room"},
          {Kind::FieldDescriptor, false, "field 4 (d): its name is that of field 2"}}},
        {"a type no dialect has",
         [] { return DbfBuilder(0x03).field("Q", 'Q', 3).record({"a"}); },
         {{Kind::FieldDescriptor, false, "header: field Q has type 'Q'"}}},
        {"a header longer than the file",
         [] { return DbfBuilder(0x03).field("A", 'C', 3).headerByte(9, 0x40); },
         {{Kind::Header, false, "the file ends inside its header"}}},
        {"an index flag without its index",
         [] { return DbfBuilder(0x03).field("A", 'C', 3).record({"a"}).headerByte(28, 1); },
         {{Kind::IndexFlag, true, "production index (t.mdx), but there is none"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        put(files, c.make());
        expectProblems(files, c.problems);
    }
}

TEST(TableCheckTest, AMissingMemoFileIsAProblemRepairCannotMend) {
    MemoryFileSystem files;
    files.put(kTable, threeRecords(0x8B).dbf());
    expectProblems(files, {{Kind::MemoFile, false, "the memo file t.dbt is missing"}});
}

TEST(TableCheckTest, RepairLeavesAloneTablesReadOnlyForReasonsOfTheirOwn) {
    MemoryFileSystem files;
    put(files, DbfBuilder(0x03).field("A", 'C', 3).record({"a"}).endMark(false).headerByte(28, 1));
    files.put("/t/t.mdx", Bytes(512, 0));
    engine::TableCheckReport report = engine::checkTable(kTable, &files);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.repairRefused.find("production index"), std::string::npos);
    EXPECT_EQ(engine::problemLine(report, report.problems[0]).find("repair:"), std::string::npos);

    put(files, DbfBuilder(0x02).field("A", 'C', 3).record({"a"}).endMark(false));
    report = engine::checkTable(kTable, &files);
    EXPECT_EQ(report.repairRefused, "it is a dBASE II table");
}

TEST(TableCheckTest, WhatIsNoTableCannotBeChecked) {
    MemoryFileSystem files;
    EXPECT_THROW(engine::checkTable(kTable, &files), engine::EngineError);
    for (Bytes bytes : {Bytes(10, 3), Bytes(64, 0x77), Bytes{0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                              0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0,
                                                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}) {
        files.put(kTable, bytes);
        EXPECT_THROW(engine::checkTable(kTable, &files), engine::EngineError);
    }
}
