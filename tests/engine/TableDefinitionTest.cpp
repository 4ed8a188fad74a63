// Creating tables: each refusal at the call that meets it, the type mapping per version, file
// names, and a create that never replaces a file and leaves nothing behind when refused.
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/TableDefinition.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using engine::EngineError;
using engine::OpenDatabase;
using testsupport::TempDir;

namespace {

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& error) {
        return error.what();
    }
    return "";
}

std::vector<std::string> folderEntries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A definition with one field of every type.
std::shared_ptr<engine::TableDef> everyType(engine::Database& database, const std::string& name) {
    auto table = database.CreateTableDef(name);
    table->Fields().Append(table->CreateField("Active", engine::kTypeBoolean, 1));
    table->Fields().Append(table->CreateField("born", engine::kTypeDate, 8));
    table->Fields().Append(table->CreateField("Price", engine::kTypeDouble, 3));
    table->Fields().Append(table->CreateField("qty", engine::kTypeInteger, 99));
    table->Fields().Append(table->CreateField("Notes", engine::kTypeMemo, 0));
    table->Fields().Append(table->CreateField("Name", engine::kTypeText, 30));
    return table;
}

}  // namespace

TEST(TableDefinitionTest, TypeCodesBecomeDbaseFieldsPerVersion) {
    struct Case {
        const char* connect;
        std::uint8_t version;
        int doubleWidth;
    };
    for (const Case& c :
         {Case{"DBase III;", 0x83, 19}, Case{"DBase IV;", 0x8B, 20}, Case{"DBase V;", 0x8B, 20}}) {
        TempDir dir;
        auto database = OpenDatabase(dir.path().string(), 512, false, c.connect);
        database->TableDefs().Append(everyType(*database, "Stock"));
        auto table = enginetest::openTable(dir / "Stock.dbf");
        EXPECT_EQ(table->header().version, c.version) << c.connect;
        EXPECT_EQ(table->header().languageDriver, 0x03);
        EXPECT_EQ(table->codePage().number, 1252);
        EXPECT_EQ(table->physicalCount(), 0u);
        EXPECT_TRUE(table->warnings().empty());
        std::vector<std::string> shapes;
        for (const auto& field : table->fields()) {
            shapes.push_back(field.name + " " + field.typeLetter + std::to_string(field.length) +
                             "," + std::to_string(field.decimals));
        }
        EXPECT_EQ(shapes,
                  (std::vector<std::string>{"ACTIVE L1,0", "BORN D8,0",
                                            "PRICE N" + std::to_string(c.doubleWidth) + ",5",
                                            "QTY N6,0", "NOTES M10,0", "NAME C30,0"}))
            << c.connect;
        // The empty table is 32 + 32n + 1 bytes and the end mark; the memo file one block.
        EXPECT_EQ(std::filesystem::file_size(dir / "Stock.dbf"), 32u + 32u * 6u + 2u);
        auto memo = testsupport::readFileBytes(dir / "Stock.dbt");
        ASSERT_EQ(memo.size(), 512u);
        EXPECT_EQ(memo[0], 1);
        EXPECT_EQ(base::loadLittle<std::uint16_t>(memo.data() + 20), c.version == 0x8B ? 512 : 0);
        EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"Stock.dbf", "Stock.dbt"}));
    }
}

TEST(TableDefinitionTest, TablesWithoutMemoFieldsHaveNoMemoFile) {
    TempDir dir;
    auto database = OpenDatabase(dir.path().string(), 512, false, "DBase IV;");
    auto table = database->CreateTableDef("plain.DBF");
    table->Fields().Append(table->CreateField("A", engine::kTypeText, 1));
    database->TableDefs().Append(table);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"plain.DBF"});
    EXPECT_EQ(enginetest::openTable(dir / "plain.DBF")->header().version, 0x03);
}

TEST(TableDefinitionTest, OpenDatabaseRefusesBadFoldersAndDrivers) {
    TempDir dir;
    std::string folder = dir.path().string();
    EXPECT_NE(failureOf([&] {
                  OpenDatabase(folder + "/none", 512, false, "DBase IV;");
              }).find("does not exist"),
              std::string::npos);
    EXPECT_NE(failureOf([&] { OpenDatabase(folder, 512, false, ""); }).find("empty"),
              std::string::npos);
    EXPECT_NE(
        failureOf([&] { OpenDatabase(folder, 512, false, "Excel 8.0;"); }).find("dBASE driver"),
        std::string::npos);
    EXPECT_NE(failureOf([&] { OpenDatabase(folder, 512, false, "Text;"); }).find("Unknown"),
              std::string::npos);
    EXPECT_NO_THROW(OpenDatabase(folder, 0, false, "dbase 5.0;"));
}

TEST(TableDefinitionTest, BadNamesAndFieldsAreRefusedWhereTheyAreMet) {
    TempDir dir;
    auto database = OpenDatabase(dir.path().string(), 512, false, "DBase III;");
    for (const char* name : {"", "   ", "a/b", "..\\up"}) {
        EXPECT_THROW(database->CreateTableDef(name), EngineError) << name;
    }
    auto table = database->CreateTableDef("t");
    struct FieldCase {
        const char* name;
        std::int32_t type;
        std::int16_t size;
        const char* fragment;
    };
    const FieldCase refused[] = {
        {"", engine::kTypeText, 5, "empty"},
        {"ELEVENCHARS", engine::kTypeText, 5, "longer than 10"},
        {"1ST", engine::kTypeText, 5, "not allowed"},
        {"A-B", engine::kTypeText, 5, "not allowed"},
        {"N\xC3\x9A", engine::kTypeText, 5, "not allowed"},
        {"TEXT", engine::kTypeText, 0, "1 to 254"},
        {"TEXT", engine::kTypeText, 255, "1 to 254"},
        {"BYTE", 2, 1, "Unknown field type code 2"},
        {"LONG", 4, 4, "Unknown field type code 4"},
    };
    for (const FieldCase& c : refused) {
        std::string message = failureOf([&] { table->CreateField(c.name, c.type, c.size); });
        EXPECT_NE(message.find(c.fragment), std::string::npos) << c.name << ": " << message;
    }
    // Duplicates are refused at the append, without regard to case.
    table->Fields().Append(table->CreateField("Name", engine::kTypeText, 10));
    EXPECT_NE(failureOf([&] {
                  table->Fields().Append(table->CreateField("NAME", engine::kTypeMemo, 0));
              }).find("already has a field named NAME"),
              std::string::npos);
    EXPECT_THROW(table->Fields().Delete("missing"), EngineError);
    table->Fields().Delete("name");
    EXPECT_EQ(table->Fields().Count(), 0);
    // A table without fields is refused at the table append; nothing reaches the disk.
    EXPECT_NE(failureOf([&] { database->TableDefs().Append(table); }).find("no fields"),
              std::string::npos);
    EXPECT_TRUE(folderEntries(dir).empty());
}

TEST(TableDefinitionTest, VersionLimitsOnFieldsAndRecordLength) {
    TempDir dir;
    auto III = OpenDatabase(dir.path().string(), 512, false, "DBase III;");
    auto table = III->CreateTableDef("wide");
    for (int i = 0; i < 15; ++i) {
        table->Fields().Append(table->CreateField("T" + std::to_string(i), engine::kTypeText, 254));
    }
    // 1 + 15 * 254 = 3811; one more text of 254 would pass 4000.
    EXPECT_NE(failureOf([&] {
                  table->Fields().Append(table->CreateField("MORE", engine::kTypeText, 254));
              }).find("at most 4000 bytes"),
              std::string::npos);
    auto many = III->CreateTableDef("many");
    for (int i = 0; i < 128; ++i) {
        many->Fields().Append(many->CreateField("L" + std::to_string(i), engine::kTypeBoolean, 1));
    }
    EXPECT_NE(failureOf([&] {
                  many->Fields().Append(many->CreateField("L128", engine::kTypeBoolean, 1));
              }).find("at most 128 fields"),
              std::string::npos);
    auto V = OpenDatabase(dir.path().string(), 512, false, "DBase V;");
    auto wider = V->CreateTableDef("wider");
    for (int i = 0; i < 129; ++i) {
        wider->Fields().Append(
            wider->CreateField("L" + std::to_string(i), engine::kTypeBoolean, 1));
    }
    V->TableDefs().Append(wider);
    EXPECT_EQ(enginetest::openTable(dir / "wider.dbf")->fields().size(), 129u);
}

TEST(TableDefinitionTest, AnExistingTableIsNeverReplaced) {
    TempDir dir;
    testsupport::writeFileBytes(dir / "CLIENTS.DBF", {1, 2, 3});
    testsupport::writeFileBytes(dir / "orders.DBT", {4, 5, 6});
    auto database = OpenDatabase(dir.path().string(), 512, false, "DBase IV;");
    for (const char* name : {"clients", "Clients.dbf", "orders"}) {
        auto table = everyType(*database, name);
        std::string message = failureOf([&] { database->TableDefs().Append(table); });
        EXPECT_NE(message.find("already exists"), std::string::npos) << name << ": " << message;
    }
    EXPECT_EQ(testsupport::readFileBytes(dir / "CLIENTS.DBF"), (testsupport::Bytes{1, 2, 3}));
    EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"CLIENTS.DBF", "orders.DBT"}));
    // A definition from another database is refused too.
    TempDir other;
    auto elsewhere = OpenDatabase(other.path().string(), 512, false, "DBase IV;");
    auto foreign = everyType(*elsewhere, "foreign");
    EXPECT_NE(failureOf([&] { database->TableDefs().Append(foreign); }).find("another database"),
              std::string::npos);
    // And one opened read-only creates nothing.
    auto readOnly = OpenDatabase(dir.path().string(), 512, true, "DBase IV;");
    EXPECT_THROW(readOnly->TableDefs().Append(everyType(*readOnly, "fresh")), EngineError);
    EXPECT_EQ(folderEntries(dir).size(), 2u);
}

TEST(TableDefinitionTest, ADefinitionOutlivesTheDatabaseItWasMadeOn) {
    TempDir dir;
    auto database = OpenDatabase(dir.path().string(), 512, false, "DBase III;");
    auto table = everyType(*database, "kept");
    database = OpenDatabase(dir.path().string(), 512, false, "DBase IV;");
    // Still usable for fields; refused (not crashed) when appended to the new database.
    table->Fields().Append(table->CreateField("EXTRA", engine::kTypeDouble, 0));
    EXPECT_THROW(database->TableDefs().Append(table), EngineError);
}

TEST(TableDefinitionTest, ACreatedTableTakesRecords) {
    TempDir dir;
    auto database = OpenDatabase(dir.path().string(), 512, false, "DBase IV;");
    database->TableDefs().Append(everyType(*database, "Stock"));
    auto set = enginetest::openSet(dir / "Stock.dbf");
    EXPECT_TRUE(set->IsBOF() && set->IsEOF());
    set->AddNew();
    set->Fields().Item("NAME").SetValue(engine::Value::text("Caf\xC3\xA9"));
    set->Fields().Item("PRICE").SetValue(engine::Value::text("12345678901234.12345"));
    set->Fields().Item("QTY").SetValue(engine::Value::text("-32768"));
    set->Fields().Item("NOTES").SetValue(engine::Value::text("memo text"));
    set->Update();
    EXPECT_THROW(set->Fields().Item("QTY").SetValue(engine::Value::text("1")), EngineError);
    auto reopened = enginetest::openSet(dir / "Stock.dbf");
    auto row = reopened->readRow(0);
    EXPECT_EQ(row[5].asText(), "Caf\xC3\xA9");
    EXPECT_EQ(row[2].exactNumberText(), "12345678901234.12345");
    EXPECT_EQ(row[3].toString(), "-32768");
    EXPECT_EQ(row[4].asText(), "memo text");
    EXPECT_TRUE(row[0].isNull());
}
