#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"
#include "tests/tablecreate/CreatedTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

testsupport::CommandResult create(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"create"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return testsupport::runCommand(QUILLON_CLI, all);
}

TEST(CreateCommandTest, CreatesATableWithEveryType) {
    testsupport::TempDir dir;
    auto result =
        create({dir.path().string(), "ALLTYPES", "--connect", "DBase IV;", "--field",
                "ACTIVE:Boolean", "--field", "BORN:Date:8", "--field", "PRICE:Double:12", "--field",
                "QTY:Integer:4", "--field", "NOTES:Memo", "--field", "NAME:Text:30.5"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("ALLTYPES"), std::string::npos);
    auto table = testsupport::findTableFile(dir.path(), "ALLTYPES", "dbf");
    ASSERT_TRUE(table);
    ASSERT_TRUE(testsupport::findTableFile(dir.path(), "ALLTYPES", "dbt"));
    EXPECT_EQ(testsupport::describeWithDbfread(*table),
              "ACTIVE L 1 0\nBORN D 8 0\nPRICE N 20 5\nQTY N 6 0\nNOTES M 10 0\n"
              "NAME C 30 0\nrecords 0\n");  // 30.5 rounds to the even 30
}

TEST(CreateCommandTest, RefusesAndWritesNothing) {
    struct Case {
        std::vector<std::string> fields;
        std::string connect;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"PRICE:Double"}, "DBase IV;", "The Length value can not be null"},
        {{"QTY:Integer:"}, "DBase IV;", "The Length value can not be null"},
        {{"CODE:Text"}, "DBase III;", "The Length value can not be null"},
        {{":Text:5"}, "DBase IV;", "The Field Name value can not be null"},
        {{"CODE::5"}, "DBase IV;", "The Type value can not be null"},
        {{"CODE:Text:five"}, "DBase IV;", "\"five\""},
        {{"CODE:Text:70000"}, "DBase IV;", "\"70000\""},
        {{"CODE:Varchar:5"}, "DBase IV;", "unknown type Varchar"},
        {{"FLAG:Boolean:2"}, "DBase IV;", "always 1"},
        {{"CODE"}, "DBase IV;", "NAME:TYPE"},
        {{"A:Text:5", "a:Text:5"}, "DBase IV;", ""},  // the engine refuses the duplicate
        {{"A:Text:5"}, "Excel 8.0;", ""},             // not a dBASE driver
        {{}, "DBase IV;", ""},                        // a table needs a field
    };
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        std::vector<std::string> arguments{dir.path().string(), "T", "--connect", c.connect};
        for (const std::string& field : c.fields) {
            arguments.push_back("--field");
            arguments.push_back(field);
        }
        auto result = create(arguments);
        SCOPED_TRACE(c.fields.empty() ? "no field" : c.fields.front());
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

TEST(CreateCommandTest, UsageMistakes) {
    testsupport::TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {dir.path().string(), "--connect", "DBase IV;", "--field", "A:Text:5"},
        {dir.path().string(), "T", "--field", "A:Text:5"},
        {dir.path().string(), "T", "extra", "--connect", "DBase IV;"},
        {dir.path().string(), "T", "--connect", "DBase IV;", "--length", "5"},
    };
    for (const auto& arguments : cases) {
        auto result = create(arguments);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find("usage:"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(CreateCommandTest, ExistingTableIsNeverOverwritten) {
    testsupport::TempDir dir;
    std::ofstream(dir / "people.dbf") << "kept";
    auto result =
        create({dir.path().string(), "PEOPLE", "--connect", "DBase V;", "--field", "NAME:Text:20"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(testsupport::fileContents(dir / "people.dbf"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
