// dBASE 7 and dBASE II tables: their header layouts, dBASE 7's binary fields read and written,
// its autoincrement counters, field properties and language driver names, dBASE II's layout
// checks.
#include "engine/EngineError.h"
#include "tests/engine/DamageSweep.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <cstdio>

using engine::EngineError;
using engine::Value;
using enginetest::anyContains;
using enginetest::openTable;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::MemoryFileSystem;
using testsupport::putTable;

namespace {

std::string bytesOf(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string hexOf(const Bytes& bytes, std::size_t from, std::size_t size) {
    std::string out;
    char digits[3];
    for (std::size_t i = from; i < from + size; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        out += digits;
    }
    return out;
}

std::string shown(const Value& value) { return value.isNull() ? "<null>" : value.toString(); }

// ID +, NAME C(31-character name with spaces), QTY I, PRICE O, SEEN @, PIC B, NOTE M; two
// records numbered 1 and 2, counter at 3.
DbfBuilder inventory() {
    DbfBuilder builder(0x8C);
    builder.field("ID", '+', 4).counter(3);
    builder.field("Name of the item in the catalog", 'C', 12);
    builder.field("QTY", 'I', 4).field("PRICE", 'O', 8).field("SEEN", '@', 8);
    builder.field("PIC", 'B', 10).field("NOTE", 'M', 10);
    builder.record({"1", "Dartboard", "53", "12.5", "2000-08-16 17:21:41", "GIF89a", "first"});
    builder.record({"2", "Ping Pong", "-7", "", "", "", ""});
    return builder;
}

}  // namespace

TEST(Dbase7Test, BinaryCellsReadAsTheirValues) {
    struct Case {
        char type;
        const char* stored;
        const char* shown;
        bool warns;
    };
    const Case cases[] = {
        {'I', "80000001", "1", false},
        {'I', "7fffffff", "-1", false},
        {'I', "ffffffff", "2147483647", false},
        {'I', "00000001", "-2147483647", false},
        {'I', "00000000", "<null>", false},
        {'+', "8000000c", "12", false},
        {'O', "c045d33333333333", "43.65", false},
        {'O', "3f970051eb851eb7", "-199.99", false},
        {'O', "8000000000000000", "0", false},
        {'O', "0000000000000000", "<null>", false},
        {'O', "fff8000000000000", "<null>", true},  // not a number
        {'@', "42cb4062aa880000", "1900-01-01 00:00:00", false},
        {'@', "42ccb20e0340df00", "2000-08-16 17:21:41.310", false},
        {'@', "42cb4062aa887d00", "1900-01-01 00:00:00.250", false},
        {'@', "4194997000000000", "0001-01-01 00:00:00", false},
        {'@', "42f1efae9730fff0", "9999-12-31 23:59:59.999", false},
        {'@', "0000000000000000", "<null>", false},
        {'@', "bff0000000000000", "<null>", true},  // before the first day
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + c.stored);
        MemoryFileSystem files;
        const int width = c.type == 'I' || c.type == '+' ? 4 : 8;
        DbfBuilder builder(0x04);
        builder.field("F", c.type, width).rawRecord(bytesOf(c.stored));
        auto table = openTable(files, putTable(files, builder, "/t/t"), false);
        EXPECT_EQ(shown(table->readField(0, 0)), c.shown);
        EXPECT_EQ(anyContains(table->warnings(), "Field F"), c.warns);
    }
}

TEST(Dbase7Test, ValuesAreStoredInTheirBinaryFormOrRefusedWithoutWriting) {
    struct Case {
        int field;
        Value value;
        const char* stored;  // hex of the field's bytes, or a fragment of the refusal
    };
    const Case cases[] = {
        {2, Value::text("2147483647"), "ffffffff"},
        {2, Value::number(-2147483647), "00000001"},
        {2, Value::text("0"), "80000000"},
        {2, Value::text(""), "00000000"},
        {2, Value::text("2147483648"), "outside the range"},
        {2, Value::text("-2147483648"), "outside the range"},
        {2, Value::text("1.5"), "whole numbers only"},
        {3, Value::text("-74.62"), "3fad5851eb851eb7"},
        {3, Value::number(-0.0), "8000000000000000"},
        {3, Value::text("abc"), "is not a number"},
        {4, Value::text("2000-08-16 17:21:41.310"), "42ccb20e0340df00"},
        {4, Value::text("1900-01-01 00:00:00.250"), "42cb4062aa887d00"},
        {4, Value::text("2000-02-30"), "is not a date and time"},
        {0, Value::number(9), "the table numbers this field itself"},
        {5, Value::binary("x"), "binary data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toString() + " -> " + c.stored);
        MemoryFileSystem files;
        const std::string path = putTable(files, inventory(), "/t/t");
        const Bytes before = files.bytes(path);
        auto table = openTable(files, path);
        const auto& field = table->header().fields[static_cast<std::size_t>(c.field)];
        const std::size_t at = table->header().headerLength + field.offset;
        try {
            table->updateRecord(0, {{c.field, table->prepareValue(c.field, c.value)}});
            EXPECT_EQ(hexOf(files.bytes(path), at, static_cast<std::size_t>(field.length)),
                      c.stored);
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(c.stored), std::string::npos) << error.what();
            EXPECT_EQ(files.bytes(path), before);
        }
    }
    // Refused even when a caller skips the checks.
    MemoryFileSystem files;
    auto table = openTable(files, putTable(files, inventory(), "/t/t"));
    EXPECT_THROW(table->updateRecord(0, {{0, Value::number(5)}}), EngineError);
    EXPECT_THROW(table->appendRecord({{5, Value::binary("x")}}), EngineError);
}

TEST(Dbase7Test, LongNamesKindsAndBinaryMemosRead) {
    // (The values of each kind are checked cell by cell above and on real tables in the walk.)
    MemoryFileSystem files;
    auto table = openTable(files, putTable(files, inventory(), "/t/t"));
    EXPECT_TRUE(table->isWritable() && table->warnings().empty());
    const auto& fields = table->fields();
    EXPECT_EQ(fields[1].name, "Name of the item in the catalog");
    using engine::FieldType;
    EXPECT_EQ(fields[0].type, FieldType::Integer);
    EXPECT_EQ(fields[3].type, FieldType::Double);
    EXPECT_EQ(fields[4].type, FieldType::DateTime);
    EXPECT_EQ(std::vector<bool>({fields[0].editable, fields[2].editable, fields[5].editable}),
              std::vector<bool>({false, true, false}));
    EXPECT_EQ(table->readField(0, 5), Value::binary("GIF89a"));
    EXPECT_EQ(table->readField(0, 6).asText(), "first");
    EXPECT_TRUE(table->readField(1, 5).isNull());
}

TEST(Dbase7Test, AppendsNumberTheRecordAndKeepTheRestOfTheHeader) {
    MemoryFileSystem files;
    DbfBuilder builder = inventory();
    builder.fieldProperties(testsupport::dbase7Properties({}));
    const std::string path = putTable(files, builder, "/t/t");
    const Bytes before = files.bytes(path);
    auto table = openTable(files, path);
    const std::uint32_t slot =
        table->appendRecord({{1, table->prepareValue(1, Value::text("Sailboat"))},
                             {6, table->prepareValue(6, Value::text("a new memo"))}});
    const Bytes after = files.bytes(path);
    const std::size_t counterAt = table->header().fields[0].descriptorAt + 42;
    EXPECT_EQ(hexOf(after, counterAt, 4), "04000000");
    // Only the date, the count and the counter change in the header: descriptors, driver name
    // and the properties area keep every byte.
    for (std::size_t i = 0; i < table->header().headerLength; ++i) {
        if ((i >= 1 && i < 8) || (i >= counterAt && i < counterAt + 4)) continue;
        EXPECT_EQ(after[i], before[i]) << "header byte " << i;
    }
    auto reread = openTable(files, path, false);
    std::vector<Value> row;
    reread->readRecord(slot, row);
    EXPECT_EQ(row[0].toString(), "3");
    EXPECT_EQ(row[1].asText(), "Sailboat");
    EXPECT_TRUE(row[2].isNull() && row[3].isNull() && row[4].isNull() && row[5].isNull());
    EXPECT_EQ(row[6].asText(), "a new memo");
    EXPECT_EQ(
        hexOf(after, reread->header().headerLength + slot * reread->header().recordLength + 1, 4),
        "80000003");
    table->appendRecord({});
    EXPECT_EQ(openTable(files, path, false)->readField(3, 0).toString(), "4");
}

TEST(Dbase7Test, FieldPropertiesDecideWhatMayBeWritten) {
    // Required fields refuse blanks; rules and constraints this program does not keep make the
    // table read-only; an area it cannot read too.
    struct Case {
        Bytes area;
        const char* readOnly;  // fragment of the reason, or "" when writable
    };
    Bytes broken = testsupport::dbase7Properties({{2, 1}});
    broken[3] = 0x02;  // the standard entries would start past the area
    const Case cases[] = {
        {testsupport::dbase7Properties({{2, 1}, {3, 1}}), ""},
        {testsupport::dbase7Properties({{3, 2}}), "value constraints or defaults"},
        {testsupport::dbase7Properties({{0, 6}}), "value constraints or defaults"},
        {testsupport::dbase7Properties({}, 1), "referential-integrity rules"},
        {broken, "its field properties cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readOnly);
        MemoryFileSystem files;
        DbfBuilder builder = inventory();
        builder.fieldProperties(c.area);
        auto table = openTable(files, putTable(files, builder, "/t/t"));
        EXPECT_NE(table->readOnlyReason().find(c.readOnly), std::string::npos)
            << table->readOnlyReason();
        EXPECT_EQ(table->isWritable(), std::string(c.readOnly).empty());
        if (!table->isWritable()) continue;
        EXPECT_TRUE(table->header().fields[1].required && table->header().fields[2].required);
        try {
            table->prepareValue(1, Value::text("  "));
            ADD_FAILURE() << "a blank required value was accepted";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find("required"), std::string::npos);
        }
        EXPECT_THROW(table->appendRecord({{1, table->prepareValue(1, Value::text("x"))}}),
                     EngineError);
        EXPECT_EQ(table->physicalCount(), 2u);
        table->appendRecord({{1, table->prepareValue(1, Value::text("x"))},
                             {2, table->prepareValue(2, Value::text("1"))}});
        EXPECT_EQ(table->physicalCount(), 3u);
    }
}

TEST(Dbase7Test, TheDriverNameGivesTheCodePage) {
    struct Case {
        const char* name;
        const char* codePage;  // the start of CodePage::name
        bool warns;
    };
    const Case cases[] = {
        {"DB437US0", "437 ", false}, {"DB866RU0", "866 ", false},  {"DB850DE0", "850 ", false},
        {"DB865NO0", "865 ", false}, {"DBWINUS0", "1252 ", false}, {"DBWINWE0", "1252 ", false},
        {"DB0", "1252 ", true},      {"DBWINRU0", "1252 ", true},  {"", "1252 ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        DbfBuilder builder(0x04);
        builder.driverName(c.name).field("NAME", 'C', 4).record({"\x8e"});
        auto table = openTable(files, putTable(files, builder, "/t/t"));
        EXPECT_EQ(table->codePage().name.rfind(c.codePage, 0), 0u) << table->codePage().name;
        EXPECT_EQ(anyContains(table->warnings(), "names no code page"), c.warns);
    }
    // A .cpg file and the caller's choice still win.
    MemoryFileSystem files;
    DbfBuilder builder(0x04);
    builder.driverName("DB866RU0").field("NAME", 'C', 4).record({"\x8e"});
    const std::string path = putTable(files, builder, "/t/t");
    files.put("/t/t.cpg", Bytes{'1', '2', '5', '1'});
    EXPECT_EQ(openTable(files, path)->readField(0, 0).asText(), "\xd0\x8b");  // 1251: U+040B
    engine::dbf::DbfOpenOptions options;
    options.fileSystem = &files;
    options.encoding = "437";
    EXPECT_EQ(engine::dbf::DbfTable::open(path, options)->readField(0, 0).asText(), "\xc3\x84");
}

TEST(Dbase7Test, DbaseIITablesAreReadOnlyAndMustHaveTheirLayout) {
    auto build = [] {
        DbfBuilder builder(0x02);
        builder.field("EMP:NMBR", 'N', 4).field("NAME", 'C', 8).field("OK", 'L', 1);
        builder.record({"2", "Stegman", "T"}).record({"3", "\x8e", "F"});
        return builder;
    };
    MemoryFileSystem files;
    auto table = openTable(files, putTable(files, build(), "/t/t"));
    EXPECT_FALSE(table->isWritable());
    EXPECT_NE(table->readOnlyReason().find("dBASE II"), std::string::npos);
    EXPECT_EQ(table->header().headerLength, 521);
    EXPECT_EQ(table->header().updateYear, 1984);
    EXPECT_EQ(table->fields()[0].name, "EMP:NMBR");
    std::vector<Value> row;
    table->readRecord(1, row);
    EXPECT_EQ(row[0].toString(), "3");
    EXPECT_EQ(row[1].asText(), "\xc3\x84");  // code page 437
    EXPECT_EQ(row[2], Value::boolean(false));

    // No end mark after the descriptors (it is something else), or a type dBASE II lacks.
    for (const auto& [damage, fragment] : std::vector<std::pair<std::size_t, const char*>>{
             {8 + 16 * 3, "layout of a dBASE II"}, {8 + 16 + 11, "dBASE II tables do not"}}) {
        MemoryFileSystem damaged;
        DbfBuilder builder = build();
        builder.headerByte(damage, 'D');
        try {
            openTable(damaged, putTable(damaged, builder, "/t/t"), false);
            ADD_FAILURE() << "opened";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
        }
    }
    // A count beyond the records present shows those present.
    MemoryFileSystem cut;
    DbfBuilder builder = build();
    builder.declaredCount(9);
    EXPECT_EQ(openTable(cut, putTable(cut, builder, "/t/t"), false)->physicalCount(), 2u);
}

TEST(Dbase7Test, AnyDamagedOrCutFileOpensOrIsRefusedWithoutHarm) {
    DbfBuilder dbase7 = inventory();
    dbase7.fieldProperties(testsupport::dbase7Properties({{2, 1}}));
    enginetest::expectDamageHandled(dbase7, 68 + 48 * 7 + 1 + 64);
    DbfBuilder dbaseII(0x02);
    dbaseII.field("EMP:NMBR", 'N', 4).field("NAME", 'C', 8).field("OK", 'L', 1);
    dbaseII.record({"2", "Stegman", "T"}).record({"3", "Bo", "?"});
    enginetest::expectDamageHandled(dbaseII, 521);
}
