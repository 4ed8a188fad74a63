// How the shared string table is split over CONTINUE records, checked by a decoder written here
// from the format's rules, and how the reader follows a continuation's flags byte.
#include "tests/xls/XlsTestHelpers.h"
#include "xls/biff8/RecordReader.h"
#include "xls/biff8/SharedStrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace xls::biff8;

constexpr std::size_t kMaxBody = 8224;

struct Placement {
    std::size_t record = 0;          // index of the SST (0) or CONTINUE record holding the header
    std::size_t streamPosition = 0;  // of the character count
    std::size_t boundaries = 0;      // record boundaries the characters cross
};

struct DecodedTable {
    std::vector<std::u16string> strings;
    std::vector<Placement> placements;
    std::vector<xlstest::RawRecord> records;  // SST and CONTINUE
    xlstest::RawRecord extSst;
};

bool isHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Decodes SST + CONTINUE, failing the test where a rule of the layout is broken.
DecodedTable decode(const Bytes& stream) {
    DecodedTable table;
    for (auto& record : xlstest::splitRecords(stream)) {
        if (record.id == 0x00FF) {
            table.extSst = record;
        } else {
            EXPECT_TRUE(record.id == (table.records.empty() ? 0x00FC : 0x003C));
            EXPECT_LE(record.body.size(), kMaxBody);
            EXPECT_FALSE(record.body.empty()) << "an empty CONTINUE";
            table.records.push_back(std::move(record));
        }
    }
    std::size_t unique = xlstest::u32At(table.records.at(0).body, 4);
    std::size_t r = 0, at = 8;
    auto body = [&]() -> const Bytes& { return table.records.at(r).body; };
    for (std::size_t s = 0; s < unique; ++s) {
        if (at == body().size()) {
            ++r;
            at = 0;
        }
        Placement placement{r, table.records[r].offset + 4 + at, 0};
        std::size_t count = xlstest::u16At(body(), at);
        std::uint8_t flags = body().at(at + 2);
        EXPECT_TRUE(flags == 0 || flags == 1) << "string " << s;
        std::size_t unitSize = flags == 1 ? 2 : 1;
        EXPECT_GE(body().size() - at, 3 + (count > 0 ? unitSize : 0))
            << "string " << s << ": header split from its first character";
        at += 3;
        std::u16string units;
        while (units.size() < count) {
            if (at == body().size()) {
                EXPECT_FALSE(unitSize == 2 && !units.empty() && isHigh(units.back()))
                    << "string " << s << ": surrogate pair split";
                ++r;
                at = 0;
                std::uint8_t continuation = body().at(at++);
                EXPECT_TRUE(continuation == 0 || continuation == 1) << "string " << s;
                unitSize = continuation == 1 ? 2 : 1;
                ++placement.boundaries;
            }
            EXPECT_GE(body().size() - at, unitSize) << "string " << s << ": unit split";
            units.push_back(unitSize == 2 ? xlstest::u16At(body(), at) : body().at(at));
            at += unitSize;
        }
        table.strings.push_back(std::move(units));
        table.placements.push_back(placement);
    }
    EXPECT_EQ(r, table.records.size() - 1);
    EXPECT_EQ(at, body().size()) << "bytes left after the last string";
    return table;
}

DecodedTable layOut(const std::vector<std::u16string>& strings) {
    SharedStrings table;
    for (const auto& text : strings) table.add(text);
    Bytes stream;
    table.appendRecords(stream);
    DecodedTable decoded = decode(stream);
    EXPECT_EQ(decoded.strings, strings);
    return decoded;
}

// A compressed filler that leaves `room` bytes in the SST record (whose counts take 8 bytes).
std::u16string fillerLeaving(std::size_t room) {
    return std::u16string(kMaxBody - 8 - 3 - room, u'f');
}

TEST(XlsSharedStrings, HeaderNeverSplitsFromItsFirstCharacter) {
    struct Case {
        std::size_t room;
        std::u16string next;
        bool startsInContinue;
    };
    const Case cases[] = {
        {0, u"hello", true},       {2, u"hello", true},        {3, u"hello", true},
        {4, u"hello", false},      {4, u"\u03A9mega", true},   {5, u"\u03A9mega", false},
        {6, u"\U0001F600x", true}, {7, u"\U0001F600x", false},
    };
    for (const Case& c : cases) {
        DecodedTable table = layOut({fillerLeaving(c.room), c.next});
        EXPECT_EQ(table.placements[1].record, c.startsInContinue ? 1u : 0u) << "room " << c.room;
    }
}

TEST(XlsSharedStrings, SurrogatePairsAreNeverSplitAtARecordEdge) {
    std::u16string emoji;
    for (int i = 0; i < 2000; ++i) emoji += u"\U0001F600";
    // Whatever room the first record leaves, the decoder checks no pair is cut.
    for (std::size_t room = 7; room < 15; ++room) {
        DecodedTable table = layOut({fillerLeaving(room), emoji, u"after"});
        EXPECT_EQ(table.placements[1].boundaries, 1u) << "room " << room;
    }
}

TEST(XlsSharedStrings, LongestStringsCrossSeveralRecordsInEitherEncoding) {
    std::u16string compressed(32767, u'x');
    std::u16string wide(32767, u'\u03A9');
    std::u16string pairs;
    for (int i = 0; i < 16383; ++i) pairs += u"\U0001F600";
    pairs += u"z";
    DecodedTable table = layOut({compressed, wide, pairs, u"tail"});
    EXPECT_EQ(table.placements[0].boundaries, 3u);
    EXPECT_GE(table.placements[1].boundaries, 7u);
    EXPECT_GE(table.placements[2].boundaries, 7u);
}

TEST(XlsSharedStrings, LongStringStartsAfreshWhenThatAvoidsASecondBoundary) {
    // 100 bytes left: 9,000 characters would need three records there, two from a fresh one.
    DecodedTable moved = layOut({fillerLeaving(100), std::u16string(9000, u'm')});
    EXPECT_EQ(moved.placements[1].record, 1u);
    EXPECT_EQ(moved.placements[1].streamPosition, moved.records[1].offset + 4);
    EXPECT_EQ(moved.placements[1].boundaries, 1u);

    // 20,000 characters cross two boundaries wherever they start: no record is wasted.
    DecodedTable stays = layOut({fillerLeaving(100), std::u16string(20000, u'n')});
    EXPECT_EQ(stays.placements[1].record, 0u);

    // 5,000 characters fit a fresh record: when they would cross one boundary, they stay.
    DecodedTable fits = layOut({fillerLeaving(100), std::u16string(5000, u'o')});
    EXPECT_EQ(fits.placements[1].record, 0u);
    EXPECT_EQ(fits.placements[1].boundaries, 1u);
}

TEST(XlsSharedStrings, ExtSstPointsAtTheFirstStringOfEveryBucket) {
    std::vector<std::u16string> strings;
    for (int i = 0; i < 3000; ++i) {
        strings.push_back(u"string " + std::u16string(std::size_t(i % 40), u'x') +
                          (i % 3 == 0 ? u"\u03A9" : u"") +
                          std::u16string(1, char16_t(u'A' + i % 26)) + char16_t(u'0' + i % 10) +
                          char16_t(u'0' + i / 10 % 10) + char16_t(u'0' + i / 100 % 10) +
                          char16_t(u'0' + i / 1000));
    }
    DecodedTable table = layOut(strings);
    EXPECT_GT(table.records.size(), 3u);
    const Bytes& ext = table.extSst.body;
    std::size_t perBucket = xlstest::u16At(ext, 0);
    EXPECT_EQ(perBucket, 1 + 3000 / 128);
    std::size_t buckets = (3000 + perBucket - 1) / perBucket;
    ASSERT_EQ(ext.size(), 2 + 8 * buckets);
    for (std::size_t k = 0; k < buckets; ++k) {
        const Placement& first = table.placements[k * perBucket];
        EXPECT_EQ(xlstest::u32At(ext, 2 + 8 * k), first.streamPosition) << "bucket " << k;
        EXPECT_EQ(xlstest::u16At(ext, 6 + 8 * k),
                  first.streamPosition - table.records[first.record].offset)
            << "bucket " << k;
    }
}

// The reader's side: a string whose characters go on in CONTINUE records, each starting with its
// own flags byte, in every combination of encodings; and headers split across records.
TEST(XlsSharedStrings, ReaderHonoursTheFlagsByteOfEachContinuation) {
    struct Case {
        const char* name;
        std::vector<Bytes> segments;
        std::string expected;
    };
    using xlstest::bytes;
    const Case cases[] = {
        {"compressed to UTF-16",
         {bytes({4, 0, 0, 'a', 'b'}), bytes({1, 0xA9, 0x03, 0xA9, 0x03})},
         "ab\u03A9\u03A9"},
        {"UTF-16 to compressed", {bytes({3, 0, 1, 0xA9, 0x03}), bytes({0, 'y', 'z'})}, "\u03A9yz"},
        {"compressed to compressed, three records",
         {bytes({3, 0, 0, 'a'}), bytes({0, 'b'}), bytes({0, 'c'})},
         "abc"},
        {"header split from its characters", {bytes({2, 0, 1}), bytes({0, 'h', 'i'})}, "hi"},
        {"count split across records", {bytes({2}), bytes({0, 0, 'o', 'k'})}, "ok"},
        {"rich runs and phonetic block skipped across a boundary",
         {bytes({1, 0, 0x0C, 1, 0, 2, 0, 0, 0, 'r', 0, 0}), bytes({0, 0, 0xEE, 0xEE, 'n'})},
         "r"},
    };
    for (const Case& c : cases) {
        Record record;
        record.id = 0x00FC;
        for (const Bytes& segment : c.segments) record.segments.emplace_back(segment);
        BodyReader reader(record);
        EXPECT_EQ(reader.string(2), c.expected) << c.name;
    }
}

TEST(XlsSharedStrings, ReaderStopsAtTheEndOfTheRecordInsteadOfReadingPastIt) {
    Bytes body = xlstest::bytes({10, 0, 0, 'a', 'b'});
    Record record;
    record.segments.emplace_back(body);
    BodyReader reader(record);
    EXPECT_THROW(reader.string(2), RecordTooShort);

    Bytes zeroLength = xlstest::bytes({0, 0});
    Record empty;
    empty.segments.emplace_back(zeroLength);
    BodyReader emptyReader(empty);
    EXPECT_EQ(emptyReader.string(2), "") << "a zero count without its flags byte";
}

}  // namespace
