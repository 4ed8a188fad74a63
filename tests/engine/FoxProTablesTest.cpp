// Reading FoxPro 2 and Visual FoxPro tables: the values of real files that python3-dbfread reads
// wrongly (varchar lengths, null flags, date-times one millisecond short, currency, doubles; the
// fixture walk states those of the files it cannot read), what a table says about its fields, and
// null and length bits built by hand.
#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/MemoryFile.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

using engine::Value;
using enginetest::anyContains;
using enginetest::openTable;
using testsupport::FoxBuilder;

namespace {

// The value of a field (by name) of a record, as the dump writes it; "<null>" for null.
std::string cell(const engine::dbf::DbfTable& table, std::uint32_t record,
                 const std::string& name) {
    const auto& fields = table.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name != name) continue;
        Value value = table.readField(record, static_cast<int>(i));
        return value.isNull() ? "<null>" : value.toString();
    }
    return "<no field " + name + ">";
}

}  // namespace

TEST(FoxProTablesTest, RealTablesReadAsTheirBytesSay) {
    struct Case {
        const char* file;
        std::uint32_t record;
        const char* field;
        std::string expected;
    };
    const Case cases[] = {
        // Varchar values end at their length byte when their length bit is set.
        {"infused-dbf/dbase_32.dbf", 0, "NAME", "Bad Meets Evil"},
        {"albfernandez-javadbf/bug-56-index-out-of-bounds/56-testdata.dbf", 0, "KMMC", "TEST"},
        {"albfernandez-javadbf/bug-56-index-out-of-bounds/56-testdata.dbf", 0, "ZWH", "12"},
        // Null flags: the data bytes of a null cell hold blanks.
        {"albfernandez-javadbf/fixtures/foxpro-xsource/payments.dbf", 0, "CREDITCARD", "<null>"},
        {"albfernandez-javadbf/fixtures/foxpro-xsource/payments.dbf", 0, "CREDITCAR2", "<null>"},
        {"albfernandez-javadbf/fixtures/foxpro-xsource/payments.dbf", 0, "PAYMENTMET", "1"},
        // Date-times round to the second (.999 stored).
        {"albfernandez-javadbf/bug93_null_field/testfile.dbf", 0, "D_START", "2020-03-27 09:30:10"},
        {"yortus-dbffile/vfp9_30.dbf", 0, "FIELD3", "2013-12-12 08:30:00"},
        // Currency: exact, four decimals whatever the decimal byte says; doubles.
        {"luads-php-xbase/currency.dbf", 0, "amount", "10412.1241"},
        {"albfernandez-javadbf/fixtures/foxpro-xsource/payments.dbf", 1, "PAYMENTAMO", "497.0000"},
        {"yortus-dbffile/vfp9_30.dbf", 0, "FIELD5", "2500.55"},
        // FoxPro 2: ten-digit pointers into the .fpt file, OLE objects as bytes.
        {"luads-php-xbase/Foxpro2.dbf", 2, "GENERAL", "\\x33"},
        {"luads-php-xbase/Foxpro2.dbf", 1, "MONEY", "325.3200"},
    };
    for (const Case& c : cases) {
        auto table = openTable(testsupport::dataPath(std::string("dbf/") + c.file), false);
        EXPECT_EQ(cell(*table, c.record, c.field), c.expected)
            << c.file << " " << c.record << " " << c.field;
    }
}

TEST(FoxProTablesTest, TablesSayWhatTheirFieldsAreAndWhyTheyCannotBeWritten) {
    auto products = openTable(testsupport::dataPath("dbf/infused-dbf/dbase_31.dbf"));
    const auto& fields = products->fields();
    ASSERT_EQ(fields.size(), 10u);  // _NullFlags is not shown
    EXPECT_TRUE(fields[0].autoIncrement);
    EXPECT_EQ(fields[0].autoIncrementNext, 78u);
    EXPECT_EQ(fields[0].autoIncrementStep, 1);
    EXPECT_FALSE(fields[0].editable);
    EXPECT_TRUE(fields[2].nullable);
    EXPECT_FALSE(fields[1].nullable);
    EXPECT_EQ(fields[5].type, engine::FieldType::Currency);
    EXPECT_FALSE(products->isWritable());
    EXPECT_NE(products->readOnlyReason().find(".cdx"), std::string::npos);
    EXPECT_TRUE(anyContains(products->warnings(), "northwind.dbc"));

    auto free = openTable(testsupport::dataPath("dbf/luads-php-xbase/vfp.dbf"));
    EXPECT_TRUE(free->isWritable());
    for (const auto& field : free->fields()) {
        const bool bytes = field.name == "GENERAL" || field.name == "BLOB" ||
                           field.name == "NAME_BIN" || field.name == "BIO_BIN" ||
                           field.name == "VARBINARY";
        EXPECT_EQ(field.binary, bytes) << field.name;
        EXPECT_EQ(field.editable, !bytes && field.name != "AI") << field.name;
    }

    auto unknown =
        openTable(testsupport::dataPath("dbf/yellowfeather-dbfdatareader/FolderRoot.dbf"));
    EXPECT_FALSE(unknown->isWritable());
    EXPECT_TRUE(anyContains(unknown->warnings(), "type '7'"));
}

TEST(FoxProTablesTest, TheDatabaseContainerAndTheStructuralIndexKeepATableReadOnly) {
    struct Case {
        const char* backlink;
        std::uint8_t tableFlags;
        bool cdxFile;
        const char* reason;  // null: writable
    };
    const Case cases[] = {
        {"", 0x00, false, nullptr},
        {"", 0x02, false, nullptr},  // the memo bit alone
        {"sales.dbc", 0x00, false, "belongs to the database sales.dbc"},
        {"", 0x01, false, "structural index (.cdx)"},
        {"", 0x00, true, "structural index (.cdx)"},
    };
    for (const Case& c : cases) {
        testsupport::MemoryFileSystem files;
        FoxBuilder builder(0x30);
        builder.field("NAME", 'C', 8).backlink(c.backlink).headerByte(28, c.tableFlags);
        builder.record({"Ann"});
        const std::string path = builder.put(files, "/t/t");
        if (c.cdxFile) files.put("/t/T.CDX", {0});
        auto table = openTable(files, path);
        EXPECT_EQ(table->isWritable(), c.reason == nullptr) << c.backlink;
        if (c.reason != nullptr) {
            EXPECT_NE(table->readOnlyReason().find(c.reason), std::string::npos)
                << table->readOnlyReason();
        }
        EXPECT_EQ(cell(*table, 0, "NAME"), "Ann");
    }
}

TEST(FoxProTablesTest, NullAndLengthBitsAreHandedOutInFieldOrder) {
    // Bits: NAME null 0; CODE length 1; NOTE length 2, null 3; QTY null 4.
    FoxBuilder builder(0x32);
    builder.field("NAME", 'C', 5, 0, 0x02)
        .field("CODE", 'V', 4)
        .field("NOTE", 'V', 4, 0, 0x02)
        .field("QTY", 'I', 4, 0, 0x06);
    builder.record({"", std::string("\0\0\0\0", 4), "", FoxBuilder::le32(0)}, 0b11111);
    builder.record({"abc", std::string("ab \x02", 4), "wxyz", FoxBuilder::le32(-7)}, 0b00010);
    builder.record({"abc", "abcd", "wx \x09", FoxBuilder::le32(0)}, 0b00100);  // length past data
    testsupport::MemoryFileSystem files;
    auto table = openTable(files, builder.put(files, "/t/bits"));
    const std::vector<std::vector<std::string>> expected = {
        {"<null>", "<null>", "<null>", "<null>"},
        {"abc", "ab", "wxyz", "-7"},
        {"abc", "abcd", "wx ", "0"},
    };
    for (std::uint32_t r = 0; r < expected.size(); ++r) {
        for (std::size_t f = 0; f < 4; ++f) {
            EXPECT_EQ(cell(*table, r, table->fields()[f].name), expected[r][f]) << r << " " << f;
        }
    }
    EXPECT_TRUE(table->warnings().empty());
}

TEST(FoxProTablesTest, MissingNullFlagsAreToldAndTheTableIsOnlyRead) {
    // A field marked nullable, and no _NullFlags field to hold its bit.
    testsupport::MemoryFileSystem files;
    FoxBuilder builder(0x30);
    builder.field("NAME", 'C', 5).headerByte(32 + 18, 0x02).record({"Ann"});
    auto table = openTable(files, builder.put(files, "/t/t"));
    EXPECT_FALSE(table->isWritable());
    EXPECT_NE(table->readOnlyReason().find("null flags"), std::string::npos);
    EXPECT_TRUE(anyContains(table->warnings(), "no _NullFlags field"));
    EXPECT_EQ(cell(*table, 0, "NAME"), "Ann");
}

TEST(FoxProTablesTest, MemoFilesAreFoundAndTheirBlockSizeChecked) {
    struct Case {
        std::uint8_t version;
        int blockSizeByte;       // the .fpt header's block size (-1: as built, 64)
        std::uint32_t nextFree;  // with block size 0: the next free block stated
        const char* memo;        // what the memo field reads; null: the memo file is refused
        bool writable;
    };
    const Case cases[] = {
        {0xF5, -1, 0, "text", true},
        {0x03, -1, 0, "text", true},    // no version byte for it, and no .dbt: the .fpt
        {0xF5, 0, 576, "text", false},  // 0 read as 1 when the next free block is the size
        {0xF5, 0, 9, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + " " + std::to_string(c.blockSizeByte));
        testsupport::MemoryFileSystem files;
        FoxBuilder builder(0xF5);
        builder.field("NOTE", 'M', 10);
        // With blocks of one byte the memo is at byte 512.
        const std::string pointer = c.blockSizeByte == 0 ? "       512" : builder.memo("text", 10);
        if (c.blockSizeByte == 0) builder.memo("text", 10);
        builder.record({pointer}).headerByte(0, c.version);
        const std::string path = builder.put(files, "/t/t");
        testsupport::Bytes memo = files.bytes("/t/t.fpt");
        if (c.blockSizeByte >= 0) {
            memo[6] = 0;
            memo[7] = static_cast<std::uint8_t>(c.blockSizeByte);
            memo[0] = memo[1] = 0;
            memo[2] = static_cast<std::uint8_t>(c.nextFree >> 8);
            memo[3] = static_cast<std::uint8_t>(c.nextFree);
            files.put("/t/t.fpt", memo);
        }
        auto table = openTable(files, path);
        EXPECT_EQ(table->isWritable(), c.writable) << table->readOnlyReason();
        EXPECT_EQ(cell(*table, 0, "NOTE"), c.memo != nullptr ? c.memo : "<null>");
        EXPECT_EQ(table->fields()[0].available, c.memo != nullptr);
    }
}
