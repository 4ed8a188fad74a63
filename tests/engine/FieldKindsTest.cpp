// The table of field kinds: which letters and widths a dBASE table may hold, how each shows, the
// fixed shapes of new fields, memo pointers, and that every kind reads back what it writes.
#include "engine/TableDefinition.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/TextCodec.h"
#include "tests/support/FoxBuilder.h"

#include <gtest/gtest.h>

using engine::Value;
using namespace engine::dbf;
using testsupport::FoxBuilder;

namespace {

TEST(FieldKindsTest, LettersAndWidthsADbaseTableMayHold) {
    struct Case {
        char letter;
        int width;
        bool accepted;
        const char* shown;  // for width 8, 2 decimals
    };
    const Case cases[] = {
        {'C', 254, true, "C(8)"}, {'N', 20, true, "N(8,2)"}, {'F', 20, true, "F(8,2)"},
        {'L', 1, true, "L"},      {'D', 8, true, "D"},       {'M', 10, true, "M"},
        {'M', 4, true, "M"},      {'B', 10, true, "B"},      {'G', 10, true, "G"},
        {'B', 8, false, "B"},     {'I', 4, false, "I"},      {'T', 8, false, "T"},
        {'0', 1, false, "0"},     {'c', 4, false, "c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findFieldKind(c.letter, kDbaseIIIto5, c.width) != nullptr, c.accepted)
            << c.letter << c.width;
        EXPECT_EQ(fieldTypeText(c.letter, 8, 2), c.shown);
    }
    EXPECT_EQ(findFieldKind('M')->pointer, MemoPointer::Digits);
    EXPECT_EQ(findFieldKind('C')->pointer, MemoPointer::None);
    EXPECT_FALSE(findFieldKind('G', kDbaseIIIto5, 10)->readable);
}

TEST(FieldKindsTest, EveryKindReadsBackWhatItWrites) {
    struct Case {
        char letter;
        int width;
        int decimals;
        Value in;
        std::string bytes;
        Dialects dialects = kDbaseIIIto5;
    };
    const Case cases[] = {
        {'C', 5, 0, Value::text("Zo\xC3\xA9"), "Zo\xE9  "},
        {'C', 5, 0, Value::text(""), "     "},
        {'N', 8, 2, Value::text("1.5"), "    1.50"},
        {'N', 8, 2, Value(), "        "},
        {'F', 6, 0, Value::number(-3), "    -3"},
        {'L', 1, 0, Value::text("y"), "T"},
        {'L', 1, 0, Value::boolean(false), "F"},
        {'L', 1, 0, Value(), " "},
        {'D', 8, 0, Value::text("2024-02-29"), "20240229"},
        {'D', 8, 0, Value(), "        "},
        {'I', 4, 0, Value::text("-5"), std::string("\x7f\xff\xff\xfb", 4), kDbase7Table},
        {'I', 4, 0, Value(), std::string(4, '\0'), kDbase7Table},
        {'O', 8, 0, Value::text("2.5"), std::string("\xc0\x04\0\0\0\0\0\0", 8), kDbase7Table},
        {'@', 8, 0, Value::text("1900-01-01 00:00:00.250"),
         std::string("\x42\xcb\x40\x62\xaa\x88\x7d\x00", 8), kDbase7Table},
    };
    auto codec = TextCodec::get("CP1252");
    const std::string pageName = "1252";
    const CellContext context{codec.get(), &pageName, nullptr, nullptr};
    for (const Case& c : cases) {
        FieldDescriptor field;
        field.type = c.letter;
        field.length = c.width;
        field.decimals = c.decimals;
        field.kind = findFieldKind(c.letter, c.dialects, c.width);
        ASSERT_NE(field.kind, nullptr);
        Value prepared, read;
        std::string bytes, reason;
        ASSERT_TRUE(field.kind->prepare(field, context, c.in, prepared, reason)) << reason;
        ASSERT_TRUE(field.kind->encode(field, context, prepared, bytes, reason)) << reason;
        EXPECT_EQ(bytes, c.bytes) << c.letter;
        EXPECT_EQ(field.kind->decode(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size(), context, read),
                  CellProblem::None);
        EXPECT_EQ(read, prepared) << c.letter << " " << c.bytes;
    }
}

TEST(FieldKindsTest, VisualFoxProKindsStoreExactlyWhatTheyReadBackOrRefuse) {
    struct Case {
        char letter;
        int width;
        Value in;
        std::string bytes;              // what encode gives
        const char* refusal = nullptr;  // a fragment of the reason
        bool binaryFlag = false;
        const char* readBack = nullptr;  // when not the prepared value: blank I and B read 0
    };
    const std::string zeros4(4, '\0'), zeros8(8, '\0');
    const Case cases[] = {
        {'I', 4, Value::text("-7"), FoxBuilder::le32(-7)},
        {'I', 4, Value::text("12.00"), FoxBuilder::le32(12)},
        {'I', 4, Value::number(2147483647), FoxBuilder::le32(2147483647)},
        {'I', 4, Value(), zeros4, nullptr, false, "0"},
        {'I', 4, Value::text("-2147483648"), "", "outside the range"},
        {'I', 4, Value::text("1.5"), "", "1 decimal"},
        // python3-dbf stores -1234.5678 as b2 9e 43 ff ff ff ff ff.
        {'Y', 8, Value::text("-1234.5678"), "\xb2\x9e\x43\xff\xff\xff\xff\xff"},
        {'Y', 8, Value::number(0.1), FoxBuilder::le64(1000)},
        {'Y', 8, Value::text("922337203685477.5807"), FoxBuilder::le64(0x7FFF'FFFF'FFFF'FFFF)},
        {'Y', 8, Value::text("922337203685477.5808"), "", "outside the range"},
        {'Y', 8, Value::text("0.00001"), "", "5 decimals and the field holds 4"},
        {'B', 8, Value::number(2.5), std::string("\0\0\0\0\0\0\x04\x40", 8)},
        {'B', 8, Value(), zeros8, nullptr, false, "0"},
        {'B', 8, Value::text("1e308"), "", "outside the range"},
        {'T', 8, Value::text("1970-01-01 00:00:01"), FoxBuilder::dateTime(2440588, 1000)},
        {'T', 8, Value::text("0001-01-01"), FoxBuilder::dateTime(1721426, 0)},
        {'T', 8, Value(), zeros8},
        {'T', 8, Value::text("2024-02-29 12:00:00.5"), "", "whole seconds"},
        {'T', 8, Value::text("2024-02-30 12:00"), "", "is not a date and time"},
        {'V', 4, Value::text("ab"), "ab"},
        {'V', 4, Value::text("abcd"), "abcd"},
        {'V', 4, Value::text("abcde"), "", "takes 5 bytes"},
        {'C', 4, Value::text("ab"), "", "binary data", true},
        {'Q', 4, Value::text("ab"), "", "binary data"},
    };
    auto codec = TextCodec::get("CP1252");
    const std::string pageName = "1252";
    const CellContext context{codec.get(), &pageName, nullptr, nullptr};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.letter) + " " + c.in.toString());
        FieldDescriptor field;
        field.type = c.letter;
        field.length = c.width;
        field.decimals = c.letter == 'Y' ? 4 : 0;
        field.kind = findFieldKind(c.letter, kVisualFoxPro, c.width, c.binaryFlag);
        ASSERT_NE(field.kind, nullptr);
        Value prepared, read;
        std::string bytes, reason;
        const bool stored = field.kind->prepare(field, context, c.in, prepared, reason) &&
                            field.kind->encode(field, context, prepared, bytes, reason);
        if (c.refusal != nullptr) {
            EXPECT_FALSE(stored);
            EXPECT_NE(reason.find(c.refusal), std::string::npos) << reason;
            continue;
        }
        ASSERT_TRUE(stored) << reason;
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(field.kind->decode(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size(), context, read),
                  CellProblem::None);
        if (c.readBack != nullptr) {
            EXPECT_EQ(read.toString(), c.readBack);
            continue;
        }
        EXPECT_EQ(read, prepared);
        EXPECT_EQ(read.toString(), prepared.toString());
    }
}

TEST(FieldKindsTest, VisualFoxProCellsThatReadRoundedOrNotAtAll) {
    struct Case {
        char letter;
        std::string bytes;
        std::string expected;  // Value::toString(); "<null>" for null
        bool problem = false;
    };
    const Case cases[] = {
        {'T', FoxBuilder::dateTime(2440588, 999), "1970-01-01 00:00:01"},
        {'T', FoxBuilder::dateTime(2440588, 499), "1970-01-01 00:00:00"},
        {'T', FoxBuilder::dateTime(2440588, 86'399'999), "1970-01-02 00:00:00"},
        {'T', FoxBuilder::dateTime(5373484, 86'399'600), "9999-12-31 23:59:59"},
        {'T', FoxBuilder::dateTime(2415019, 37'800'000), "1899-12-30 10:30:00"},
        {'T', FoxBuilder::dateTime(0, 2), "<null>"},
        {'T', FoxBuilder::dateTime(2440588, 86'400'000), "<null>", true},
        {'T', FoxBuilder::dateTime(-5, 0), "<null>", true},
        {'T', FoxBuilder::dateTime(5373485, 0), "<null>", true},
        {'Y', FoxBuilder::le64(1), "0.0001"},
        {'Y', FoxBuilder::le64(0), "0.0000"},
        {'Y', FoxBuilder::le64(-0x7FFF'FFFF'FFFF'FFFF - 1), "-922337203685477.5808"},
        {'B', std::string("\0\0\0\0\0\0\xf8\x7f", 8), "<null>", true},  // NaN
        {'I', FoxBuilder::le32(-2147483647 - 1), "-2147483648"},
    };
    auto codec = TextCodec::get("CP1252");
    const std::string pageName = "1252";
    const CellContext context{codec.get(), &pageName, nullptr, nullptr};
    for (const Case& c : cases) {
        const FieldKind* kind =
            findFieldKind(c.letter, kVisualFoxPro, static_cast<int>(c.bytes.size()));
        ASSERT_NE(kind, nullptr);
        Value read;
        CellProblem problem = kind->decode(reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                           c.bytes.size(), context, read);
        EXPECT_EQ(problem != CellProblem::None, c.problem) << c.expected;
        EXPECT_EQ(read.isNull() ? "<null>" : read.toString(), c.expected);
    }
}

TEST(FieldKindsTest, MemoPointersAsFourBytes) {
    std::string out;
    ASSERT_TRUE(encodePointer(MemoPointer::Binary, 9, 4, out));
    EXPECT_EQ(out, std::string("\x09\0\0\0", 4));
    EXPECT_FALSE(encodePointer(MemoPointer::Binary, 9, 10, out));
    struct Case {
        std::string bytes;
        bool valid;
        std::uint32_t block;
    };
    const Case cases[] = {{FoxBuilder::le32(0), true, 0},
                          {"    ", true, 0},
                          {FoxBuilder::le32(-1), true, 0xFFFF'FFFFu},
                          {std::string(" \x01\0\0", 4), true, 0x120},
                          {"        12", false, 0}};
    for (const Case& c : cases) {
        std::uint32_t block = 7;
        EXPECT_EQ(decodePointer(MemoPointer::Binary,
                                reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                c.bytes.size(), block),
                  c.valid);
        if (c.valid) {
            EXPECT_EQ(block, c.block);
        }
    }
}

TEST(FieldKindsTest, MemoPointersAsDigits) {
    std::string out;
    ASSERT_TRUE(encodePointer(MemoPointer::Digits, 123, 10, out));
    EXPECT_EQ(out, "       123");
    ASSERT_TRUE(encodePointer(MemoPointer::Digits, 0, 10, out));
    EXPECT_EQ(out, std::string(10, ' '));
    EXPECT_FALSE(encodePointer(MemoPointer::Digits, 12345, 4, out));
    struct Case {
        std::string bytes;
        bool valid;
        std::uint32_t block;
    };
    const Case cases[] = {{"0000000001", true, 1},
                          {"        99", true, 99},
                          {std::string(10, '\0'), true, 0},
                          {"4294967296", false, 0},
                          {"     1x   ", false, 0}};
    for (const Case& c : cases) {
        std::uint32_t block = 7;
        EXPECT_EQ(decodePointer(MemoPointer::Digits,
                                reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                c.bytes.size(), block),
                  c.valid)
            << c.bytes;
        if (c.valid) {
            EXPECT_EQ(block, c.block) << c.bytes;
        }
    }
}

TEST(FieldKindsTest, NewFieldsHaveTheCreationCodesShapes) {
    struct Case {
        std::int32_t code;
        bool dbaseIII;
        char letter;
        int width;
        int decimals;
    };
    const Case cases[] = {
        {engine::kTypeBoolean, false, 'L', 1, 0}, {engine::kTypeInteger, false, 'N', 6, 0},
        {engine::kTypeDouble, false, 'N', 20, 5}, {engine::kTypeDouble, true, 'N', 19, 5},
        {engine::kTypeDate, false, 'D', 8, 0},    {engine::kTypeText, false, 'C', 30, 0},
        {engine::kTypeMemo, true, 'M', 10, 0},
    };
    for (const Case& c : cases) {
        const NewFieldType* type = findNewFieldType(c.code);
        ASSERT_NE(type, nullptr) << c.code;
        NewFieldShape shape = newFieldShape(*type, 30, c.dbaseIII);
        EXPECT_EQ(shape.letter, c.letter) << c.code;
        EXPECT_EQ(shape.width, c.width) << c.code;
        EXPECT_EQ(shape.decimals, c.decimals) << c.code;
    }
    EXPECT_EQ(findNewFieldType(2), nullptr);
    EXPECT_EQ(newFieldTypeList(), "1 Boolean, 3 Integer, 7 Double, 8 Date, 10 Text or 12 Memo");
}

}  // namespace
