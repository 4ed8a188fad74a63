// Every table under tests/data/dbf either opens, with the values an independent reader
// (python3-dbfread) finds in it, or is refused with a description naming the file.
#include "base/AsciiCase.h"
#include "engine/EngineError.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/JsonRows.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using engine::Value;

namespace {

std::vector<fs::path> fixtureTables() {
    std::vector<fs::path> tables;
    for (const auto& entry : fs::recursive_directory_iterator(testsupport::dataPath("dbf"))) {
        if (base::equalsIgnoringCase(entry.path().extension().string(), ".dbf")) {
            tables.push_back(entry.path());
        }
    }
    std::sort(tables.begin(), tables.end());
    return tables;
}

// Tables whose text is in another code page than their header says: read them with the right
// one too, through the override.
const std::map<std::string, std::string> kOverrides = {
    {"cbrf_122019N1.dbf", "866"},
    {"INNAKLKVT20180904.dbf", "1251"},
};

// FoxPro tables dbfread does not read as they are, and what the comparison then says: a type it
// does not know, records whose deletion mark is a NUL (which it skips). FoxProTablesTest checks
// their values.
const std::map<std::string, std::string> kDbfreadDiffers = {
    {"FolderRoot.dbf", "dbfread cannot read it: "},
    {"TEST.DBF", "dbfread cannot read it: "},
    {"vfp.dbf", "dbfread cannot read it: "},
    {"mazovia.dbf", "records: ours 2, dbfread 0"},
};

}  // namespace

TEST(FixtureWalkTest, EveryFixtureOpensWithTheIndependentReadersValuesOrIsRefused) {
    auto tables = fixtureTables();
    ASSERT_GE(tables.size(), 36u);
    int opened = 0, refused = 0;
    for (const fs::path& path : tables) {
        SCOPED_TRACE(path.string());
        std::vector<std::string> encodings{""};
        if (auto found = kOverrides.find(path.filename().string()); found != kOverrides.end()) {
            encodings.push_back(found->second);
        }
        for (const std::string& encoding : encodings) {
            std::unique_ptr<engine::dbf::DbfTable> table;
            try {
                table = enginetest::openTable(path, false, encoding);
            } catch (const engine::EngineError& error) {
                std::string message = error.what();
                EXPECT_EQ(message.rfind("Cannot open " + path.string() + ": ", 0), 0u) << message;
                ++refused;
                continue;
            }
            ++opened;
            fs::path rows = fs::temp_directory_path() /
                            ("quillon-walk-" + std::to_string(::getpid()) + ".json");
            enginetest::writeJsonRows(*table, rows);
            auto result = testsupport::runPython(
                enginetest::kCompareWithDbfread,
                {path.string(), rows.string(), enginetest::pythonCodec(table->codePage())});
            fs::remove(rows);
            EXPECT_EQ(result.exitStatus, 0) << result.err;
            if (auto differs = kDbfreadDiffers.find(path.filename().string());
                differs != kDbfreadDiffers.end()) {
                EXPECT_EQ(result.out.rfind(differs->second, 0), 0u) << result.out;
                continue;
            }
            EXPECT_EQ(result.out, "") << result.out;
        }
    }
    EXPECT_EQ(refused, 3);
    EXPECT_GE(opened, 43);
}

TEST(FixtureWalkTest, TheSampleTablesOpenAsTheirReadmeDescribes) {
    struct Sample {
        const char* name;
        std::uint8_t version;
        long live;
        long deleted;
    };
    for (const Sample& s : {Sample{"clients.dbf", 0x03, 12, 0}, Sample{"diary.dbf", 0x83, 4, 0},
                            Sample{"notes.dbf", 0x8B, 5, 0}, Sample{"orders.dbf", 0x03, 7, 3}}) {
        fs::path path = testsupport::sourceDir() / "samples" / s.name;
        auto table = enginetest::openTable(path, false);
        EXPECT_EQ(table->header().version, s.version) << s.name;
        EXPECT_TRUE(table->warnings().empty()) << s.name;
        auto set = enginetest::openSet(path, true);
        EXPECT_EQ(set->RecordCount(), s.live) << s.name;
        EXPECT_EQ(set->deletedCount(), s.deleted) << s.name;
        fs::path rows =
            fs::temp_directory_path() / ("quillon-sample-" + std::to_string(::getpid()) + ".json");
        enginetest::writeJsonRows(*table, rows);
        auto result = testsupport::runPython(enginetest::kCompareWithDbfread,
                                             {path.string(), rows.string(), "cp1252"});
        fs::remove(rows);
        EXPECT_EQ(result.out + result.err, "") << s.name;
    }
}
