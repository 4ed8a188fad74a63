// The check of a table: damaged tables of every dialect and the problems it must list, each with
// whether repair mends it; and what it cannot check at all.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/TableRepair.h"
#include "tests/engine/DamagedTables.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <functional>

using engine::TableProblem;
using enginetest::kMemo;
using enginetest::kTable;
using enginetest::Sample;
using enginetest::sample;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::FoxBuilder;
using testsupport::MemoryFileSystem;
using Kind = TableProblem::Kind;

namespace {

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
        std::function<void(Sample&)> apply;
        std::vector<Expected> problems;
    };
    auto setCount = [](Sample& table, std::uint8_t count) { table.dbf[4] = count; };
    const std::vector<Damage> tableDamages = {
        {"sound", [](Sample&) {}, {}},
        {"records past the count",
         [&](Sample& table) { setCount(table, 1); },
         {{Kind::RecordCount, true, "header: it counts 1 records, but 2 more whole records"}}},
        {"cut inside the last record",
         [](Sample& table) { table.dbf.resize(table.dbf.size() - 4); },
         {{Kind::RecordCount, true, "the file holds only 2 whole records (it may"},
          {Kind::PartialRecord, true, "record 3: the file ends"}}},
        {"no end mark",
         [](Sample& table) { table.dbf.pop_back(); },
         {{Kind::EndMark, true, "end of file: there is no end-of-file mark"}}},
        {"data after the records",
         [](Sample& table) { table.dbf.back() = 'x', table.dbf.push_back(0x1A); },
         {{Kind::EndMark, true, "2 bytes of other data follow the last record, before the end"}}},
    };
    const std::vector<Damage> memoDamages = {
        {"a pointer past the end of the memo file",
         [](Sample& table) { table.point(3, 90); },
         {{Kind::MemoPointer, true,
           "record 3, field NOTE: its memo pointer names block 90, past"}}},
        {"two records share a memo",
         [](Sample& table) { table.point(3, table.firstMemo + 1); },
         {
             {Kind::MemoOverlap, false, "record 2, field NOTE: its memo (block "},
         }},
        {"a next free block among the memos",
         [](Sample& table) { table.setNextFree(table.firstMemo + 1); },
         {{Kind::MemoNextFree, true, "memo file header: its header gives block "}}},
        {"a next free block past the end",
         [](Sample& table) { table.setNextFree(90); },
         {{Kind::MemoNextFree, true, "as the next free one, past the end of the file ("}}},
    };
    for (std::uint8_t version : {0x03, 0x83, 0x8B, 0x04, 0x8C, 0xF5, 0x30}) {
        for (const std::vector<Damage>* damages : {&tableDamages, &memoDamages}) {
            for (const Damage& damage : *damages) {
                Sample table = sample(version);
                if (damages == &memoDamages && !table.hasMemo()) continue;
                SCOPED_TRACE(std::to_string(version) + ": " + damage.name);
                damage.apply(table);
                MemoryFileSystem files;
                files.put(kTable, table.dbf);
                if (table.hasMemo()) files.put(table.memoPath, table.memo);
                expectProblems(files, damage.problems);
            }
        }
    }
}

TEST(TableCheckTest, AMemoPointerThatIsNoNumberIsCleared) {
    Sample table = sample(0x83);
    table.dbf[table.dbf.size() - 4] = 'x';
    MemoryFileSystem files;
    files.put(kTable, table.dbf);
    files.put(kMemo, table.memo);
    expectProblems(files, {{Kind::MemoPointer, true,
                            "its memo pointer \"       x 3\" is not a "
                            "block number; repair: clear the pointer"}});
}

TEST(TableCheckTest, RecordLengthsAndFieldDescriptors) {
    struct Case {
        const char* name;
        std::function<DbfBuilder()> make;
        std::vector<Expected> problems;
    };
    const Case cases[] = {
        {"one byte short, read at the fields' length",
         [] { return DbfBuilder(0x03).field("A", 'C', 3).record({"ab"}).headerByte(10, 3); },
         {{Kind::RecordLength, true, "records of 3 bytes, but its fields take 4; repair: set"}}},
        {"two bytes short: refused when opened, mended here",
         [] {
             return DbfBuilder(0x03)
                 .field("A", 'C', 4)
                 .record({"ab"})
                 .record({"cd"})
                 .headerByte(10, 3);
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
          {Kind::FieldDescriptor, false,
           "field 2 (D): it is 6 bytes wide, but fields of type D "
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
    files.put(kTable, sample(0x8B).dbf);
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
    for (Bytes bytes :
         {Bytes(10, 3), Bytes(64, 0x77), Bytes{0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0,
                                               0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}) {
        files.put(kTable, bytes);
        EXPECT_THROW(engine::checkTable(kTable, &files), engine::EngineError);
    }
}

TEST(TableCheckTest, AFoxProIndexFlagWithoutItsIndexIsMendedUnlessTheTableBelongsToADatabase) {
    MemoryFileSystem files;
    FoxBuilder table(0x30);
    table.field("A", 'C', 3).record({"abc"}).headerByte(28, 1);
    table.put(files, "/t/t");
    expectProblems(files, {{Kind::IndexFlag, true,
                            "structural index (t.cdx), but there is none; "
                            "repair: clear the flag"}});
    table.backlink("shop.dbc").put(files, "/t/t");
    EXPECT_NE(engine::checkTable(kTable, &files).repairRefused.find("shop.dbc"), std::string::npos);
}
