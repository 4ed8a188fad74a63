// Writing Visual FoxPro tables: only the assigned bytes and the field's null bits change, values
// that cannot be stored are refused before anything is written, appends number autoincrement
// fields from the counter on disk, memos go to fresh .fpt blocks; and no damaged header, cut
// file or failing call harms a table or the program.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "tests/engine/DamageSweep.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>

using engine::EngineError;
using engine::Value;
using enginetest::openTable;
using testsupport::Bytes;
using testsupport::FileCall;
using testsupport::FoxBuilder;
using testsupport::MemoryFileSystem;

namespace {

const std::string kTable = "/t/stock.dbf";
const std::string kMemo = "/t/stock.fpt";
// Field offsets in the record, and the null flags' byte: ID I, NAME C(8) nullable (bit 0), CODE
// V(6) (length bit 1), NOTE V(6) nullable (length bit 2, null bit 3), PRICE Y, WHEN T, MEMO M,
// PIC binary C(4).
enum Field { kId, kName, kCode, kNote, kPrice, kWhen, kMemoField, kPic };
constexpr std::size_t kOffsets[] = {1, 5, 13, 19, 25, 33, 41, 45};
constexpr std::size_t kWidths[] = {4, 8, 6, 6, 8, 8, 4, 4};
constexpr std::size_t kNullFlagsAt = 49;
constexpr std::size_t kRecordLength = 50;

// Two records; the autoincrement counter says 5, step 2.
std::string putStock(MemoryFileSystem& files, std::uint8_t step = 2, std::uint32_t next = 5) {
    FoxBuilder builder(0x31);
    builder.field("ID", 'I', 4, 0, 0x0C, next, step)
        .field("NAME", 'C', 8, 0, 0x02)
        .field("CODE", 'V', 6)
        .field("NOTE", 'V', 6, 0, 0x02)
        .field("PRICE", 'Y', 8, 4)
        .field("WHEN", 'T', 8)
        .field("MEMO", 'M', 4)
        .field("PIC", 'C', 4, 0, 0x04);
    std::string memo = builder.memo("first");
    builder.record({FoxBuilder::le32(1), "Ann", std::string("ab   \x02", 6), "fullxx",
                    FoxBuilder::le64(15000), FoxBuilder::dateTime(2440588, 999), memo, "\x01\x02"},
                   0b0010);
    builder.record({FoxBuilder::le32(3), "", std::string(5, ' ') + '\0', std::string(5, ' ') + '\0',
                    FoxBuilder::le64(0), FoxBuilder::dateTime(0, 0), FoxBuilder::le32(0), ""},
                   0b1011);
    return builder.put(files, "/t/stock");
}

std::size_t recordStart(const engine::dbf::DbfTable& table, std::uint32_t record) {
    return table.header().headerLength + record * kRecordLength;
}

std::string slice(const Bytes& bytes, std::size_t from, std::size_t size) {
    return std::string(bytes.begin() + static_cast<long>(from),
                       bytes.begin() + static_cast<long>(from + size));
}

// Whether two files differ only inside the ranges given (offset, size).
bool sameOutside(const Bytes& a, const Bytes& b,
                 const std::vector<std::pair<std::size_t, std::size_t>>& ranges) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        bool inside = false;
        for (const auto& [from, size] : ranges) inside = inside || (i >= from && i < from + size);
        if (!inside && a[i] != b[i]) return false;
    }
    return true;
}

}  // namespace

TEST(FoxProWriteTest, AnUpdateChangesTheFieldAndItsBitsOnlyOrNothing) {
    struct Case {
        int field;
        Value value;
        std::string bytes;       // the cell afterwards ("" when refused)
        std::uint8_t nullFlags;  // record 1's null flags afterwards (0b0010 before)
        const char* refusal = nullptr;
    };
    const Case cases[] = {
        {kName, Value::text("Zoe"), "Zoe     ", 0b0010},
        {kName, Value::text(""), std::string(8, ' '), 0b0011},
        {kName, Value(), std::string(8, ' '), 0b0011},
        {kCode, Value::text("abcdef"), "abcdef", 0b0000},
        {kCode, Value::text(""), std::string(5, ' ') + '\0', 0b0010},
        {kNote, Value::text("x"), std::string("x    \x01", 6), 0b0110},
        {kNote, Value(), std::string(5, ' ') + '\0', 0b1110},
        {kPrice, Value::text("-0.0001"), FoxBuilder::le64(-1), 0b0010},
        {kWhen, Value::text("1970-01-01 00:00:02"), FoxBuilder::dateTime(2440588, 2000), 0b0010},
        // The value read (rounded from 999 ms) keeps the stored bytes.
        {kWhen, Value::text("1970-01-01 00:00:01"), FoxBuilder::dateTime(2440588, 999), 0b0010},
        {kId, Value::text("9"), "", 0, "the table numbers this field itself"},
        {kPic, Value::text("ab"), "", 0, "binary data"},
        {kPrice, Value::text("1.00001"), "", 0, "5 decimals"},
        {kPrice, Value::text("1e16"), "", 0, "outside the range"},
        {kName, Value::text("too long!"), "", 0, "takes 9 bytes"},
        {kCode, Value::text("\xD0\x96"), "", 0, "U+0416"},
        {kWhen, Value::text("2020-01-01 10:00:00.250"), "", 0, "whole seconds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " " + c.value.toString());
        MemoryFileSystem files;
        putStock(files);
        const Bytes before = files.bytes(kTable);
        auto table = openTable(files, kTable);
        ASSERT_TRUE(table->isWritable()) << table->readOnlyReason();
        try {
            table->updateRecord(0, {{c.field, table->prepareValue(c.field, c.value)}});
            EXPECT_EQ(c.refusal, nullptr) << "stored";
        } catch (const EngineError& error) {
            ASSERT_NE(c.refusal, nullptr) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos) << error.what();
            EXPECT_EQ(files.bytes(kTable), before);
            continue;
        }
        const Bytes& after = files.bytes(kTable);
        const std::size_t start = recordStart(*table, 0);
        const auto field = static_cast<std::size_t>(c.field);
        EXPECT_EQ(slice(after, start + kOffsets[field], kWidths[field]), c.bytes);
        EXPECT_EQ(after[start + kNullFlagsAt], c.nullFlags);
        EXPECT_TRUE(sameOutside(
            before, after, {{start + kOffsets[field], kWidths[field]}, {start + kNullFlagsAt, 1}}));
        // What the table now reads is what was prepared.
        EXPECT_EQ(openTable(files, kTable, false)->readField(0, c.field),
                  table->prepareValue(c.field, c.value));
    }
}

TEST(FoxProWriteTest, AnAppendNumbersFromTheCounterOnDiskAndLeavesTheRestBlankOrNull) {
    MemoryFileSystem files;
    putStock(files);
    auto table = openTable(files, kTable);
    // Another program appended meanwhile and moved the counter on to 11.
    Bytes bytes = files.bytes(kTable);
    const std::size_t counterAt = 32 + 19;
    base::storeLittle<std::uint32_t>(bytes.data() + counterAt, 11);
    files.put(kTable, bytes);
    const Bytes before = files.bytes(kTable);

    const std::uint32_t slot =
        table->appendRecord({{kName, table->prepareValue(kName, Value::text("Cy"))}});
    ASSERT_EQ(slot, 2u);
    const Bytes& after = files.bytes(kTable);
    const std::size_t start = recordStart(*table, 2);
    ASSERT_EQ(after.size(), start + kRecordLength + 1);
    EXPECT_EQ(slice(after, start, kRecordLength + 1),
              " " + FoxBuilder::le32(11) + "Cy      " + std::string(5, ' ') + '\0' +
                  std::string(5, ' ') + '\0' + std::string(8 + 8 + 4, '\0') + "    " + "\x0E" +
                  "\x1A");
    EXPECT_EQ(base::loadLittle<std::uint32_t>(after.data() + counterAt), 13u);
    EXPECT_EQ(table->fields()[kId].autoIncrementNext, 13u);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(after[1], (local.tm_year + 1900) % 100);
    EXPECT_EQ(base::loadLittle<std::uint32_t>(after.data() + 4), 3u);
    // The header, the other descriptors and the backlink keep their bytes.
    EXPECT_TRUE(sameOutside(Bytes(before.begin(), before.begin() + static_cast<long>(start)),
                            Bytes(after.begin(), after.begin() + static_cast<long>(start)),
                            {{1, 7}, {counterAt, 4}}));
    auto reread = openTable(files, kTable, false);
    std::vector<Value> row;
    reread->readRecord(2, row);
    EXPECT_EQ(row[kId].toString(), "11");
    EXPECT_EQ(row[kName].asText(), "Cy");
    EXPECT_TRUE(row[kCode].isNull() && row[kNote].isNull() && row[kWhen].isNull());
    EXPECT_EQ(row[kPrice].toString(), "0.0000");
}

TEST(FoxProWriteTest, AnAppendWhoseCounterCannotAdvanceWritesNothing) {
    struct Case {
        std::uint8_t step;
        std::uint32_t next;
        const char* refusal;
    };
    for (const Case& c :
         {Case{0, 5, "has a step of 0"}, Case{1, 2147483647, "has reached its limit"}}) {
        MemoryFileSystem files;
        putStock(files, c.step, c.next);
        const Bytes before = files.bytes(kTable);
        auto table = openTable(files, kTable);
        try {
            table->appendRecord({});
            ADD_FAILURE() << "appended";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos) << error.what();
        }
        EXPECT_EQ(files.bytes(kTable), before);
    }
}

TEST(FoxProWriteTest, AChangedMemoGoesToAFreshBlockOfTheMemoFile) {
    MemoryFileSystem files;
    putStock(files);
    const Bytes memoBefore = files.bytes(kMemo);
    auto table = openTable(files, kTable);
    table->updateRecord(0, {{kMemoField, table->prepareValue(kMemoField, Value::text("second"))}});
    const Bytes& memo = files.bytes(kMemo);
    // The old memo stays where it was; the new one follows it, padded to a whole block.
    EXPECT_EQ(slice(memo, 0, memoBefore.size()).substr(4),
              slice(memoBefore, 4, memoBefore.size() - 4));
    EXPECT_EQ(memo.size(), memoBefore.size() + 64);
    const std::uint32_t block = static_cast<std::uint32_t>(memoBefore.size() / 64);
    EXPECT_EQ(base::loadBig<std::uint32_t>(memo.data()), block + 1);
    EXPECT_EQ(slice(memo, block * 64, 14), std::string("\0\0\0\x01\0\0\0\x06second", 14));
    const std::size_t start = recordStart(*table, 0);
    EXPECT_EQ(slice(files.bytes(kTable), start + kOffsets[kMemoField], 4),
              FoxBuilder::le32(static_cast<std::int32_t>(block)));
    EXPECT_EQ(table->readField(0, kMemoField).asText(), "second");
    // An emptied memo is a zero pointer, and the memo file is left alone.
    table->updateRecord(0, {{kMemoField, table->prepareValue(kMemoField, Value::text(""))}});
    EXPECT_EQ(slice(files.bytes(kTable), start + kOffsets[kMemoField], 4), FoxBuilder::le32(0));
    EXPECT_EQ(files.bytes(kMemo).size(), memoBefore.size() + 64);
}

TEST(FoxProWriteTest, AnyDamagedOrCutFileOpensOrIsRefusedWithoutHarm) {
    MemoryFileSystem files;
    putStock(files);
    // Every descriptor (flags, counters), the terminator and the backlink's start.
    enginetest::expectDamageHandled(files.bytes(kTable), files.bytes(kMemo), "/t/t.fpt",
                                    32 + 9 * 32 + 12);
}

TEST(FoxProWriteTest, AFailingCallAnywhereIsReportedAndLeavesATableThatReads) {
    // Every call of every kind, on the table and on its memo file, fails once in turn while the
    // table is opened, read, updated (a name, a varchar and a memo) and appended to. The records
    // hold their old or their new values, and the counter never gives a number twice.
    const std::string longMemo(300, 'n');
    for (const std::string& failing : {kTable, kMemo}) {
        for (FileCall call : {FileCall::Size, FileCall::Read, FileCall::Write, FileCall::Lock}) {
            for (int nth = 1; nth <= 24; ++nth) {
                SCOPED_TRACE(failing + " call " + std::to_string(static_cast<int>(call)) + " #" +
                             std::to_string(nth));
                MemoryFileSystem files;
                putStock(files);
                files.failAt(failing, call, nth, EIO);
                bool appended = false;
                try {
                    auto table = openTable(files, kTable);
                    std::vector<Value> row;
                    table->readRecord(1, row);
                    table->updateRecord(
                        0, {{kName, table->prepareValue(kName, Value())},
                            {kCode, table->prepareValue(kCode, Value::text("xy"))},
                            {kMemoField, table->prepareValue(kMemoField, Value::text(longMemo))}});
                    table->appendRecord({{kName, table->prepareValue(kName, Value::text("Cy"))}});
                    appended = true;
                } catch (const EngineError& error) {
                    EXPECT_NE(std::string(error.what()).find("stock."), std::string::npos)
                        << error.what();
                }
                files.clearPlanned();
                auto reread = openTable(files, kTable, false);
                ASSERT_EQ(reread->physicalCount(), appended ? 3u : 2u);
                std::vector<Value> row;
                reread->readRecord(0, row);
                const bool updated = row[kName].isNull();
                EXPECT_EQ(row[kCode].asText(), updated ? "xy" : "ab");
                EXPECT_EQ(row[kMemoField].asText(), updated ? longMemo : "first");
                const std::uint32_t counter =
                    base::loadLittle<std::uint32_t>(files.bytes(kTable).data() + 32 + 19);
                if (appended) {
                    reread->readRecord(2, row);
                    EXPECT_EQ(row[kId].toString(), "5");
                    EXPECT_EQ(row[kName].asText(), "Cy");
                    EXPECT_EQ(counter, 7u);
                } else {
                    EXPECT_TRUE(counter == 5u || counter == 7u) << counter;
                }
            }
        }
    }
}
