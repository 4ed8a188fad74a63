// Typed input, dates as serial numbers, and A1 references.
#include "spreadsheet/CellReference.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TypedInput.h"
#include "spreadsheet/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace spreadsheet {
namespace {

struct TextCase {
    const char* text;
    CellValue expected;
};

TEST(TypedInputTest, PlainTextFollowsTypedInputRules) {
    const TextCase cases[] = {
        {"42", CellValue::number(42)},
        {"-3.5", CellValue::number(-3.5)},
        {"1E5", CellValue::number(100000)},
        {"2.5e-3", CellValue::number(0.0025)},
        {"(5)", CellValue::number(-5)},
        {"+7", CellValue::number(7)},
        {"50%", CellValue::number(0.5)},
        {".5", CellValue::number(0.5)},
        {"1,234,567.5", CellValue::number(1234567.5)},
        {"  12  ", CellValue::number(12)},
        {"00123", CellValue::number(123)},
        {"123456789012345", CellValue::number(123456789012345.0)},
        {"100000000000000000000", CellValue::number(1e20)},
        {"TRUE", CellValue::boolean(true)},
        {"false", CellValue::boolean(false)},
        {" True ", CellValue::boolean(true)},
        {"'00123", CellValue::text("00123")},
        {"'TRUE", CellValue::text("TRUE")},
        {"'=1+1", CellValue::text("=1+1")},
        {"'", CellValue()},
        {"", CellValue()},
        {"=1+1", CellValue::text("=1+1")},
        {"=SUM(R1C1:R2C2)", CellValue::text("=SUM(R1C1:R2C2)")},
        {"1234567890123456", CellValue::text("1234567890123456")},
        {"12,34", CellValue::text("12,34")},
        {"1,2345", CellValue::text("1,2345")},
        {"(-5)", CellValue::text("(-5)")},
        {"--5", CellValue::text("--5")},
        {"1E", CellValue::text("1E")},
        {"1e999", CellValue::text("1e999")},
        {"inf", CellValue::text("inf")},
        {"nan", CellValue::text("nan")},
        {"1/2/2003", CellValue::text("1/2/2003")},
        {"$1,000", CellValue::text("$1,000")},
        {"abc  ", CellValue::text("abc  ")},
        {".", CellValue::text(".")},
        {"-", CellValue::text("-")},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(typedInput(Variant::text(c.text)), c.expected) << '"' << c.text << '"';
    }
}

class FixedObject : public VariantObject {
public:
    explicit FixedObject(Variant value) : m_value(std::move(value)) {}
    Variant defaultValue() const override { return m_value; }

private:
    Variant m_value;
};

Variant objectOf(Variant value) {
    return Variant::object(std::make_shared<FixedObject>(std::move(value)));
}

TEST(TypedInputTest, TypedValuesKeepTheirType) {
    EXPECT_EQ(typedInput(Variant()), CellValue());
    EXPECT_EQ(typedInput(Variant::null()), CellValue());
    EXPECT_EQ(typedInput(Variant::number(42)), CellValue::number(42));
    EXPECT_EQ(typedInput(Variant::boolean(false)), CellValue::boolean(false));
    EXPECT_EQ(typedInput(Variant::date({2024, 2, 29, 0})),
              CellValue::dateSerial(45351, DateStyle::Date));
    EXPECT_EQ(typedInput(Variant::date({2024, 2, 29, 64'800'000'000})),
              CellValue::dateSerial(45351.75, DateStyle::DateTime));
    // Before 1900 a workbook has no date number: the date is kept as text.
    EXPECT_EQ(typedInput(Variant::date({1899, 12, 31, 0})), CellValue::text("1899-12-31"));
    // A date-time keeps its time-of-day format at midnight too.
    EXPECT_EQ(typedInput(Variant::dateTime({2024, 2, 29, 0})),
              CellValue::dateSerial(45351, DateStyle::DateTime));
    EXPECT_EQ(typedInput(Variant::dateTime({1899, 12, 31, 0})),
              CellValue::text("1899-12-31 00:00:00"));
}

TEST(TypedInputTest, ObjectTextIsNeverParsed) {
    for (const char* text : {"00123", "=1+1", "TRUE", "42", "'quoted", "trailing   ", "-"}) {
        EXPECT_EQ(typedInput(objectOf(Variant::text(text))), CellValue::text(text)) << text;
    }
    EXPECT_EQ(typedInput(objectOf(Variant::text(""))), CellValue());
    EXPECT_EQ(typedInput(objectOf(Variant::null())), CellValue());
    EXPECT_EQ(typedInput(objectOf(Variant::number(7))), CellValue::number(7));
    EXPECT_EQ(typedInput(objectOf(objectOf(Variant::boolean(true)))), CellValue::boolean(true));
}

TEST(TypedInputTest, ValuesACellCannotHoldAreRefused) {
    auto codeOf = [](const Variant& value) {
        try {
            typedInput(value);
        } catch (const SpreadsheetError& error) {
            return error.code();
        }
        return 0;
    };
    EXPECT_EQ(codeOf(Variant::number(std::numeric_limits<double>::quiet_NaN())),
              kErrorTypeMismatch);
    EXPECT_EQ(codeOf(Variant::number(std::numeric_limits<double>::infinity())), kErrorTypeMismatch);
    EXPECT_EQ(codeOf(Variant::date({2023, 2, 29, 0})), kErrorTypeMismatch);
    // An object whose default value is itself, forever.
    struct Loop : VariantObject {
        Variant defaultValue() const override { return Variant::object(std::make_shared<Loop>()); }
    };
    EXPECT_EQ(codeOf(Variant::object(std::make_shared<Loop>())), kErrorTypeMismatch);
}

TEST(DateSerialTest, FollowsThe1900DateSystem) {
    struct Case {
        DateTime date;
        double serial;
    };
    const Case cases[] = {
        {{1900, 1, 1, 0}, 1},
        {{1900, 2, 28, 0}, 59},
        {{1900, 3, 1, 0}, 61},
        {{2024, 2, 29, 0}, 45351},
        {{2024, 2, 29, 43'200'000'000}, 45351.5},
        {{9999, 12, 31, 0}, 2958465},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(dateToSerial(c.date), c.serial) << c.date.toText();
        EXPECT_EQ(serialToDate(c.serial), c.date) << c.serial;
    }
    // Serial 60 is the 29 February 1900 that never was.
    EXPECT_EQ(serialToDate(60), (DateTime{1900, 2, 28, 0}));
    // A time that rounds up to midnight carries into the next day.
    EXPECT_EQ(serialToDate(std::nextafter(62.0, 0.0)), (DateTime{1900, 3, 2, 0}));
    EXPECT_THROW(dateToSerial({1899, 12, 31, 0}), SpreadsheetError);
    EXPECT_THROW(serialToDate(-1), SpreadsheetError);
    EXPECT_THROW(serialToDate(kLastDateSerial), SpreadsheetError);
}

TEST(CellValueTest, DisplayTexts) {
    EXPECT_EQ(CellValue::number(42).displayText(), "42");
    EXPECT_EQ(CellValue::number(-0.25).displayText(), "-0.25");
    EXPECT_EQ(CellValue::number(0.1 + 0.2).displayText(), "0.3");
    EXPECT_EQ(CellValue::boolean(true).displayText(), "TRUE");
    EXPECT_EQ(CellValue::error(0x2A).displayText(), "#N/A");
    EXPECT_EQ(CellValue::dateSerial(45351.75, DateStyle::Date).displayText(), "2024-02-29");
    EXPECT_EQ(CellValue::dateSerial(45351.75, DateStyle::DateTime).displayText(),
              "2024-02-29 18:00:00");
    EXPECT_EQ(CellValue::dateSerial(0.5, DateStyle::Time).displayText(), "12:00:00");
}

TEST(CellReferenceTest, ColumnLettersAreBijectiveBase26) {
    EXPECT_EQ(columnLetters(0), "A");
    EXPECT_EQ(columnLetters(25), "Z");
    EXPECT_EQ(columnLetters(26), "AA");
    EXPECT_EQ(columnLetters(51), "AZ");
    EXPECT_EQ(columnLetters(52), "BA");
    EXPECT_EQ(columnLetters(255), "IV");
    EXPECT_EQ(columnLetters(701), "ZZ");
    EXPECT_EQ(columnLetters(702), "AAA");
}

TEST(CellReferenceTest, ParsesCellsRangesRowsAndColumns) {
    struct Case {
        const char* text;
        CellArea area;
    };
    const Case cases[] = {
        {"A1", {0, 0, 0, 0}},
        {"b2", {1, 1, 1, 1}},
        {"$C$3", {2, 2, 2, 2}},
        {"A1:D20", {0, 0, 19, 3}},
        {"D20:A1", {0, 0, 19, 3}},
        {"IV65536", {65535, 255, 65535, 255}},
        {"C:E", {0, 2, 65535, 4}},
        {"3:7", {2, 0, 6, 255}},
        {"$3:$3", {2, 0, 2, 255}},
        {"aB12", {11, 27, 11, 27}},
        {"iv65536", {65535, 255, 65535, 255}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseReference(c.text), c.area) << c.text;
    for (const char* text : {"",    "A",   "1",   "A0",    "IW1",       "A65537", "A01",   "1A",
                             "A1:", ":A1", "A1 ", "A1,B2", "Sheet1!A1", "A$",     "AAAA1", "A:1",
                             "@1",  "[1",  "`1",  "{1",    "A1234567",  "XFD1",   "A-1",   "A1/"}) {
        EXPECT_THROW(parseReference(text), SpreadsheetError) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace spreadsheet
