// Values and the byte-level conversions under them: decimal text, decimals kept, dates, text forms,
// and code page round trips.
#include "engine/EngineError.h"
#include "engine/Value.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/FieldCodec.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <utility>

using engine::DateTime;
using engine::Value;

TEST(ValueTest, TextFormsAreWhatExportsAndTheCommandLineShow) {
    struct Case {
        Value value;
        const char* text;
    };
    const Case cases[] = {
        {Value(), ""},
        {Value::text("a b "), "a b "},
        {Value::number(0.1), "0.1"},
        {Value::number(1e21), "1000000000000000000000"},
        {Value::number(-0.0), "0"},
        {Value::number(1.5e-7), "0.00000015"},
        {Value::number(12.5, "12.50"), "12.50"},
        {Value::date({2024, 2, 29, 0}), "2024-02-29"},
        {Value::date({1, 1, 1, 3'723'000'001}), "0001-01-01T01:02:03.000001"},
        {Value::boolean(true), "true"},
        {Value::dateTime({2024, 2, 29, 0}), "2024-02-29 00:00:00"},
        {Value::dateTime({1999, 12, 31, 86'399'250'000}), "1999-12-31 23:59:59.250"},
        {Value::binary(std::string("\x00\xff"
                                   "A",
                                   3)),
         "\\x00ff41"},
        {Value::binary(""), "\\x"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value.toString(), c.text);
    EXPECT_THROW(Value::text("x").asNumber(), engine::EngineError);
    EXPECT_THROW(Value().asText(), engine::EngineError);
    EXPECT_EQ(Value::number(2, "2.00"), Value::number(2));
    EXPECT_FALSE(Value::text("2") == Value::number(2));
}

TEST(ValueTest, RefillingARowBufferKeepsKindsApart) {
    Value value = Value::text("long enough to live on the heap, not inline");
    value.assignNumber(3).assign("3.0");
    EXPECT_EQ(value.asNumber(), 3);
    EXPECT_EQ(value.exactNumberText(), "3.0");
    value.assignText() = "again text";
    EXPECT_EQ(value.asText(), "again text");
    EXPECT_TRUE(value.exactNumberText().empty());
    value.setNull();
    EXPECT_TRUE(value.isNull());
}

TEST(ValueTest, DatesAreValidatedOnTheGregorianCalendar) {
    EXPECT_TRUE((DateTime{2000, 2, 29, 0}).isValid());
    EXPECT_FALSE((DateTime{1900, 2, 29, 0}).isValid());
    EXPECT_TRUE((DateTime{2024, 2, 29, 0}).isValid());
    EXPECT_FALSE((DateTime{2023, 4, 31, 0}).isValid());
    EXPECT_FALSE((DateTime{0, 1, 1, 0}).isValid());
    EXPECT_FALSE((DateTime{10000, 1, 1, 0}).isValid());
    EXPECT_FALSE((DateTime{2023, 1, 1, 86'400'000'000}).isValid());
}

TEST(FieldCodecTest, DateTimesAreReadFromTextDatesAndDateTimesToTheMillisecond) {
    struct Case {
        Value in;
        const char* stored;  // toString of the result; null: refused
    };
    const Case cases[] = {
        {Value::text("2023-05-06 07:08:09"), "2023-05-06 07:08:09"},
        {Value::text(" 2023-05-06T07:08 "), "2023-05-06 07:08:00"},
        {Value::text("20230506 23:59:59.5"), "2023-05-06 23:59:59.500"},
        {Value::text("2023-05-06"), "2023-05-06 00:00:00"},
        {Value::text("  "), ""},
        {Value::date({2023, 5, 6, 3'600'000'000}), "2023-05-06 01:00:00"},
        {Value::dateTime({2023, 5, 6, 1000}), "2023-05-06 00:00:00.001"},
        {Value::text("2023-05-06T"), nullptr},
        {Value::text("2023-05-06 24:00"), nullptr},
        {Value::text("2023-05-06 10:61"), nullptr},
        {Value::text("2023-05-06 10:00:00.1234"), nullptr},
        {Value::text("2023-02-30 10:00"), nullptr},
        {Value::dateTime({2023, 5, 6, 1}), nullptr},
        {Value::number(3), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.toString());
        Value out;
        std::string reason;
        const bool stored = engine::dbf::toDateTimeValue(c.in, out, reason);
        EXPECT_EQ(stored, c.stored != nullptr) << reason;
        if (stored) {
            EXPECT_EQ(out.toString(), c.stored);
        } else {
            EXPECT_FALSE(reason.empty());
        }
    }
}

TEST(FieldCodecTest, DecimalTextIsCanonicalised) {
    struct Case {
        const char* text;
        bool comma;
        const char* canonical;  // nullptr: not a number
    };
    const Case cases[] = {
        {"  -0012.50 ", false, "-12.50"},
        {"+7", false, "7"},
        {".5", false, "0.5"},
        {"5.", false, "5"},
        {"0", false, "0"},
        {"-0.000", false, "0.000"},
        {"1.5E3", false, "1500"},
        {"1.5e-3", false, "0.0015"},
        {"12E+0", false, "12"},
        {"1,5", true, "1.5"},
        {"1,5", false, nullptr},
        {"1,000.5", true, nullptr},
        {"", false, nullptr},
        {"-", false, nullptr},
        {"1e", false, nullptr},
        {"1 2", false, nullptr},
        {"0x10", false, nullptr},
        {"1..2", false, nullptr},
        {"12345678901234567890123", false, "12345678901234567890123"},
    };
    for (const Case& c : cases) {
        std::string canonical;
        bool ok = engine::dbf::canonicalDecimal(c.text, c.comma, canonical);
        EXPECT_EQ(ok, c.canonical != nullptr) << c.text;
        if (ok && c.canonical != nullptr) {
            EXPECT_EQ(canonical, c.canonical) << c.text;
        }
    }
}

TEST(FieldCodecTest, StoredNumbersReadTheSameOnTheQuickPathAsOnTheGeneralOne) {
    // The general reading: the canonical text, then the double it names.
    auto general = [](const std::string& text) {
        std::string canonical;
        std::size_t first = text.find_first_not_of(' ');
        std::size_t last = text.find_last_not_of(' ');
        bool ok =
            engine::dbf::canonicalDecimal(text.substr(first, last - first + 1), true, canonical);
        EXPECT_TRUE(ok) << text;
        double value = 0;
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
        return std::pair(value, canonical);
    };
    const char* texts[] = {
        "  -0012.50",
        "0",
        "-0.00",
        "00.50",
        ".5",
        "5.",
        "+7",
        "-1234.5678",
        "0.1",
        "0.3",
        "123456789012.34",
        "999999999999999.9",
        "9007199254740992",
        "9007199254740993",
        "-9007199254740993",
        "12345678901234567890",
        "0.1234567890123456789012",
        "1.0000000000000000000000001",
        "4.35",
        "2.675",
        "1.5e3",
        "1,5",
        "000000000000000000001",
    };
    Value value = Value::text("a buffer refilled by every reading");
    for (const char* text : texts) {
        std::string field(text);
        ASSERT_TRUE(engine::dbf::decodeNumber(reinterpret_cast<const std::uint8_t*>(field.data()),
                                              field.size(), value))
            << text;
        auto [expected, canonical] = general(field);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value.asNumber()),
                  std::bit_cast<std::uint64_t>(expected))
            << text;
        EXPECT_EQ(value.exactNumberText(), canonical) << text;
    }
}

TEST(FieldCodecTest, NumbersKeepTheirDecimalsOrDoNotFitAndAreRightAligned) {
    struct Case {
        Value value;
        int width;
        int decimals;
        const char* bytes;  // nullptr: does not fit
    };
    const Case cases[] = {
        {Value::number(0.0807, "0.0807"), 6, 3, nullptr},
        {Value::number(0.0807, "0.0807"), 6, 4, "0.0807"},
        {Value::number(-0.125, "-0.125"), 6, 2, nullptr},
        {Value::number(-0.004, "-0.004"), 5, 2, nullptr},
        {Value::number(2.5, "2.50"), 5, 1, "  2.5"},
        {Value::number(12, "12.000"), 4, 0, "  12"},
        {Value::number(-12.5, "-12.5"), 7, 3, "-12.500"},
        {Value::number(9.99, "9.99"), 4, 2, "9.99"},
        {Value::number(9.99, "9.99"), 3, 2, nullptr},
        {Value::number(0.5, "0.5"), 3, 2, ".50"},
        {Value::number(-0.5, "-0.5"), 4, 2, "-.50"},
        {Value::number(123456789.0), 9, 0, "123456789"},
        {Value::number(123456789.0), 5, 0, nullptr},
        {Value::number(2.5), 3, 0, nullptr},
        {Value::number(2.675), 5, 2, nullptr},
        {Value::number(2.675), 5, 3, "2.675"},
        {Value::number(0.1 + 0.2), 6, 2, nullptr},
        {Value::number(1e300), 20, 0, nullptr},
    };
    for (const Case& c : cases) {
        std::string out, reason;
        bool ok = engine::dbf::formatNumber(c.value, c.width, c.decimals, out, reason);
        EXPECT_EQ(ok, c.bytes != nullptr) << c.value.toString() << " " << reason;
        if (ok && c.bytes != nullptr) {
            EXPECT_EQ(out, c.bytes) << c.value.toString();
        }
    }
}

TEST(CodePageTest, SingleBytePagesRoundTripEveryByte) {
    for (const char* name :
         {"CP1252", "CP437", "CP850", "CP866", "CP1251", "CP1250", "CP852", "MACINTOSH"}) {
        auto codec = engine::dbf::TextCodec::get(name);
        std::string all;
        for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
        std::string utf8, back;
        codec->decode(reinterpret_cast<const std::uint8_t*>(all.data()), all.size(), utf8);
        char32_t bad = 0;
        ASSERT_TRUE(codec->encode(utf8, back, bad)) << name << " " << static_cast<unsigned>(bad);
        EXPECT_EQ(back, all) << name;
    }
}

TEST(CodePageTest, NamesFromSideFilesAndUsers) {
    using engine::dbf::codePageFromCpg;
    EXPECT_EQ(codePageFromCpg(" ansi 1251\r\n")->number, 1251);
    EXPECT_EQ(codePageFromCpg("65001")->converter, "UTF-8");
    EXPECT_EQ(codePageFromCpg("LDID/38")->number, 866);
    EXPECT_EQ(codePageFromCpg("windows-1250")->number, 1250);
    EXPECT_EQ(codePageFromCpg("iso-8859-5")->converter, "ISO-8859-5");
    EXPECT_FALSE(codePageFromCpg("").has_value());
    EXPECT_FALSE(codePageFromCpg("??").has_value());
    EXPECT_FALSE(codePageFromCpg("LDID/999").has_value());
    EXPECT_THROW(engine::dbf::codePageFromUserName("620"), engine::EngineError);
    EXPECT_EQ(engine::dbf::codePageFromUserName("cp866").number, 866);
}

TEST(CodePageTest, EveryFoxProMarkNamesItsCodePageAndConvertsButThreeWithoutConverter) {
    const std::pair<std::uint8_t, int> marks[] = {
        {0x01, 437},  {0x02, 850},   {0x03, 1252},  {0x04, 10000}, {0x64, 852},  {0x65, 866},
        {0x66, 865},  {0x67, 861},   {0x68, 895},   {0x69, 620},   {0x6A, 737},  {0x6B, 857},
        {0x78, 950},  {0x79, 949},   {0x7A, 936},   {0x7B, 932},   {0x7C, 874},  {0x7D, 1255},
        {0x7E, 1256}, {0x96, 10007}, {0x97, 10029}, {0x98, 10006}, {0xC8, 1250}, {0xC9, 1251},
        {0xCA, 1254}, {0xCB, 1253},
    };
    for (const auto& [mark, number] : marks) {
        auto page = engine::dbf::codePageForLanguageDriver(mark);
        ASSERT_TRUE(page.has_value()) << int{mark};
        EXPECT_EQ(page->number, number);
        const bool none = number == 620 || number == 895 || number == 10006;
        EXPECT_EQ(page->converter.empty(), none) << number;
        if (!none) {
            EXPECT_NO_THROW(engine::dbf::TextCodec::get(page->converter)) << number;
        }
    }
}

TEST(CodePageTest, MultiBytePagesEncodeWholeCharactersOrRefuse) {
    auto sjis = engine::dbf::TextCodec::get("CP932");
    std::string out;
    char32_t bad = 0;
    ASSERT_TRUE(
        sjis->encode("\xE3\x81\x82"
                     "a",
                     out, bad));
    EXPECT_EQ(out,
              "\x82\xA0"
              "a");
    std::string text;
    sjis->decode(reinterpret_cast<const std::uint8_t*>("\x82"), 1, text);  // cut in half
    EXPECT_EQ(text, "\xEF\xBF\xBD");
    out.clear();
    EXPECT_FALSE(sjis->encode("\xF0\x9F\x98\x80", out, bad));  // an emoji
    EXPECT_EQ(static_cast<unsigned>(bad), 0x1F600u);
}
