// Reading dBASE tables: version bytes, header oddities, record counts, every field type, memo
// files and code pages, each built in memory and then damaged.
#include "engine/EngineError.h"
#include "tests/engine/DamageSweep.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>

using engine::Value;
using engine::dbf::DbfTable;
using enginetest::anyContains;
using enginetest::openTable;
using testsupport::DbfBuilder;
using testsupport::TempDir;

namespace {

// A small table of every readable type; memo fields when the version has memos.
DbfBuilder sampleTable(std::uint8_t version, bool memo) {
    DbfBuilder builder(version);
    // dBASE II has no date fields.
    builder.field("NAME", 'C', 10).field("AMOUNT", 'N', 8, 2);
    builder.field("BORN", version == 0x02 ? 'C' : 'D', 8);
    if (memo) builder.field("NOTES", 'M', 10);
    auto row = [&](std::vector<std::string> values) {
        if (memo) values.push_back(values[0] + " notes");
        builder.record(values);
    };
    row({"Ann", "12.50", "19800102"});
    row({"Bob", "-3.00", "20000229"});
    return builder;
}

std::string refusal(const std::filesystem::path& path) {
    try {
        openTable(path);
    } catch (const engine::EngineError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

struct VersionCase {
    std::uint8_t version;
    bool memoFields;
    const char* outcome;  // "write", "read", or a fragment of the refusal
};

class VersionByteTest : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionByteTest, OpensReadOnlyOrRefusesAsTheVersionSays) {
    const VersionCase& c = GetParam();
    TempDir dir;
    auto path = sampleTable(c.version, c.memoFields).write(dir.path(), "t");
    std::string outcome = c.outcome;
    if (outcome == "write" || outcome == "read") {
        auto table = openTable(path);
        EXPECT_EQ(table->isWritable(), outcome == "write");
        EXPECT_EQ(table->physicalCount(), 2u);
        std::vector<Value> row;
        table->readRecord(1, row);
        EXPECT_EQ(row[0].asText(), "Bob");
        EXPECT_EQ(row[1].exactNumberText(), "-3.00");
        if (c.memoFields) {
            EXPECT_EQ(row[3].asText(), "Bob notes");
        }
    } else {
        std::string message = refusal(path);
        EXPECT_NE(message.find(outcome), std::string::npos) << message;
        EXPECT_NE(message.find(path.string()), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllVersions, VersionByteTest,
    testing::Values(VersionCase{0x03, false, "write"}, VersionCase{0x83, true, "write"},
                    VersionCase{0x8B, true, "write"}, VersionCase{0x07, false, "write"},
                    VersionCase{0x87, true, "write"}, VersionCase{0x7B, true, "write"},
                    VersionCase{0x03, true, "write"}, VersionCase{0x43, false, "read"},
                    VersionCase{0x63, false, "read"}, VersionCase{0xCB, true, "read"},
                    VersionCase{0x8E, true, "read"}, VersionCase{0x02, false, "read"},
                    VersionCase{0x04, false, "write"}, VersionCase{0x8C, true, "write"},
                    VersionCase{0x30, false, "write"}, VersionCase{0x31, false, "write"},
                    VersionCase{0x32, false, "write"}, VersionCase{0xF5, false, "write"},
                    VersionCase{0xFB, false, "read"}, VersionCase{0xE5, false, ".smt"},
                    VersionCase{0x06, false, "encrypted"}, VersionCase{0x86, true, "encrypted"},
                    VersionCase{0xE6, false, "encrypted"}, VersionCase{0xF6, false, "encrypted"},
                    VersionCase{0x55, false, "not a dBASE table"}),
    [](const testing::TestParamInfo<VersionCase>& param) {
        char name[32];
        std::snprintf(name, sizeof name, "Version%02X%s", param.param.version,
                      param.param.memoFields ? "WithMemo" : "");
        return std::string(name);
    });

TEST(DbfReadTest, MissingMemoFileOpensReadOnlyWithMemoCellsUnavailable) {
    for (std::uint8_t version : {0x83, 0x8B}) {
        TempDir dir;
        auto path = sampleTable(version, true).write(dir.path(), "t");
        std::filesystem::remove(dir / "t.dbt");
        auto table = openTable(path);
        EXPECT_FALSE(table->isWritable());
        EXPECT_FALSE(table->fields()[3].available);
        EXPECT_TRUE(table->fields()[0].available);
        EXPECT_TRUE(table->readField(0, 3).isNull());
        EXPECT_EQ(table->readField(0, 0).asText(), "Ann");
        EXPECT_TRUE(anyContains(table->warnings(), "memo file"));
        EXPECT_NE(table->readOnlyReason().find("memo file is missing"), std::string::npos);
    }
}

TEST(DbfReadTest, CompanionFilesAreFoundWithoutRegardToCase) {
    TempDir dir;
    auto builder = sampleTable(0x8B, true);
    testsupport::writeFileBytes(dir / "TABLE.DBF", builder.dbf());
    testsupport::writeFileBytes(dir / "table.dbt", builder.dbt());
    testsupport::writeFileBytes(dir / "Table.CPG", {'8', '6', '6'});
    auto table = openTable(dir / "TABLE.DBF");
    EXPECT_TRUE(table->isWritable());
    EXPECT_EQ(table->readField(1, 3).asText(), "Bob notes");
    EXPECT_EQ(table->codePage().number, 866);
}

TEST(DbfReadTest, HeaderFlagsThatMakeWritingUnsafeOpenReadOnly) {
    TempDir dir;
    // An unfinished transaction.
    auto transaction = sampleTable(0x03, false).headerByte(14, 1).write(dir.path(), "tx");
    EXPECT_FALSE(openTable(transaction)->isWritable());
    // A production index that really exists; the flag alone changes nothing.
    auto indexed = sampleTable(0x03, false).headerByte(28, 1).write(dir.path(), "ix");
    EXPECT_TRUE(openTable(indexed)->isWritable());
    testsupport::writeFileBytes(dir / "IX.MDX", {0});
    auto table = openTable(indexed);
    EXPECT_FALSE(table->isWritable());
    EXPECT_TRUE(anyContains(table->warnings(), ".mdx"));
    // Encrypted records are refused outright.
    auto encrypted = sampleTable(0x03, false).headerByte(15, 1).write(dir.path(), "enc");
    EXPECT_NE(refusal(encrypted).find("encrypted"), std::string::npos);
}

struct CellCase {
    char type;
    int width;
    int decimals;
    std::string bytes;
    std::string expected;  // Value::toString(); "<null>" for null
    bool warns;
};

class CellDecodingTest : public testing::TestWithParam<CellCase> {};

TEST_P(CellDecodingTest, ReadsTheValueOrNullWithAWarning) {
    const CellCase& c = GetParam();
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("F", c.type, c.width, c.decimals)
                    .rawRecord(c.bytes)
                    .write(dir.path(), "t");
    auto table = openTable(path);
    Value value = table->readField(0, 0);
    EXPECT_EQ(value.isNull() ? "<null>" : value.toString(), c.expected) << c.bytes;
    EXPECT_EQ(anyContains(table->warnings(), "Field F"), c.warns) << c.bytes;
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, CellDecodingTest,
    testing::Values(
        // Character: trailing spaces and NULs go, leading spaces stay, blank is null.
        CellCase{'C', 6, 0, "abc   ", "abc", false}, CellCase{'C', 6, 0, "  ab  ", "  ab", false},
        CellCase{'C', 6, 0, std::string("ab\0\0\0\0", 6), "ab", false},
        CellCase{'C', 6, 0, "      ", "<null>", false},
        CellCase{'C', 6, 0, "caf\xE9  ", "caf\xC3\xA9", false},
        // Numbers: exact decimal text, blanks and overflow marks are null.
        CellCase{'N', 8, 2, "   12.50", "12.50", false},
        CellCase{'N', 8, 0, "-0000012", "-12", false},
        CellCase{'N', 8, 0, "     0.0", "0.0", false},
        CellCase{'N', 8, 1, "     1,5", "1.5", false},
        CellCase{'N', 8, 0, "  1.5E03", "1500", false}, CellCase{'N', 8, 0, "   +7   ", "7", false},
        CellCase{'N', 8, 2, "        ", "<null>", false},
        CellCase{'N', 8, 2, "********", "<null>", false},
        CellCase{'N', 8, 2, "   12a  ", "<null>", true},
        CellCase{'N', 8, 2, "  1-2   ", "<null>", true},
        CellCase{'N', 20, 0, "12345678901234567890", "12345678901234567890", false},
        CellCase{'F', 20, 18, "1.234567890123460000", "1.234567890123460000", false},
        CellCase{'N', 5, 2, "-0.00", "0.00", false},
        // Logicals.
        CellCase{'L', 1, 0, "T", "true", false}, CellCase{'L', 1, 0, "y", "true", false},
        CellCase{'L', 1, 0, "f", "false", false}, CellCase{'L', 1, 0, "N", "false", false},
        CellCase{'L', 1, 0, "?", "<null>", false}, CellCase{'L', 1, 0, " ", "<null>", false},
        CellCase{'L', 1, 0, std::string("\0", 1), "<null>", false},
        CellCase{'L', 1, 0, "X", "<null>", true},
        // Dates: validated, blanks of every kind are null.
        CellCase{'D', 8, 0, "20240229", "2024-02-29", false},
        CellCase{'D', 8, 0, "00010101", "0001-01-01", false},
        CellCase{'D', 8, 0, "        ", "<null>", false},
        CellCase{'D', 8, 0, "00000000", "<null>", false},
        CellCase{'D', 8, 0, "0000  00", "<null>", false},
        CellCase{'D', 8, 0, std::string(8, '\0'), "<null>", false},
        CellCase{'D', 8, 0, "20230229", "<null>", true},
        CellCase{'D', 8, 0, "20231301", "<null>", true},
        CellCase{'D', 8, 0, "NotAYear", "<null>", true},
        CellCase{'D', 8, 0, "24/01/20", "<null>", true}),
    [](const testing::TestParamInfo<CellCase>& param) {
        return std::string(1, param.param.type == 'C' ? 'C' : param.param.type) +
               std::to_string(param.index);
    });

TEST(DbfReadTest, UnsupportedFieldTypesAreRefusedByName) {
    for (char type : {'I', 'O', '@', 'Y', 'T', 'V', '0', 'P', 'Q'}) {
        TempDir dir;
        auto path = DbfBuilder(0x03).field("ODD", type, 4).write(dir.path(), "t");
        std::string message = refusal(path);
        EXPECT_NE(message.find(std::string("field ODD has type '") + type + "'"), std::string::npos)
            << message;
    }
    TempDir dir;
    auto path = DbfBuilder(0x03).field("DBL", 'B', 8).write(dir.path(), "t");
    EXPECT_NE(refusal(path).find("type 'B' of width 8"), std::string::npos);
}

TEST(DbfReadTest, BinaryAndGeneralFieldsAreRecognisedButUnavailable) {
    TempDir dir;
    auto path = DbfBuilder(0x8B)
                    .field("NAME", 'C', 4)
                    .field("PIC", 'B', 10)
                    .field("OLE", 'G', 10)
                    .record({"x", "", ""})
                    .write(dir.path(), "t");
    auto table = openTable(path);
    EXPECT_TRUE(table->fields()[0].available);
    EXPECT_FALSE(table->fields()[1].available);
    EXPECT_EQ(table->fields()[2].type, engine::FieldType::General);
    EXPECT_TRUE(table->readField(0, 1).isNull());
    EXPECT_THROW(table->prepareValue(1, Value::text("x")), engine::EngineError);
}

TEST(DbfReadTest, RecordCountIsReconciledWithTheFileLength) {
    struct Case {
        const char* name;
        std::uint32_t declared;  // count written in the header
        int cutBytes;            // bytes removed from the end of the file
        bool endMark;
        std::uint32_t shown;
        bool writable;
        const char* warning;  // fragment, or "" for none
    };
    // Three records of 11 bytes after a 65-byte header, then the end mark.
    const Case cases[] = {
        {"exact", 3, 0, true, 3, true, ""},
        {"no end mark", 3, 0, false, 3, true, "no end-of-file mark"},
        {"cut inside the last record", 3, 5, true, 2, false, "shorter than its header says"},
        {"cut at a record boundary", 3, 1 + 11, true, 2, false, "shorter than its header says"},
        {"count raised past the data", 9, 0, true, 3, false, "shorter than its header says"},
        {"count lower than the records", 2, 0, true, 2, true, "more records than its header"},
        {"count 0 with records", 0, 0, true, 3, false, "says it holds no records"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        DbfBuilder builder(0x03);
        builder.field("NAME", 'C', 10).endMark(c.endMark).declaredCount(c.declared);
        builder.record({"one"}).record({"two"}).record({"three"});
        auto path = builder.write(dir.path(), "t");
        if (c.cutBytes > 0) {
            testsupport::truncateFile(
                path, std::filesystem::file_size(path) - static_cast<std::uintmax_t>(c.cutBytes));
        }
        auto table = openTable(path);
        EXPECT_EQ(table->physicalCount(), c.shown) << c.name;
        EXPECT_EQ(table->isWritable(), c.writable) << c.name;
        if (*c.warning != 0) {
            EXPECT_TRUE(anyContains(table->warnings(), c.warning)) << c.name;
        } else {
            EXPECT_TRUE(table->warnings().empty()) << c.name;
        }
        std::vector<Value> row;
        table->readRecord(c.shown - 1, row);
        EXPECT_FALSE(row[0].isNull()) << c.name;
    }
}

TEST(DbfReadTest, DataAfterTheRecordsIsIgnored) {
    TempDir dir;
    auto builder = DbfBuilder(0x03).field("NAME", 'C', 10).record({"one"}).endMark(false);
    auto bytes = builder.dbf();
    // Padding with end marks, as some old writers did, is quiet; other bytes are reported.
    auto padded = bytes;
    padded.insert(padded.end(), 95, 0x1A);
    testsupport::writeFileBytes(dir / "pad.dbf", padded);
    EXPECT_TRUE(openTable(dir / "pad.dbf")->warnings().empty());
    auto junk = bytes;
    for (char c : std::string("12345")) junk.push_back(static_cast<std::uint8_t>(c));
    testsupport::writeFileBytes(dir / "junk.dbf", junk);
    auto table = openTable(dir / "junk.dbf");
    EXPECT_EQ(table->physicalCount(), 1u);
    EXPECT_TRUE(anyContains(table->warnings(), "data after its last record"));
}

TEST(DbfReadTest, DamagedHeadersAreRefusedClearly) {
    TempDir dir;
    auto path = sampleTable(0x03, false).write(dir.path(), "t");
    auto bytes = testsupport::readFileBytes(path);
    struct Case {
        const char* name;
        std::size_t keep;  // bytes kept from the start of the file
        std::size_t offset;
        std::vector<std::uint8_t> patch;
        const char* fragment;
    };
    const Case cases[] = {
        {"empty file", 0, 0, {}, "empty"},
        {"shorter than a header", 20, 0, {}, "too short"},
        {"cut inside the field list", 70, 0, {}, "ends inside its header"},
        {"record length 0", bytes.size(), 10, {0, 0}, "record length of 0"},
        {"header length too small", bytes.size(), 8, {20, 0}, "too small"},
        {"fields longer than the record", bytes.size(), 10, {10, 0}, "need 27 bytes"},
        {"a workbook", bytes.size(), 0, {0xD0, 0xCF, 0x11, 0xE0}, "not a dBASE table"},
    };
    for (const Case& c : cases) {
        auto damaged = bytes;
        damaged.resize(c.keep);
        std::copy(c.patch.begin(), c.patch.end(), damaged.begin() + static_cast<long>(c.offset));
        testsupport::writeFileBytes(dir / "bad.dbf", damaged);
        std::string message = refusal(dir / "bad.dbf");
        EXPECT_NE(message.find(c.fragment), std::string::npos) << c.name << ": " << message;
    }
    EXPECT_NE(refusal(dir / "missing.dbf").find("No such file"), std::string::npos);
}

TEST(DbfReadTest, FieldListEndsAtAnyOfItsKnownMarks) {
    struct Case {
        const char* name;
        std::uint8_t terminator;
        int padding;
        bool warns;
    };
    const Case cases[] = {
        {"carriage return", 0x0D, 0, false},
        {"line feed", 0x0A, 0, true},
        {"a NUL after the terminator", 0x0D, 1, false},
        {"no terminator at all", 0x0D, -1, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        auto path = DbfBuilder(0x03)
                        .field("A", 'C', 3)
                        .field("B", 'N', 4)
                        .terminator(c.terminator)
                        .headerPadding(c.padding)
                        .record({"x", "42"})
                        .write(dir.path(), "t");
        auto table = openTable(path);
        ASSERT_EQ(table->fields().size(), 2u) << c.name;
        EXPECT_EQ(table->readField(0, 1).toString(), "42") << c.name;
        EXPECT_EQ(anyContains(table->warnings(), "field list"), c.warns) << c.name;
    }
}

TEST(DbfReadTest, RecordsLongerThanTheirFieldsUseTheHeaderStride) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("A", 'C', 3)
                    .recordSlack(4)
                    .record({"one"})
                    .record({"two"})
                    .write(dir.path(), "t");
    auto table = openTable(path);
    EXPECT_EQ(table->readField(1, 0).asText(), "two");
    EXPECT_TRUE(anyContains(table->warnings(), "longer than its fields need"));
}

TEST(DbfReadTest, LongCharacterFieldsUseTheDecimalByteWhenTheLengthsAgree) {
    TempDir dir;
    std::string note(300, 'n');
    auto path = DbfBuilder(0x03)
                    .field("ID", 'N', 3)
                    .field("NOTE", 'C', 300, 1)  // 300 = 44 + 256 * 1
                    .record({"7", note})
                    .write(dir.path(), "t");
    auto table = openTable(path);
    EXPECT_EQ(table->fields()[1].length, 300);
    EXPECT_EQ(table->readField(0, 1).asText(), note);
}

TEST(DbfReadTest, FieldNamesAreKeptAsWrittenAndMadeUnique) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("Point_ID", 'C', 4)
                    .field("ELEVENCHARS", 'C', 2)  // 11 bytes, no NUL
                    .field("point_id", 'N', 4)
                    .record({"a", "b", "9"})
                    .write(dir.path(), "t");
    auto table = openTable(path);
    EXPECT_EQ(table->fields()[0].name, "Point_ID");
    EXPECT_EQ(table->fields()[1].name, "ELEVENCHARS");
    EXPECT_EQ(table->fields()[2].name, "point_id_2");
}

TEST(DbfReadTest, TablesWithoutFieldsOrRecordsOpen) {
    TempDir dir;
    auto noFields = DbfBuilder(0x03).rawRecord("").endMark(false).write(dir.path(), "nofields");
    auto table = openTable(noFields);
    EXPECT_EQ(table->fields().size(), 0u);
    EXPECT_EQ(table->physicalCount(), 1u);
    auto noRecords = DbfBuilder(0x03).field("A", 'C', 3).write(dir.path(), "norecords");
    EXPECT_EQ(openTable(noRecords)->physicalCount(), 0u);
}

TEST(DbfReadTest, OnlyAnAsteriskMarksARecordDeleted) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .field("A", 'C', 3)
                    .rawRecord("one", ' ')
                    .rawRecord("two", '*')
                    .rawRecord("six", 0)
                    .rawRecord("ten", '*')
                    .write(dir.path(), "t");
    auto table = openTable(path);
    EXPECT_EQ(table->deletedRecords(), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_TRUE(anyContains(table->warnings(), "unusual deletion mark"));
}

TEST(DbfReadTest, DeletionFlagsAreFoundAcrossScanBlocks) {
    // Long records make the flag scan cross its block boundaries many times.
    TempDir dir;
    DbfBuilder builder(0x03);
    builder.field("A", 'C', 250).field("B", 'C', 250).field("C", 'C', 250);
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < 4000; ++i) {
        bool deleted = i % 7 == 3;
        if (deleted) expected.push_back(i);
        builder.record({std::to_string(i), "", ""}, deleted);
    }
    auto table = openTable(builder.write(dir.path(), "t"));
    EXPECT_EQ(table->deletedRecords(), expected);
    EXPECT_EQ(table->readField(3999, 0).asText(), "3999");
    EXPECT_EQ(table->readField(1234, 0).asText(), "1234");
}

TEST(DbfReadTest, MemoBlocksAreReadInEachStyle) {
    struct Case {
        const char* name;
        std::uint8_t version;
        DbfBuilder::MemoStyle style;
        std::uint16_t blockSize;
    };
    const Case cases[] = {
        {"dBASE III", 0x83, DbfBuilder::MemoStyle::III, 512},
        {"dBASE IV, 512-byte blocks", 0x8B, DbfBuilder::MemoStyle::IV, 512},
        {"dBASE IV, 1024-byte blocks", 0x8B, DbfBuilder::MemoStyle::IV, 1024},
        {"dBASE IV, 64-byte blocks", 0x8B, DbfBuilder::MemoStyle::IV, 64},
        {"memo bit missing, IV file", 0x03, DbfBuilder::MemoStyle::IV, 512},
        {"memo bit missing, III file", 0x03, DbfBuilder::MemoStyle::III, 512},
    };
    std::string longText(1500, 'x');
    longText += "\r\nend";
    // Longer than one read of the memo file.
    std::string longerText;
    for (int i = 0; i < 1000; ++i) longerText += "line " + std::to_string(i) + "\r\n";
    for (const Case& c : cases) {
        TempDir dir;
        auto path = DbfBuilder(c.version)
                        .memoStyle(c.style, c.blockSize)
                        .field("ID", 'N', 2)
                        .field("TEXT", 'M', 10)
                        .record({"1", "short"})
                        .record({"2", longText})
                        .record({"3", ""})
                        .record({"4", "after"})
                        .record({"5", longerText})
                        .write(dir.path(), "t");
        auto table = openTable(path);
        EXPECT_EQ(table->readField(0, 1).asText(), "short") << c.name;
        EXPECT_EQ(table->readField(1, 1).asText(), longText) << c.name;
        EXPECT_TRUE(table->readField(2, 1).isNull()) << c.name;
        EXPECT_EQ(table->readField(3, 1).asText(), "after") << c.name;
        EXPECT_EQ(table->readField(4, 1).asText(), longerText) << c.name;
        EXPECT_TRUE(table->warnings().empty()) << c.name;
    }
}

TEST(DbfReadTest, DamagedMemoPointersAndBlocksReadAsNullOrCut) {
    TempDir dir;
    auto builder = DbfBuilder(0x8B).field("TEXT", 'M', 10);
    builder.rawRecord("0000000001");  // zero-padded pointer: fine
    builder.rawRecord("        99");  // past the end of the memo file
    builder.rawRecord("     1x   ");  // not a number
    builder.rawRecord("         0");  // no memo
    auto dbt = builder.dbt();
    dbt.resize(1024, 0);  // one block after the header
    const std::uint8_t block[] = {0xFF, 0xFF, 0x08, 0x00, 13, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};
    std::copy(std::begin(block), std::end(block), dbt.begin() + 512);
    testsupport::writeFileBytes(dir / "t.dbf", builder.dbf());
    testsupport::writeFileBytes(dir / "t.dbt", dbt);
    auto table = openTable(dir / "t.dbf");
    EXPECT_EQ(table->readField(0, 0).asText(), "hello");
    EXPECT_TRUE(table->readField(1, 0).isNull());
    EXPECT_TRUE(anyContains(table->warnings(), "past the end of the memo file"));
    EXPECT_TRUE(table->readField(3, 0).isNull());

    // A length that runs past the end of the file is cut to what is there.
    dbt[512 + 5] = 0x10;  // 4096 + 13 bytes
    testsupport::writeFileBytes(dir / "t.dbt", dbt);
    auto cut = openTable(dir / "t.dbf");
    EXPECT_EQ(cut->readField(0, 0).asText().substr(0, 5), "hello");
    EXPECT_TRUE(anyContains(cut->warnings(), "cut short"));

    // A block without the dBASE IV header is read as dBASE III text.
    std::fill(dbt.begin() + 512, dbt.end(), 0);
    const char text[] = "plain\x1A";
    std::copy(text, text + 6, dbt.begin() + 512);
    testsupport::writeFileBytes(dir / "t.dbt", dbt);
    auto plain = openTable(dir / "t.dbf");
    EXPECT_EQ(plain->readField(0, 0).asText(), "plain");
    EXPECT_TRUE(anyContains(plain->warnings(), "without their dBASE IV block header"));
}

TEST(DbfReadTest, ThirdStyleMemosStopAtTheFirstEndMark) {
    TempDir dir;
    auto builder = DbfBuilder(0x83).field("TEXT", 'M', 10).rawRecord("         1");
    auto dbt = builder.dbt();
    dbt.resize(1024, 0);
    const char text[] = "one\x1Atwo\x1A\x1A";
    std::copy(text, text + 9, dbt.begin() + 512);
    testsupport::writeFileBytes(dir / "t.dbf", builder.dbf());
    testsupport::writeFileBytes(dir / "t.dbt", dbt);
    EXPECT_EQ(openTable(dir / "t.dbf")->readField(0, 0).asText(), "one");
}

struct CodePageCase {
    const char* name;
    std::uint8_t languageDriver;
    const char* cpg;       // content of a .cpg file, or nullptr
    const char* encoding;  // override, or ""
    std::string bytes;
    std::string expected;
};

class CodePageReadTest : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageReadTest, TextIsDecodedInTheTablesCodePage) {
    const CodePageCase& c = GetParam();
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .languageDriver(c.languageDriver)
                    .field("T", 'C', 8)
                    .rawRecord(c.bytes)
                    .write(dir.path(), "t");
    if (c.cpg != nullptr) {
        std::string cpg = c.cpg;
        testsupport::writeFileBytes(dir / "t.cpg", testsupport::Bytes(cpg.begin(), cpg.end()));
    }
    auto table = openTable(path, true, c.encoding);
    EXPECT_EQ(table->readField(0, 0).asText(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CodePageReadTest,
    testing::Values(
        CodePageCase{"no driver: CP1252", 0, nullptr, "", "\xE9\x80", "\xC3\xA9\xE2\x82\xAC"},
        CodePageCase{"undefined byte keeps its number", 0, nullptr, "", "\x81", "\xC2\x81"},
        CodePageCase{"driver 0x65: CP866", 0x65, nullptr, "", "\x8F\xE0", "\xD0\x9F\xD1\x80"},
        CodePageCase{"driver 0x01: CP437", 0x01, nullptr, "", "\x82", "\xC3\xA9"},
        CodePageCase{"driver 0xC9: CP1251", 0xC9, nullptr, "", "\xC0", "\xD0\x90"},
        CodePageCase{".cpg beats the driver", 0x03, "ANSI 1251\r\n", "", "\xC0", "\xD0\x90"},
        CodePageCase{".cpg UTF-8", 0x03, "UTF-8", "", "\xD0\x90", "\xD0\x90"},
        CodePageCase{".cpg LDID/101", 0x03, "LDID/101", "", "\x8F", "\xD0\x9F"},
        CodePageCase{"override beats both", 0x03, "1251", "866", "\x8F", "\xD0\x9F"},
        CodePageCase{"override by iconv name", 0, nullptr, "ISO-8859-1", "\x80", "\xC2\x80"},
        CodePageCase{"driver 0x7B: Shift-JIS", 0x7B, nullptr, "", "\x82\xA0", "\xE3\x81\x82"}),
    [](const testing::TestParamInfo<CodePageCase>& param) {
        std::string name;
        for (const char* p = param.param.name; *p != 0; ++p) {
            if (std::isalnum(static_cast<unsigned char>(*p))) name.push_back(*p);
        }
        return name;
    });

TEST(DbfReadTest, CodePageOddities) {
    TempDir dir;
    // A language driver no table lists: CP1252 and a warning.
    auto unknown = DbfBuilder(0x03)
                       .languageDriver(0x7F)
                       .field("T", 'C', 2)
                       .rawRecord("\xE9")
                       .write(dir.path(), "unknown");
    auto table = openTable(unknown);
    EXPECT_EQ(table->readField(0, 0).asText(), "\xC3\xA9");
    EXPECT_TRUE(anyContains(table->warnings(), "0x7F"));
    // Code pages without a converter: read-only, with a warning saying so.
    auto mazovia = DbfBuilder(0x03)
                       .languageDriver(0x69)
                       .field("T", 'C', 2)
                       .rawRecord("ab")
                       .write(dir.path(), "mazovia");
    auto polish = openTable(mazovia);
    EXPECT_FALSE(polish->isWritable());
    EXPECT_TRUE(anyContains(polish->warnings(), "620"));
    EXPECT_EQ(polish->readField(0, 0).asText(), "ab");
    // An unusable .cpg is reported and ignored; an unknown override is refused.
    testsupport::writeFileBytes(dir / "unknown.cpg", {'?', '?'});
    EXPECT_TRUE(anyContains(openTable(unknown)->warnings(), ".cpg"));
    EXPECT_THROW(openTable(unknown, true, "NO-SUCH-ENCODING"), engine::EngineError);
}

TEST(DbfReadTest, FieldNamesUseTheCodePageToo) {
    TempDir dir;
    auto path = DbfBuilder(0x03)
                    .languageDriver(0xC9)
                    .field("\xC8\xCC\xDF", 'C', 2)  // "ИМЯ" in CP1251
                    .record({"a"})
                    .write(dir.path(), "t");
    EXPECT_EQ(openTable(path)->fields()[0].name, "\xD0\x98\xD0\x9C\xD0\xAF");
}

TEST(DbfReadTest, ManyRecordsReadCorrectlyInAnyOrderThroughThePageCache) {
    TempDir dir;
    DbfBuilder builder(0x03);
    builder.field("N", 'N', 6).field("T", 'C', 30);
    for (int i = 0; i < 3000; ++i) builder.record({std::to_string(i), "row " + std::to_string(i)});
    auto table = openTable(builder.write(dir.path(), "t"));
    std::vector<Value> row;
    for (std::uint32_t i : {2999u, 0u, 1500u, 1501u, 700u, 2999u, 5u, 2000u, 1u, 2998u}) {
        table->readRecord(i, row);
        EXPECT_EQ(row[0].asNumber(), i);
        EXPECT_EQ(row[1].asText(), "row " + std::to_string(i));
    }
    EXPECT_THROW(table->readRecord(3000, row), engine::EngineError);
}

TEST(DbfReadTest, AnyDamagedOrCutFileOpensOrIsRefusedWithoutHarm) {
    enginetest::expectDamageHandled(sampleTable(0x8B, true), 32 + 32 * 4 + 1);
}
