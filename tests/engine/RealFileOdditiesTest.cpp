// Oddities of real files that are read with a warning rather than refused: a record length one
// byte short of the fields, dBASE 7's autoincrement field in an older table, dBASE IV memos whose
// stated length leaves out their block header.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <cstring>

using engine::Value;
using enginetest::anyContains;
using enginetest::openTable;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::MemoryFileSystem;
using testsupport::putTable;

TEST(RealFileOdditiesTest, ARecordLengthOneByteShortIsMendedWhenTheFileFitsTheFields) {
    for (bool fits : {true, false}) {
        SCOPED_TRACE(fits);
        MemoryFileSystem files;
        DbfBuilder builder(0x03);
        builder.field("NAME", 'C', 5).field("QTY", 'N', 3);
        builder.record({"Ann", "7"}).record({"Bob", "12"}).headerByte(10, 8);  // 9 needed
        if (!fits) builder.declaredCount(3);
        const std::string path = putTable(files, builder, "/t/t");
        if (!fits) {
            EXPECT_THROW(openTable(files, path), engine::EngineError);
            continue;
        }
        auto table = openTable(files, path);
        EXPECT_FALSE(table->isWritable());
        EXPECT_TRUE(anyContains(table->warnings(), "one less than its fields need"));
        EXPECT_EQ(table->header().recordLength, 9);
        EXPECT_EQ(table->readField(1, 0).asText(), "Bob");
        EXPECT_EQ(table->readField(1, 1).toString(), "12");
    }
}

TEST(RealFileOdditiesTest, AnAutoincrementFieldInAnOlderTableIsReadAsDbase7s) {
    MemoryFileSystem files;
    DbfBuilder builder(0x03);
    builder.field("ID", '+', 4).field("NAME", 'C', 4);
    builder.rawRecord(std::string("\x80\x00\x00\x07", 4) + "Ann");
    auto table = openTable(files, putTable(files, builder, "/t/t"));
    EXPECT_EQ(table->readField(0, 0).toString(), "7");
    EXPECT_TRUE(anyContains(table->warnings(), "read as a dBASE 7 one"));
    EXPECT_FALSE(table->isWritable());
    EXPECT_NE(table->readOnlyReason().find("autoincrement"), std::string::npos);
}

TEST(RealFileOdditiesTest, AMemoLengthWithoutItsBlockHeaderReadsTheWholeText) {
    struct Case {
        const char* text;
        std::uint32_t stated;  // the block's length field
        const char* after;     // the bytes right after the text
        const char* read;
        bool warns;
    };
    const Case cases[] = {
        {"Hello, world of memos", 21, "\x1a", "Hello, world of memos", true},
        {"abc", 3, "\x1a", "abc", true},
        {"Hello, world of memos", 29, "\x1a\x1a", "Hello, world of memos", false},
        {"Hello, world of memos", 29, "", "Hello, world of memos", false},
        // No end mark where the shorter reading says the text ends: read as stated.
        {"Hello, world of memos", 21, "", "Hello, world ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.stated));
        MemoryFileSystem files;
        DbfBuilder builder(0x8B);
        builder.field("NOTE", 'M', 10).record({c.text});
        const std::string path = putTable(files, builder, "/t/t");
        Bytes memo = files.bytes("/t/t.dbt");
        base::storeLittle(memo.data() + 512 + 4, c.stated);
        const std::string after = c.after;
        std::copy(after.begin(), after.end(), memo.begin() + 512 + 8 + std::strlen(c.text));
        files.put("/t/t.dbt", memo);
        auto table = openTable(files, path);
        EXPECT_EQ(table->readField(0, 0).asText(), c.read);
        EXPECT_EQ(anyContains(table->warnings(), "leaves out their block header"), c.warns);
    }
}
