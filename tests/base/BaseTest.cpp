// The shared facts: calendar days, ASCII case, byte order and same-file tests, each over a table
// of cases with known answers.
#include "base/AsciiCase.h"
#include "base/CivilDate.h"
#include "base/Endian.h"
#include "base/SameFile.h"
#include "base/ShownText.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using base::DateTime;

TEST(CivilDateTest, DaysCountFrom1970BothWays) {
    struct Case {
        DateTime date;
        std::int64_t days;
    };
    const Case cases[] = {
        {{1970, 1, 1, 0}, 0},         {{1969, 12, 31, 0}, -1},   {{2000, 3, 1, 0}, 11017},
        {{1899, 12, 30, 0}, -25569},  {{1904, 1, 1, 0}, -24107}, {{1, 1, 1, 0}, -719162},
        {{9999, 12, 31, 0}, 2932896}, {{2024, 2, 29, 0}, 19782},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(base::daysSince1970(c.date.year, c.date.month, c.date.day), c.days)
            << c.date.toIsoString();
        EXPECT_EQ(base::dateOfDay(c.days), c.date) << c.days;
    }
    // A day past the end of its month counts on into the next.
    EXPECT_EQ(base::daysSince1970(2023, 2, 30), base::daysSince1970(2023, 3, 2));
    // Every day from year 1 to 9999 (in steps) reads back as itself, one day after the last.
    std::int64_t previous = base::daysSince1970(1, 1, 1) - 1;
    for (std::int64_t day = previous + 1; day <= 2932896; day += 997) {
        DateTime date = base::dateOfDay(day);
        ASSERT_TRUE(date.isValid()) << day;
        ASSERT_EQ(base::daysSince1970(date.year, date.month, date.day), day);
        ASSERT_GT(day, previous);
        previous = day;
    }
}

TEST(CivilDateTest, RealDaysAndTheirTexts) {
    struct Case {
        int year, month, day;
        bool real;
    };
    const Case cases[] = {{2000, 2, 29, true},  {1900, 2, 29, false}, {2024, 2, 29, true},
                          {2023, 4, 31, false}, {2023, 12, 31, true}, {0, 1, 1, false},
                          {10000, 1, 1, false}, {2023, 13, 1, false}, {2023, 1, 0, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(base::isRealDay(c.year, c.month, c.day), c.real)
            << c.year << "-" << c.month << "-" << c.day;
    }
    EXPECT_FALSE((DateTime{2023, 1, 1, base::kMicrosecondsPerDay}).isValid());
    EXPECT_EQ((DateTime{812, 3, 4, 0}).toIsoString(), "0812-03-04");
    EXPECT_EQ((DateTime{2024, 3, 4, 3'723'000'250}).toIsoString(), "2024-03-04T01:02:03.000250");
    EXPECT_EQ((DateTime{2024, 3, 4, 3'723'000'000}).toText(), "2024-03-04 01:02:03");
}

TEST(AsciiCaseTest, OnlyAsciiLettersFold) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {{"Table.DBF", "table.dbf", true},
                          {"", "", true},
                          {"abc", "abcd", false},
                          {"_[`", "_[`", true},
                          {"@", "`", false},
                          {"\xC3\x89", "\xC3\xA9", false},
                          {"Z", "z", true},
                          {"[", "{", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(base::equalsIgnoringCase(c.a, c.b), c.equal) << c.a << " " << c.b;
    }
    EXPECT_EQ(base::asciiUpper("Ren\xC3\xA9 z_9"), "REN\xC3\xA9 Z_9");
    EXPECT_EQ(base::asciiLower("ABC.Xls"), "abc.xls");
    EXPECT_TRUE(base::startsWithIgnoringCase("General;@", "GENERAL"));
    EXPECT_FALSE(base::startsWithIgnoringCase("Gen", "general"));
    EXPECT_TRUE(base::endsWithIgnoringCase("T.DbF", ".dbf"));
    EXPECT_FALSE(base::endsWithIgnoringCase("dbf", ".dbf"));
}

TEST(EndianTest, BothByteOrdersOfEverySize) {
    const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xF8};
    EXPECT_EQ(base::loadLittle<std::uint16_t>(bytes), 0x0201);
    EXPECT_EQ(base::loadBig<std::uint16_t>(bytes), 0x0102);
    EXPECT_EQ(base::loadLittle<std::uint32_t>(bytes), 0x04030201u);
    EXPECT_EQ(base::loadBig<std::uint32_t>(bytes), 0x01020304u);
    EXPECT_EQ(base::loadLittle<std::uint64_t>(bytes), 0xF807060504030201u);
    EXPECT_EQ(base::loadBig<std::uint64_t>(bytes), 0x01020304050607F8u);
    EXPECT_EQ(base::loadLittle<std::int64_t>(bytes),
              static_cast<std::int64_t>(0xF807060504030201u));
    EXPECT_EQ(base::loadBig<std::int16_t>(bytes + 6), 0x07F8);
    EXPECT_EQ(base::loadLittle<std::int16_t>(bytes + 6), -2041);  // 0xF807
    EXPECT_EQ(base::loadLittle<std::int32_t>(bytes + 4), static_cast<std::int32_t>(0xF8070605u));

    std::uint8_t out[8] = {};
    base::storeLittle<std::int32_t>(out, -2);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4),
              (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    base::storeBig<std::uint16_t>(out, 0x1234);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[1], 0x34);
    base::storeBig<std::uint64_t>(out, 0x01020304050607F8u);
    EXPECT_TRUE(std::equal(out, out + 8, bytes));
    base::storeLittle<std::uint64_t>(out, 0xF807060504030201u);
    EXPECT_TRUE(std::equal(out, out + 8, bytes));
}

TEST(SameFileTest, NamesOfOneFileAndOfOthers) {
    testsupport::TempDir dir;
    std::ofstream(dir / "a.dbf") << "x";
    std::ofstream(dir / "b.dbf") << "x";
    std::filesystem::create_symlink(dir / "a.dbf", dir / "link.dbf");
    std::filesystem::create_directory(dir / "sub");
    EXPECT_TRUE(base::sameFile(dir / "a.dbf", dir / "sub/../a.dbf"));
    EXPECT_TRUE(base::sameFile(dir / "link.dbf", dir / "a.dbf"));
    EXPECT_FALSE(base::sameFile(dir / "a.dbf", dir / "b.dbf"));
    // Files that do not exist yet compare by their normalised paths.
    EXPECT_TRUE(base::sameFile(dir / "new.xls", dir / "sub/../new.xls"));
    EXPECT_FALSE(base::sameFile(dir / "new.xls", dir / "other.xls"));
}

}  // namespace

TEST(ShownTextTest, ControlCharactersAreWrittenOut) {
    const std::pair<std::string, std::string> cases[] = {
        {"\x1b]0;PWN\a\x1b[H", "\\x1b]0;PWN\\x07\\x1b[H"},
        {"a\r\nb\tc", "a\\x0d\\x0ab\\x09c"},
        {std::string("nul\0del\x7f", 8), "nul\\x00del\\x7f"},
        {"csi \xC2\x9B"
         "2J, nel \xC2\x85",
         "csi \\u009b2J, nel \\u0085"},
        // Printable text, a backslash, U+00A0, other scripts and stray bytes stay as they are.
        {"caf\xC3\xA9 \\x1b \xC2\xA0\xE2\x82\xAC \xFF\xC2",
         "caf\xC3\xA9 \\x1b \xC2\xA0\xE2\x82\xAC \xFF\xC2"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(base::shownText(text), shown) << text;
        EXPECT_EQ(base::shownText(shown), shown) << text;
    }
}
