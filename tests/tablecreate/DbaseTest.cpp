#include "engine/EngineError.h"
#include "engine/TableDefinition.h"
#include "tablecreate/Dbase.h"
#include "tests/support/TestPaths.h"
#include "tests/tablecreate/CreatedTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using tablecreate::Dbase;

std::vector<std::string> fieldNames(const Dbase& dbase) {
    std::vector<std::string> names;
    const engine::FieldDefCollection& fields = dbase.definition()->Fields();
    for (int i = 0; i < fields.Count(); ++i) names.push_back(fields.Item(i).Name());
    return names;
}

bool folderIsEmpty(const fs::path& folder) { return fs::is_empty(folder); }

class DbaseTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    Dbase dbase;
    std::string folder() const { return dir.path().string(); }
};

TEST_F(DbaseTest, FieldsKeepTheirTypeCodeSizeAndOrder) {
    dbase.DefinirTabla(folder(), "PEOPLE", "DBase IV;");
    dbase.AgregarCampo("ACTIVE", 1, 1);
    dbase.AgregarCampo("BORN", 8, 8);
    dbase.AgregarCampo("NOTES", 12, 0);
    dbase.AgregarCampo("NAME", 10, 30);
    const engine::FieldDefCollection& fields = dbase.definition()->Fields();
    ASSERT_EQ(fields.Count(), 4);
    struct Expected {
        const char* name;
        std::int32_t type;
        std::int16_t size;
    };
    const Expected expected[] = {
        {"ACTIVE", 1, 1}, {"BORN", 8, 8}, {"NOTES", 12, 0}, {"NAME", 10, 30}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fields.Item(i).Name(), expected[i].name);
        EXPECT_EQ(fields.Item(i).Type(), expected[i].type);
        EXPECT_EQ(fields.Item(i).Size(), expected[i].size);
    }
    EXPECT_TRUE(folderIsEmpty(dir.path()))
        << "nothing reaches the disk before the table is created";
}

TEST_F(DbaseTest, DeletedFieldIsLeftOutAndTheOthersKeepTheirOrder) {
    dbase.DefinirTabla(folder(), "ITEMS", "DBase IV;");
    dbase.AgregarCampo("CODE", 10, 5);
    dbase.AgregarCampo("PRICE", 7, 12);
    dbase.AgregarCampo("QTY", 3, 4);
    dbase.EliminarCampo("price");
    EXPECT_EQ(fieldNames(dbase), (std::vector<std::string>{"CODE", "QTY"}));
    EXPECT_TRUE(folderIsEmpty(dir.path()));

    dbase.CrearTabla();
    auto table = testsupport::findTableFile(dir.path(), "ITEMS", "dbf");
    ASSERT_TRUE(table);
    EXPECT_EQ(testsupport::describeWithDbfread(*table),
              "CODE C 5 0\n"
              "QTY N 6 0\n"
              "records 0\n");
}

TEST_F(DbaseTest, SecondDefinitionDropsTheFieldsOfTheFirst) {
    dbase.DefinirTabla(folder(), "FIRST", "DBase IV;");
    dbase.AgregarCampo("A", 10, 5);
    const engine::Database* firstDatabase = dbase.database();
    dbase.DefinirTabla(folder(), "SECOND", "DBase III;");
    EXPECT_EQ(dbase.definition()->Name(), "SECOND");
    EXPECT_EQ(dbase.definition()->Fields().Count(), 0);
    EXPECT_NE(dbase.database(), firstDatabase);
    EXPECT_TRUE(folderIsEmpty(dir.path()));
}

TEST_F(DbaseTest, FailedOpenKeepsTheDatabaseAndTheDefinition) {
    dbase.DefinirTabla(folder(), "KEEP", "DBase IV;");
    dbase.AgregarCampo("A", 10, 5);
    const engine::Database* database = dbase.database();
    const engine::TableDef* definition = dbase.definition();

    EXPECT_THROW(dbase.DefinirTabla((dir / "missing").string(), "OTHER", "DBase IV;"),
                 engine::EngineError);
    EXPECT_THROW(dbase.DefinirTabla(folder(), "OTHER", ""), engine::EngineError);
    EXPECT_THROW(dbase.DefinirTabla(folder(), "OTHER", "Excel 8.0;"), engine::EngineError);
    EXPECT_EQ(dbase.database(), database);
    EXPECT_EQ(dbase.definition(), definition);
    EXPECT_EQ(fieldNames(dbase), std::vector<std::string>{"A"});
}

TEST_F(DbaseTest, RefusedTableNameKeepsTheOldDefinitionOnTheNewDatabase) {
    dbase.DefinirTabla(folder(), "KEEP", "DBase IV;");
    const engine::TableDef* definition = dbase.definition();
    const engine::Database* database = dbase.database();
    EXPECT_THROW(dbase.DefinirTabla(folder(), "", "DBase V;"), engine::EngineError);
    EXPECT_NE(dbase.database(), database);
    EXPECT_EQ(dbase.database()->version(), engine::DbaseVersion::V);
    EXPECT_EQ(dbase.definition(), definition);
}

TEST_F(DbaseTest, RefusedFieldIsNotInTheDefinition) {
    dbase.DefinirTabla(folder(), "T", "DBase IV;");
    dbase.AgregarCampo("NAME", 10, 10);
    EXPECT_THROW(dbase.AgregarCampo("name", 10, 10), engine::EngineError);  // duplicate
    EXPECT_THROW(dbase.AgregarCampo("1BAD", 10, 10), engine::EngineError);
    EXPECT_THROW(dbase.AgregarCampo("WIDE", 10, 300), engine::EngineError);
    EXPECT_THROW(dbase.AgregarCampo("ODD", 99, 10), engine::EngineError);
    EXPECT_THROW(dbase.EliminarCampo("MISSING"), engine::EngineError);
    EXPECT_THROW(dbase.EliminarCampo(""), engine::EngineError);
    EXPECT_EQ(fieldNames(dbase), std::vector<std::string>{"NAME"});
}

TEST_F(DbaseTest, ExistingTableIsNeverOverwritten) {
    std::ofstream(dir / "OLD.DBF") << "an existing table";
    dbase.DefinirTabla(folder(), "old", "DBase IV;");
    dbase.AgregarCampo("A", 10, 5);
    const engine::TableDef* definition = dbase.definition();
    const engine::Database* database = dbase.database();
    EXPECT_THROW(dbase.CrearTabla(), engine::EngineError);
    EXPECT_EQ(testsupport::fileContents(dir / "OLD.DBF"), "an existing table");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(dbase.definition(), definition);
    EXPECT_EQ(dbase.database(), database);

    // The same definition goes to disk under another name once the user renames the table.
    dbase.DefinirTabla(folder(), "NEW", "DBase IV;");
    dbase.AgregarCampo("A", 10, 5);
    dbase.CrearTabla();
    EXPECT_TRUE(testsupport::findTableFile(dir.path(), "NEW", "dbf"));
    EXPECT_THROW(dbase.CrearTabla(), engine::EngineError) << "a second create is refused";
}

TEST_F(DbaseTest, NothingToWorkOnBeforeADefinition) {
    EXPECT_THROW(dbase.AgregarCampo("A", 10, 5), engine::EngineError);
    EXPECT_THROW(dbase.EliminarCampo("A"), engine::EngineError);
    EXPECT_THROW(dbase.CrearTabla(), engine::EngineError);

    // A database without a definition (the table name was refused) cannot create either.
    EXPECT_THROW(dbase.DefinirTabla(folder(), "", "DBase IV;"), engine::EngineError);
    ASSERT_NE(dbase.database(), nullptr);
    EXPECT_THROW(dbase.CrearTabla(), engine::EngineError);
    EXPECT_TRUE(folderIsEmpty(dir.path()));
}

// Every type of the type list, in each version, read back by dbfread and by the engine.
TEST_F(DbaseTest, TableWithEveryTypeReadsBackEverywhere) {
    struct Version {
        const char* connect;
        const char* doubleField;
    };
    for (const Version& version :
         {Version{"DBase III;", "PRICE N 19 5"}, Version{"DBase IV;", "PRICE N 20 5"},
          Version{"DBase V;", "PRICE N 20 5"}}) {
        SCOPED_TRACE(version.connect);
        testsupport::TempDir folder;
        Dbase module;
        module.DefinirTabla(folder.path().string(), "ALLTYPES", version.connect);
        module.AgregarCampo("ACTIVE", 1, 1);
        module.AgregarCampo("BORN", 8, 8);
        module.AgregarCampo("PRICE", 7, 12);
        module.AgregarCampo("QTY", 3, 4);
        module.AgregarCampo("NOTES", 12, 0);
        module.AgregarCampo("NAME", 10, 30);
        module.CrearTabla();

        auto table = testsupport::findTableFile(folder.path(), "ALLTYPES", "dbf");
        auto memo = testsupport::findTableFile(folder.path(), "ALLTYPES", "dbt");
        ASSERT_TRUE(table);
        ASSERT_TRUE(memo);
        const std::string expected = std::string("ACTIVE L 1 0\nBORN D 8 0\n") +
                                     version.doubleField +
                                     "\nQTY N 6 0\nNOTES M 10 0\nNAME C 30 0\nrecords 0\n";
        EXPECT_EQ(testsupport::describeWithDbfread(*table), expected);
        EXPECT_EQ(testsupport::describeWithEngine(*table), expected);
        EXPECT_EQ(testsupport::memoNextFreeBlock(*memo), 1u) << "the memo file holds no memo";
    }
}

}  // namespace
