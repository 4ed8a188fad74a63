#include "engine/TableDefinition.h"
#include "tablecreate/FieldTypes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using tablecreate::convertLength;

TEST(FieldTypesTest, LengthTextsThatConvert) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"  12  ", 12},
        {"\t7", 7},
        {"+7", 7},
        {"-3", -3},
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"0.5", 0},
        {"1.5", 2},
        {".5", 0},
        {"8.", 8},
        {"2.500001", 3},
        {"2.4999999", 2},
        {"2.50000", 2},
        {"10.0", 10},
        {"32767", 32767},
        {"-32768", -32768},
        {"32766.5", 32766},
        {"32767.4999", 32767},
        {"-32768.5", -32768},
        {"0000000032767", 32767},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convertLength(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(FieldTypesTest, LengthTextsThatAreNotNumbers) {
    const char* const cases[] = {"",  " ",  "abc",   "1e2",  "1,5", "12a", "- 5",   "+",
                                 ".", "-.", "1.2.3", "0x10", "5 5", "++5", "1_000", "½"};
    for (const char* text : cases) {
        try {
            convertLength(text);
            ADD_FAILURE() << '"' << text << "\" converted";
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("\"") + text + "\""),
                      std::string::npos)
                << error.what();
        }
    }
}

TEST(FieldTypesTest, LengthTextsOutOfRange) {
    for (const char* text : {"32768", "32767.5", "-32769", "-32768.51", "99999999999999999999"}) {
        EXPECT_THROW(convertLength(text), std::out_of_range) << text;
    }
}

TEST(FieldTypesTest, TypeTableMatchesTheEngineCodes) {
    struct Case {
        const char* name;
        std::int32_t code;
        const char* fixedLength;
    };
    const Case cases[] = {
        {"Boolean", engine::kTypeBoolean, "1"}, {"Date", engine::kTypeDate, "8"},
        {"Double", engine::kTypeDouble, ""},    {"Integer", engine::kTypeInteger, ""},
        {"Memo", engine::kTypeMemo, "0"},       {"Text", engine::kTypeText, ""},
    };
    for (const Case& c : cases) {
        const tablecreate::FieldTypeEntry* entry = tablecreate::findFieldType(c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->code, c.code) << c.name;
        EXPECT_EQ(entry->fixedLength, c.fixedLength) << c.name;
    }
    EXPECT_EQ(tablecreate::findFieldType("text"), nullptr);
    EXPECT_EQ(tablecreate::findFieldType(""), nullptr);
}

}  // namespace
