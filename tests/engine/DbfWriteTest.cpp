// Writing dBASE tables: only the changed bytes move, values that cannot be stored are refused
// before anything is written, appends keep a killed writer's table readable, memos go to fresh
// blocks, and byte locks keep two writers apart.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/PosixFile.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <unistd.h>

using engine::EngineError;
using engine::Value;
using engine::dbf::DbfTable;
using enginetest::openSet;
using enginetest::openTable;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::FileCall;
using testsupport::MemoryFileSystem;
using testsupport::putTable;
using testsupport::readFileBytes;
using testsupport::TempDir;

namespace {

// NAME C(10), QTY N(8,2), BORN D, OK L, NOTE M; three records.
std::filesystem::path people(const TempDir& dir, std::uint8_t version = 0x8B) {
    return DbfBuilder(version)
        .field("NAME", 'C', 10)
        .field("QTY", 'N', 8, 2)
        .field("BORN", 'D', 8)
        .field("OK", 'L', 1)
        .field("NOTE", 'M', 10)
        .record({"Ann", "1.50", "19800102", "T", "first"})
        .record({"Bob", "", "", "?", ""})
        .record({"Cy", "-3", "20000229", "F", "third"})
        .write(dir.path(), "people");
}

// The byte ranges in which two files differ.
std::vector<std::pair<std::size_t, std::size_t>> differences(const Bytes& a, const Bytes& b) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        bool same = i < a.size() && i < b.size() && a[i] == b[i];
        if (same) continue;
        if (!ranges.empty() && ranges.back().second == i) {
            ranges.back().second = i + 1;
        } else {
            ranges.emplace_back(i, i + 1);
        }
    }
    return ranges;
}

std::string slice(const Bytes& bytes, std::size_t from, std::size_t size) {
    return std::string(bytes.begin() + static_cast<long>(from),
                       bytes.begin() + static_cast<long>(from + size));
}

engine::TableSource::Assignments assign(DbfTable& table, int field, const Value& value) {
    return {{field, table.prepareValue(field, value)}};
}

}  // namespace

TEST(DbfWriteTest, UpdateRewritesOnlyTheAssignedFieldsBytes) {
    TempDir dir;
    auto path = people(dir);
    Bytes before = readFileBytes(path);
    Bytes memoBefore = readFileBytes(dir / "people.dbt");
    auto table = openTable(path);
    // Record 2 (index 1), field QTY at offset 1 + 10 within the record.
    table->updateRecord(1, assign(*table, 1, Value::text("12.5")));
    Bytes after = readFileBytes(path);
    const std::size_t record = table->header().headerLength + table->header().recordLength;
    EXPECT_EQ(
        differences(before, after),
        (std::vector<std::pair<std::size_t, std::size_t>>{{record + 11 + 3, record + 11 + 8}}));
    EXPECT_EQ(slice(after, record + 11, 8), "   12.50");
    EXPECT_EQ(readFileBytes(dir / "people.dbt"), memoBefore);
}

struct StoreCase {
    const char* name;
    int field;
    Value value;
    std::string bytes;  // what the field holds afterwards, or "" when refused
    const char* refusal;
};

class StoreValueTest : public testing::TestWithParam<StoreCase> {};

TEST_P(StoreValueTest, StoresTheValueExactlyOrRefusesWithoutWriting) {
    const StoreCase& c = GetParam();
    TempDir dir;
    auto path = people(dir);
    Bytes before = readFileBytes(path);
    auto table = openTable(path);
    const auto& descriptor = table->header().fields[static_cast<std::size_t>(c.field)];
    const std::size_t at = table->header().headerLength + descriptor.offset;
    if (c.refusal != nullptr) {
        try {
            table->updateRecord(0, assign(*table, c.field, c.value));
            ADD_FAILURE() << c.name << ": stored";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos)
                << c.name << ": " << error.what();
        }
        EXPECT_EQ(readFileBytes(path), before) << c.name;
        return;
    }
    table->updateRecord(0, assign(*table, c.field, c.value));
    Bytes after = readFileBytes(path);
    EXPECT_EQ(slice(after, at, static_cast<std::size_t>(descriptor.length)), c.bytes) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StoreValueTest,
    testing::Values(
        StoreCase{"text", 0, Value::text("Zoe"), "Zoe       ", nullptr},
        StoreCase{"text to the width", 0, Value::text("0123456789"), "0123456789", nullptr},
        StoreCase{"non-ASCII text", 0, Value::text("Ren\xC3\xA9\xE2\x82\xAC"), "Ren\xE9\x80     ",
                  nullptr},
        StoreCase{"undefined byte round trip", 0, Value::text("\xC2\x81"), "\x81         ",
                  nullptr},
        StoreCase{"empty text", 0, Value::text(""), "          ", nullptr},
        StoreCase{"null", 0, Value(), "          ", nullptr},
        StoreCase{"a number as text", 0, Value::number(2.5), "2.5       ", nullptr},
        StoreCase{"text too long", 0, Value::text("01234567890"), "", "takes 11 bytes"},
        StoreCase{"multi-byte text too long", 0,
                  Value::text("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                              "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                              "\xC3\xA9\xC3\xA9\xC3\xA9"),
                  "", "takes 11 bytes"},
        StoreCase{"character outside the code page", 0, Value::text("\xD0\x96"), "", "U+0416"},
        StoreCase{"more decimals than the field", 1, Value::text("0.0807"), "", "4 decimals"},
        StoreCase{"trailing zeros do not hide decimals", 1, Value::text("2.6750"), "",
                  "3 decimals"},
        StoreCase{"decimal text", 1, Value::text("2.500"), "    2.50", nullptr},
        StoreCase{"negative", 1, Value::text("-12"), "  -12.00", nullptr},
        StoreCase{"double", 1, Value::number(1234.5), " 1234.50", nullptr},
        StoreCase{"widest that fits", 1, Value::text("99999.99"), "99999.99", nullptr},
        StoreCase{"more decimals, and too wide", 1, Value::text("99999.996"), "",
                  "3 decimals and the field holds 2"},
        StoreCase{"number too wide", 1, Value::text("123456"), "", "the field holds 8"},
        StoreCase{"not a number", 1, Value::text("12,5"), "", "is not a number"},
        StoreCase{"a date into a number", 1, Value::date({2024, 1, 2, 0}), "", "not a number"},
        StoreCase{"blank number", 1, Value::text("  "), "        ", nullptr},
        StoreCase{"ISO date", 2, Value::text("2024-02-29"), "20240229", nullptr},
        StoreCase{"compact date", 2, Value::text("20240301"), "20240301", nullptr},
        StoreCase{"date value with time", 2, Value::date({2024, 3, 1, 5'000'000}), "20240301",
                  nullptr},
        StoreCase{"no such day", 2, Value::text("2023-02-29"), "", "is not a date"},
        StoreCase{"not a date", 2, Value::text("soon"), "", "is not a date"},
        StoreCase{"logical text", 3, Value::text("yes"), "T", nullptr},
        StoreCase{"logical value", 3, Value::boolean(false), "F", nullptr},
        StoreCase{"logical null", 3, Value(), " ", nullptr},
        StoreCase{"not a logical", 3, Value::text("maybe"), "", "is not a logical value"}),
    [](const testing::TestParamInfo<StoreCase>& param) {
        std::string name;
        for (const char* p = param.param.name; *p != 0; ++p) {
            if (std::isalnum(static_cast<unsigned char>(*p))) name.push_back(*p);
        }
        return name;
    });

TEST(DbfWriteTest, NumbersAreFormattedFromTheirDecimalText) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("BIG", 'N', 20, 0)
                    .field("FINE", 'N', 10, 4)
                    .record({"", ""})
                    .write(dir.path(), "t");
    auto table = openTable(path);
    engine::TableSource::Assignments values{
        {0, table->prepareValue(0, Value::text("12345678901234567890"))},
        {1, table->prepareValue(1, Value::text("0.0807"))}};
    table->updateRecord(0, values);
    auto reread = openTable(path);
    EXPECT_EQ(reread->readField(0, 0).exactNumberText(), "12345678901234567890");
    EXPECT_EQ(reread->readField(0, 1).exactNumberText(), "0.0807");
    // The pending value is what will be stored.
    EXPECT_EQ(table->prepareValue(1, Value::text("1.23450")).exactNumberText(), "1.2345");
}

TEST(DbfWriteTest, AppendWritesTheRecordAndEndMarkBeforeRaisingTheCount) {
    TempDir dir;
    auto plain = DbfBuilder(0x03).field("NAME", 'C', 10).record({"Ann"}).write(dir.path(), "p");
    Bytes before = readFileBytes(plain);
    auto table = openTable(plain);
    EXPECT_EQ(table->appendRecord(assign(*table, 0, Value::text("Bob"))), 1u);
    Bytes after = readFileBytes(plain);
    ASSERT_EQ(after.size(), before.size() + 11);
    EXPECT_EQ(slice(after, before.size() - 1, 12), " Bob       \x1A");
    EXPECT_EQ(base::loadLittle<std::uint32_t>(after.data() + 4), 2u);
    EXPECT_GE(after[1], 124);  // the last-update date is today's
}

TEST(DbfWriteTest, AnAppendCutOffBeforeTheCountLeavesTheOldCount) {
    // The write of the count fails (as for a process killed there): the table opens with the
    // old count, and the next append takes the slot again.
    MemoryFileSystem files;
    auto path = putTable(files, DbfBuilder(0x03).field("NAME", 'C', 10).record({"Ann"}), "/t/p");
    auto interrupted = openTable(files, path);
    files.failAt(path, FileCall::Write, 2, ENOSPC);
    try {
        interrupted->appendRecord(assign(*interrupted, 0, Value::text("Bob")));
        ADD_FAILURE() << "the append was reported done";
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(), "Cannot write to /t/p.dbf: No space left on device.");
    }
    auto survivor = openTable(files, path);
    EXPECT_EQ(survivor->physicalCount(), 1u);
    EXPECT_TRUE(enginetest::anyContains(survivor->warnings(), "more records than its header"));
    EXPECT_TRUE(survivor->isWritable());
    EXPECT_EQ(survivor->appendRecord(assign(*survivor, 0, Value::text("Cy"))), 1u);
    auto final = openTable(files, path);
    EXPECT_EQ(final->physicalCount(), 2u);
    EXPECT_TRUE(final->warnings().empty());
    EXPECT_EQ(final->readField(1, 0).asText(), "Cy");
}

TEST(DbfWriteTest, TwoWritersAppendToDifferentSlots) {
    TempDir dir;
    auto path = DbfBuilder(0x03).field("NAME", 'C', 10).record({"Ann"}).write(dir.path(), "t");
    auto first = openSet(path);
    auto second = openSet(path);
    first->AddNew();
    first->Fields().Item(0).SetValue(Value::text("first"));
    first->Update();
    second->AddNew();
    second->Fields().Item(0).SetValue(Value::text("second"));
    second->Update();
    // Each set shows its own addition; the file holds both.
    EXPECT_EQ(second->RecordCount(), 2);
    EXPECT_EQ(second->readValue(1, 0).asText(), "second");
    auto reopened = openSet(path);
    ASSERT_EQ(reopened->RecordCount(), 3);
    EXPECT_EQ(reopened->readValue(1, 0).asText(), "first");
    EXPECT_EQ(reopened->readValue(2, 0).asText(), "second");
}

TEST(DbfWriteTest, DeleteWritesOnlyTheFlag) {
    TempDir dir;
    auto path = people(dir);
    Bytes before = readFileBytes(path);
    auto table = openTable(path);
    table->deleteRecord(2);
    Bytes after = readFileBytes(path);
    std::size_t flag = table->header().headerLength + 2u * table->header().recordLength;
    EXPECT_EQ(differences(before, after),
              (std::vector<std::pair<std::size_t, std::size_t>>{{flag, flag + 1}}));
    EXPECT_EQ(after[flag], '*');
}

TEST(DbfWriteTest, AChangedMemoGoesToFreshBlocksAndTheOldOneStays) {
    for (std::uint8_t version : {0x83, 0x8B}) {
        TempDir dir;
        auto path = people(dir, version);
        Bytes memoBefore = readFileBytes(dir / "people.dbt");
        auto table = openTable(path);
        std::string text(700, 'm');  // two blocks
        text += " caf\xC3\xA9";
        table->updateRecord(0, assign(*table, 4, Value::text(text)));
        Bytes memoAfter = readFileBytes(dir / "people.dbt");
        // Everything before the new blocks is unchanged but the next-free pointer.
        ASSERT_GT(memoAfter.size(), memoBefore.size());
        EXPECT_EQ(differences(memoBefore,
                              Bytes(memoAfter.begin(),
                                    memoAfter.begin() + static_cast<long>(memoBefore.size()))),
                  (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1}}));
        EXPECT_EQ(memoAfter.size() % 512, 0u);
        std::uint32_t first = static_cast<std::uint32_t>(memoBefore.size() / 512);
        EXPECT_EQ(base::loadLittle<std::uint32_t>(memoAfter.data()), first + 2);
        auto reread = openTable(path);
        EXPECT_EQ(reread->readField(0, 4).asText(), text);
        EXPECT_EQ(reread->readField(2, 4).asText(), "third");
        // The record points at the new block.
        EXPECT_EQ(
            slice(readFileBytes(path), reread->header().headerLength + 1 + 10 + 8 + 8 + 1, 10),
            std::string(10 - std::to_string(first).size(), ' ') + std::to_string(first));

        // Emptying a memo blanks the pointer and leaves the memo file alone.
        Bytes memoNow = readFileBytes(dir / "people.dbt");
        reread->updateRecord(2, assign(*reread, 4, Value::text("")));
        EXPECT_EQ(readFileBytes(dir / "people.dbt"), memoNow);
        EXPECT_TRUE(openTable(path)->readField(2, 4).isNull());
    }
}

TEST(DbfWriteTest, ThirdStyleMemosRefuseTheirEndMark) {
    TempDir dir;
    auto path = people(dir, 0x83);
    auto table = openTable(path);
    EXPECT_THROW(table->prepareValue(4, Value::text("a\x1A"
                                                    "b")),
                 EngineError);
}

TEST(DbfWriteTest, AppendedRecordsWithMemosReadBack) {
    TempDir dir;
    auto path = people(dir, 0x8B);
    auto set = openSet(path);
    set->AddNew();
    set->Fields().Item("NOTE").SetValue(Value::text("appended memo"));
    set->Fields().Item("NAME").SetValue(Value::text("Dee"));
    set->Update();
    auto reopened = openSet(path);
    ASSERT_EQ(reopened->RecordCount(), 4);
    EXPECT_EQ(reopened->readValue(3, 4).asText(), "appended memo");
    EXPECT_EQ(reopened->readValue(3, 0).asText(), "Dee");
    EXPECT_TRUE(reopened->readValue(3, 1).isNull());
}

TEST(DbfWriteTest, ALockedRecordIsNotWrittenByAnotherOpenFile) {
    TempDir dir;
    auto path = people(dir);
    auto table = openTable(path);
    Bytes before = readFileBytes(path);
    {
        // Another open file description (as another process would have) holds record 2.
        engine::dbf::PosixFile other(path.string(), engine::dbf::PosixFile::Mode::ReadWrite);
        other.lockByte(engine::dbf::recordLockOffset(1), "busy");
        try {
            table->updateRecord(1, assign(*table, 0, Value::text("Zed")));
            ADD_FAILURE() << "wrote a locked record";
        } catch (const EngineError& error) {
            EXPECT_STREQ(error.what(), "Record is locked by another user.");
        }
        EXPECT_THROW(table->deleteRecord(1), EngineError);
        EXPECT_EQ(readFileBytes(path), before);
        // Other records stay free.
        table->updateRecord(0, assign(*table, 0, Value::text("Zed")));
    }
    table->updateRecord(1, assign(*table, 0, Value::text("Zed")));
    EXPECT_EQ(openTable(path)->readField(1, 0).asText(), "Zed");
}

TEST(DbfWriteTest, AnAppendInProgressHoldsOffOtherAppends) {
    MemoryFileSystem files;
    auto path = putTable(files, DbfBuilder(0x03).field("NAME", 'C', 10), "/t/t");
    auto first = openTable(files, path);
    auto second = openTable(files, path);
    std::string seen;
    // Between the first append's record and its count, the second tries to append.
    files.runAt(path, FileCall::Write, 2, [&] {
        try {
            second->appendRecord({});
        } catch (const EngineError& error) {
            seen = error.what();
        }
    });
    first->appendRecord({});
    EXPECT_EQ(seen, "Record is locked by another user.");
    EXPECT_EQ(openTable(files, path)->physicalCount(), 1u);
}

TEST(DbfWriteTest, ARecordDeletedByAnotherWriterIsNotUpdated) {
    TempDir dir;
    auto path = people(dir);
    auto table = openTable(path);
    auto other = openTable(path);
    other->deleteRecord(0);
    EXPECT_THROW(table->updateRecord(0, assign(*table, 0, Value::text("x"))), EngineError);
}

TEST(DbfWriteTest, ReadOnlyTablesRefuseEveryWrite) {
    TempDir dir;
    auto path = people(dir);
    std::filesystem::remove(dir / "people.dbt");
    auto table = openTable(path);
    Bytes before = readFileBytes(path);
    EXPECT_THROW(table->updateRecord(0, {}), EngineError);
    EXPECT_THROW(table->appendRecord({}), EngineError);
    EXPECT_THROW(table->deleteRecord(0), EngineError);
    EXPECT_EQ(readFileBytes(path), before);
    // A write-protected file opens read-only and says why.
    auto plain = DbfBuilder(0x03).field("A", 'C', 2).record({"x"}).write(dir.path(), "plain");
    std::filesystem::permissions(plain, std::filesystem::perms::owner_read);
    if (::access(plain.c_str(), W_OK) != 0) {  // root may write anyway
        auto locked = openTable(plain);
        EXPECT_FALSE(locked->isWritable());
        try {
            locked->deleteRecord(0);
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find("cannot be written"), std::string::npos);
        }
    }
}

TEST(DbfWriteTest, AFailingCallAnywhereIsReportedAndLeavesATableThatReads) {
    // Every call of every kind, on the table and on its memo file, fails once in turn while the
    // table is opened, read, updated (a name and a memo) and appended to. The failure is reported
    // naming the file, and the files left behind open and read: each record holds its old or its
    // new values, and the count covers only records written whole. In dBASE 7 the autoincrement
    // counter stays past every number given.
    const std::string longMemo(700, 'n');
    for (const std::uint8_t version : {0x8B, 0x8C}) {
        for (const char* failing : {"/t/people.dbf", "/t/people.dbt"}) {
            for (FileCall call :
                 {FileCall::Size, FileCall::Read, FileCall::Write, FileCall::Lock}) {
                for (int nth = 1; nth <= 24; ++nth) {
                    SCOPED_TRACE(std::string(failing) + " call " +
                                 std::to_string(static_cast<int>(call)) + " #" +
                                 std::to_string(nth) + " version " + std::to_string(version));
                    MemoryFileSystem files;
                    DbfBuilder builder(version);
                    builder.field("NAME", 'C', 10).field("NOTE", 'M', 10);
                    if (version == 0x8C) {
                        builder.field("ID", '+', 4).counter(3);
                        builder.record({"Ann", "first", "1"}).record({"Bob", "", "2"});
                    } else {
                        builder.record({"Ann", "first"}).record({"Bob", ""});
                    }
                    auto path = putTable(files, builder, "/t/people");
                    files.failAt(failing, call, nth, EIO);
                    bool appended = false;
                    try {
                        auto table = openTable(files, path);
                        std::vector<Value> row;
                        table->readRecord(1, row);
                        table->updateRecord(0,
                                            {{0, table->prepareValue(0, Value::text("Zoe"))},
                                             {1, table->prepareValue(1, Value::text(longMemo))}});
                        table->appendRecord({{0, table->prepareValue(0, Value::text("Cy"))},
                                             {1, table->prepareValue(1, Value::text("new"))}});
                        appended = true;
                    } catch (const EngineError& error) {
                        // The failing file, or the table that a failure at opening made read-only.
                        EXPECT_NE(std::string(error.what()).find("people.db"), std::string::npos)
                            << error.what();
                    }
                    files.clearPlanned();
                    auto reread = openTable(files, path, false);
                    ASSERT_EQ(reread->physicalCount(), appended ? 3u : 2u);
                    std::vector<Value> row;
                    reread->readRecord(0, row);
                    bool updated = row[0].asText() == "Zoe";
                    EXPECT_EQ(row[0].asText(), updated ? "Zoe" : "Ann");
                    EXPECT_EQ(row[1].asText(), updated ? longMemo : "first");
                    if (appended) {
                        reread->readRecord(2, row);
                        EXPECT_EQ(row[0].asText(), "Cy");
                        EXPECT_EQ(row[1].asText(), "new");
                    }
                    if (version == 0x8C) {
                        EXPECT_GE(reread->header().fields[2].nextAutoincrement, appended ? 4u : 3u);
                        if (appended) {
                            EXPECT_EQ(row[2].toString(), "3");
                        }
                    }
                }
            }
        }
    }
}
