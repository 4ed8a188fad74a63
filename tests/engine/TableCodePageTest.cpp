// Marking and converting a table's code page: text and text memos re-encoded, binary data kept,
// a character the new code page lacks refused before anything is written, and a killed or
// failing conversion leaving the old table or the new one, in every dialect the engine writes.
#include "engine/EngineError.h"
#include "engine/TableCodePage.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/FoxBuilder.h"
#include "tests/support/MemoryFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

using engine::EngineError;
using testsupport::Bytes;
using testsupport::DbfBuilder;
using testsupport::FoxBuilder;
using testsupport::MemoryFileSystem;

namespace {

const std::string kTable = "/t/people.dbf";

struct Dialect {
    const char* name;
    std::uint8_t version;
};
const Dialect kDialects[] = {{"dBASE III", 0x83},
                             {"dBASE IV", 0x8B},
                             {"dBASE 7", 0x8C},
                             {"FoxPro 2", 0xF5},
                             {"Visual FoxPro", 0x30}};

// NAME "José" and a memo "café crème" (code page 1252), and a record only in ASCII. Visual
// FoxPro adds a V field "Zoë", a binary C field and a binary memo, all holding 0xE9 bytes.
void putPeople(MemoryFileSystem& files, const Dialect& dialect) {
    const std::string jose = "Jos\xE9", cafe = "caf\xE9 cr\xE8me";
    if (dialect.version != 0xF5 && dialect.version != 0x30) {
        DbfBuilder table(dialect.version);
        table.field("NAME", 'C', 10).field("NOTE", 'M', 10).languageDriver(0x03);
        table.record({jose, cafe}).record({"Ann", "plain"});
        testsupport::putTable(files, table, "/t/people");
        return;
    }
    const bool visual = dialect.version == 0x30;
    const int width = visual ? 4 : 10;
    FoxBuilder table(dialect.version);
    table.field("NAME", 'C', 10).field("NOTE", 'M', width);
    if (visual)
        table.field("CODE", 'V', 6).field("PIC", 'C', 4, 0, 0x04).field("BLOB", 'M', 4, 0, 0x04);
    std::vector<std::string> first{jose, table.memo(cafe, width)};
    std::vector<std::string> second{"Ann", table.memo("plain", width)};
    if (visual) {
        first.insert(first.end(), {"Zo\xEB  \x03", "\xE9\xE9\xE9\xE9",
                                   table.memo("\xE9\xE9"
                                              "bin",
                                              4, 0)});
        second.insert(second.end(), {"Al    ", "", FoxBuilder::le32(0)});
    }
    table.record(first, visual ? 0b1 : 0).record(second);
    table.put(files, "/t/people");
}

// The text of every record as the engine reads it: "José/café crème/Zoë Ann/plain/Al    ".
std::string readBack(const engine::dbf::FileSystem& files) {
    auto table = enginetest::openTable(files, kTable, false);
    std::string out;
    std::vector<engine::Value> row;
    for (std::uint32_t i = 0; i < table->physicalCount(); ++i) {
        table->readRecord(i, row);
        if (!out.empty()) out += " ";
        for (std::size_t f = 0; f < std::min<std::size_t>(row.size(), 3); ++f) {
            out += (f == 0 ? "" : "/") + (row[f].isNull() ? "" : row[f].asText());
        }
    }
    return out;
}

bool contains(const Bytes& bytes, const std::string& text) {
    const Bytes wanted(text.begin(), text.end());
    return std::search(bytes.begin(), bytes.end(), wanted.begin(), wanted.end()) != bytes.end();
}

std::string memoPath(const MemoryFileSystem& files) {
    return files.exists("/t/people.fpt") ? "/t/people.fpt" : "/t/people.dbt";
}

TEST(TableCodePageTest, ConvertsTextAndTextMemosAndKeepsBinaryDataInEveryDialect) {
    for (const Dialect& dialect : kDialects) {
        SCOPED_TRACE(dialect.name);
        MemoryFileSystem files;
        putPeople(files, dialect);
        const bool visual = dialect.version == 0x30;
        const std::string before = readBack(files);
        EXPECT_EQ(before,
                  visual ? "José/café crème/Zoë Ann/plain/Al    " : "José/café crème Ann/plain");
        const Bytes oldTable = files.bytes(kTable);
        const engine::CodePageResult result = engine::convertCodePage(kTable, "", "850", &files);
        EXPECT_EQ(result.marking, "language driver byte 0x02");
        EXPECT_EQ(result.changedValues, visual ? 3u : 2u);
        EXPECT_EQ(files.bytes(result.tableBackup), oldTable);
        EXPECT_EQ(readBack(files), before);
        const Bytes& table = files.bytes(kTable);
        EXPECT_EQ(table[29], 0x02);
        EXPECT_TRUE(contains(table, "Jos\x82"));
        EXPECT_TRUE(contains(files.bytes(memoPath(files)), "caf\x82 cr\x8Ame"));
        if (visual) {
            EXPECT_TRUE(contains(table, "Zo\x89"));
            EXPECT_TRUE(contains(table, "\xE9\xE9\xE9\xE9"));
            EXPECT_TRUE(contains(files.bytes(memoPath(files)),
                                 "\xE9\xE9"
                                 "bin"));
        }
        // Back again, through a second numbered backup.
        EXPECT_EQ(engine::convertCodePage(kTable, "", "1252", &files).tableBackup,
                  kTable + ".1.bak");
        EXPECT_EQ(readBack(files), before);
    }
}

TEST(TableCodePageTest, RefusesACharacterTheNewCodePageLacksWritingNothing) {
    struct Case {
        const char* codePage;
        const char* failure;
    };
    const Case cases[] = {
        {"866", "Cannot convert people.dbf: record 1, field NAME: the character U+00E9"},
        {"nonsense", "Cannot convert people.dbf: Unknown encoding \"nonsense\""},
    };
    for (const Dialect& dialect : kDialects) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(dialect.name) + " to " + c.codePage);
            MemoryFileSystem files;
            putPeople(files, dialect);
            const std::vector<std::string> paths = files.paths();
            const Bytes table = files.bytes(kTable), memo = files.bytes(memoPath(files));
            try {
                engine::convertCodePage(kTable, "", c.codePage, &files);
                ADD_FAILURE() << "converted";
            } catch (const EngineError& error) {
                EXPECT_EQ(std::string(error.what()).rfind(c.failure, 0), 0u) << error.what();
            }
            EXPECT_EQ(files.paths(), paths);
            EXPECT_EQ(files.bytes(kTable), table);
            EXPECT_EQ(files.bytes(memoPath(files)), memo);
        }
    }
}

TEST(TableCodePageTest, AKilledOrFailingConversionLeavesTheOldTableOrTheNewOne) {
    for (const Dialect& dialect : {kDialects[1], kDialects[4]}) {
        SCOPED_TRACE(dialect.name);
        MemoryFileSystem files;
        putPeople(files, dialect);
        const std::string text = readBack(files);
        const Bytes oldTable = files.bytes(kTable);
        std::vector<MemoryFileSystem> states;
        files.beforeEachCall([&](int) { states.push_back(files.copy()); });
        engine::convertCodePage(kTable, "", "850", &files);
        files.clearPlanned();
        const int total = files.totalCalls();
        for (std::size_t at = 0; at < states.size(); ++at) {
            SCOPED_TRACE("killed before call " + std::to_string(at + 1));
            EXPECT_EQ(readBack(states[at]), text);
        }
        for (int nth = 1; nth <= total; ++nth) {
            SCOPED_TRACE("call " + std::to_string(nth) + " fails");
            MemoryFileSystem failing;
            putPeople(failing, dialect);
            failing.failAtCall(nth, ENOSPC);
            bool failed = false;
            try {
                engine::convertCodePage(kTable, "", "850", &failing);
            } catch (const EngineError&) {
                failed = true;
            }
            failing.clearPlanned();
            EXPECT_EQ(readBack(failing), text);
            if (failed) {
                EXPECT_EQ(failing.bytes(kTable), oldTable);
            }
        }
    }
}

TEST(TableCodePageTest, MarksWithTheDriverByteOrACpgFileTouchingNoRecord) {
    struct Case {
        const char* codePage;
        bool hadCpg;
        std::uint8_t driver;
        const char* cpg;  // "" for none
        const char* reads;
    };
    const Case cases[] = {
        {"866", false, 0x65, "", "Josщ"},
        {"1251", true, 0xC9, "1251", "Josй"},
        {"UTF-8", false, 0x00, "UTF-8", "Jos\xEF\xBF\xBD"},
        {"ISO-8859-5", false, 0x00, "ISO-8859-5", "Josщ"},
    };
    for (const Dialect& dialect : {kDialects[0], kDialects[2], kDialects[4]}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(dialect.name) + " as " + c.codePage);
            MemoryFileSystem files;
            putPeople(files, dialect);
            if (c.hadCpg) files.put("/t/people.cpg", {'1', '2', '5', '2'});
            Bytes table = files.bytes(kTable);
            const engine::CodePageResult result = engine::markCodePage(kTable, c.codePage, &files);
            // The records and fields as they were; only the header's driver byte (and a
            // dBASE 7 driver name) change.
            Bytes marked = files.bytes(kTable);
            EXPECT_EQ(marked[29], c.driver);
            table.erase(table.begin() + 29, table.begin() + 64);
            marked.erase(marked.begin() + 29, marked.begin() + 64);
            EXPECT_EQ(marked, table);
            const std::string cpg = c.cpg;
            ASSERT_EQ(files.exists("/t/people.cpg"), !cpg.empty()) << result.marking;
            if (!cpg.empty()) {
                EXPECT_EQ(files.bytes("/t/people.cpg"), Bytes(cpg.begin(), cpg.end()));
            }
            EXPECT_EQ(readBack(files).substr(0, std::string(c.reads).size()), c.reads);
        }
    }
}

TEST(TableCodePageTest, MarkingADbase7TableClearsItsDriverName) {
    MemoryFileSystem files;
    DbfBuilder table(0x04);
    table.field("NAME", 'C', 10).driverName("DBWINUS0").record({"Jos\xE9"});
    testsupport::putTable(files, table, "/t/people");
    engine::markCodePage(kTable, "866", &files);
    EXPECT_EQ(readBack(files), "Josщ");
    EXPECT_FALSE(contains(files.bytes(kTable), "DBWINUS0"));
}

}  // namespace
