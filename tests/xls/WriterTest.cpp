// The writer's refusals: every BIFF8 limit is checked before a byte is written, and a failed
// write leaves nothing at the target (a file already there stays as it was).
#include "tests/support/TestPaths.h"
#include "tests/xls/XlsTestHelpers.h"
#include "xls/WorkbookData.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <limits>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using xls::WorkbookData;
using xlstest::number;
using xlstest::oneSheet;
using xlstest::text;

std::string emoji(std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += "\xF0\x9F\x98\x80";  // U+1F600, two units
    return out;
}

xls::Sheet emptySheet(std::string name) {
    xls::Sheet sheet;
    sheet.name = std::move(name);
    return sheet;
}

WorkbookData twoSheets(const std::string& first, const std::string& second) {
    WorkbookData workbook = oneSheet({}, first);
    workbook.sheets.push_back(emptySheet(second));
    return workbook;
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

struct Refusal {
    const char* name;
    std::function<WorkbookData()> workbook;
    const char* description;  // a part of the failure's text
};

TEST(XlsWriter, LimitsAreRefusedBeforeAnyByteIsWritten) {
    const Refusal refusals[] = {
        {"row 65,537", [] { return oneSheet({number(65536, 0, 1)}); },
         "row 65,537 of sheet \"Sheet1\" is past the last row of an .xls worksheet (65,536)"},
        {"column 257", [] { return oneSheet({number(0, 256, 1)}); },
         "column 257 of sheet \"Sheet1\" is past the last column"},
        {"32,768 characters", [] { return oneSheet({text(4, 2, std::string(32768, 'x'))}); },
         "the text of cell C5 of sheet \"Sheet1\" has 32,768 characters; an .xls cell holds at "
         "most 32,767"},
        {"32,768 UTF-16 units from 16,384 emoji",
         [] { return oneSheet({text(0, 0, emoji(16384))}); }, "has 32,768 characters"},
        {"empty sheet name", [] { return oneSheet({}, ""); }, "a sheet has an empty name"},
        {"32-character sheet name", [] { return oneSheet({}, std::string(32, 'n')); },
         "has 32 characters; at most 31"},
        {"16 emoji in a sheet name", [] { return oneSheet({}, emoji(16)); }, "has 32 characters"},
        {"colon", [] { return oneSheet({}, "a:b"); }, "not allowed"},
        {"backslash", [] { return oneSheet({}, "a\\b"); }, "not allowed"},
        {"slash", [] { return oneSheet({}, "a/b"); }, "not allowed"},
        {"question mark", [] { return oneSheet({}, "a?"); }, "not allowed"},
        {"asterisk", [] { return oneSheet({}, "*"); }, "not allowed"},
        {"brackets", [] { return oneSheet({}, "[x]"); }, "not allowed"},
        {"leading apostrophe", [] { return oneSheet({}, "'quoted"); }, "apostrophe"},
        {"trailing apostrophe", [] { return oneSheet({}, "quoted'"); }, "apostrophe"},
        {"names equal without regard to case", [] { return twoSheets("Data", "DATA"); },
         "the sheet names \"Data\" and \"DATA\" are the same without regard to case"},
        {"non-ASCII names equal without regard to case",
         [] { return twoSheets("\xC3\x84pfel", "\xC3\xA4PFEL"); }, "the same without regard"},
        {"no sheet", [] { return WorkbookData{}; }, "at least one worksheet"},
        {"chart sheet",
         [] {
             WorkbookData workbook = oneSheet({});
             workbook.sheets[0].kind = xls::SheetKind::Chart;
             return workbook;
         },
         "is not a worksheet"},
        {"active sheet missing",
         [] {
             WorkbookData workbook = oneSheet({});
             workbook.activeSheet = 1;
             return workbook;
         },
         "the active sheet (number 2) does not exist"},
        {"two values for one cell",
         [] {
             return oneSheet({number(2, 1, 1), text(0, 0, "a"), text(2, 1, "b")});
         },
         "cell B3 of sheet \"Sheet1\" is given two values"},
        {"infinite number",
         [] { return oneSheet({number(0, 0, std::numeric_limits<double>::infinity())}); },
         "not finite"},
        {"NaN", [] { return oneSheet({number(0, 0, std::numeric_limits<double>::quiet_NaN())}); },
         "not finite"},
        {"unknown error code", [] { return oneSheet({xlstest::error(0, 0, 0x99)}); },
         "unknown error code"},
        {"text that is not UTF-8", [] { return oneSheet({text(0, 0, "caf\xE9")}); },
         "is not valid UTF-8"},
        {"sheet name that is not UTF-8", [] { return oneSheet({}, "\xFF"); }, "not valid UTF-8"},
    };
    testsupport::TempDir folder;
    const std::string fresh = (folder / "fresh.xls").string();
    const std::string existing = (folder / "existing.xls").string();
    const xlstest::Bytes old = xlstest::bytes({'o', 'l', 'd'});
    xlstest::writeFile(existing, old);
    for (const Refusal& refusal : refusals) {
        for (const std::string& target : {fresh, existing}) {
            try {
                xls::writeWorkbook(target, refusal.workbook());
                ADD_FAILURE() << refusal.name << ": written";
            } catch (const xls::XlsError& error) {
                std::string description = error.what();
                EXPECT_NE(description.find("Cannot write the workbook \"" + target + "\": "),
                          std::string::npos)
                    << description;
                EXPECT_NE(description.find(refusal.description), std::string::npos)
                    << refusal.name << ": " << description;
            }
        }
        EXPECT_EQ(xlstest::readFile(existing), old) << refusal.name;
        EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"existing.xls"})
            << refusal.name;
    }
}

TEST(XlsWriter, ValuesAtTheLimitsAreWritten) {
    WorkbookData workbook =
        oneSheet({text(0, 0, std::string(32767, 'x')), text(1, 0, emoji(16383) + "z"),
                  number(0, 255, 2), number(65535, 0, 3), number(65535, 255, 4)},
                 std::string(31, 'n'));
    workbook.sheets.push_back(emptySheet("O'Brien \xC3\x84pfel"));
    workbook.sheets.push_back(emptySheet(emoji(15) + "x"));
    testsupport::TempDir folder;
    std::string path = (folder / "limits.xls").string();
    xls::writeWorkbook(path, workbook);

    WorkbookData back = xls::readWorkbook(path);
    ASSERT_EQ(back.sheets.size(), 3u);
    EXPECT_EQ(back.sheets[0].name, std::string(31, 'n'));
    EXPECT_EQ(back.sheets[1].name, "O'Brien \xC3\x84pfel");
    EXPECT_EQ(back.sheets[2].name, emoji(15) + "x");
    const auto& cells = back.sheets[0].cells;
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0].text, std::string(32767, 'x'));
    EXPECT_EQ(cells[1].number, 2);
    EXPECT_EQ(cells[1].column, 255);
    EXPECT_EQ(cells[2].text, emoji(16383) + "z");
    EXPECT_EQ(cells[4].row, 65535u);
    EXPECT_EQ(cells[4].column, 255);
}

TEST(XlsWriter, CellsAreWrittenInRowOrderAndEmptyTextIsNoCell) {
    WorkbookData workbook =
        oneSheet({number(5, 1, 6), text(0, 3, ""), text(5, 0, "five"), number(0, 0, 1)});
    testsupport::TempDir folder;
    std::string path = (folder / "order.xls").string();
    xls::writeWorkbook(path, workbook);
    const std::vector<xls::Cell> cells = xls::readWorkbook(path).sheets.at(0).cells;
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].number, 1);
    EXPECT_EQ(cells[1].text, "five");
    EXPECT_EQ(cells[2].number, 6);
}

TEST(XlsWriter, FailuresOfTheFileSystemAreClearAndLeaveNothing) {
    testsupport::TempDir folder;
    WorkbookData workbook = oneSheet({number(0, 0, 1)});
    struct Case {
        std::string path;
        const char* description;
    };
    std::filesystem::create_directory(folder / "taken.xls");
    const Case cases[] = {
        {(folder / "missing" / "out.xls").string(), "does not exist"},
        {(folder / "taken.xls").string(), "a folder of that name exists"},
        {"", "No file name was given"},
    };
    for (const Case& c : cases) {
        try {
            xls::writeWorkbook(c.path, workbook);
            ADD_FAILURE() << c.path << ": written";
        } catch (const xls::XlsError& error) {
            EXPECT_NE(std::string(error.what()).find(c.description), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"taken.xls"});
}

// A write cut short by the file system (here a file size limit, as a full disk would) must not
// leave a partial file in place of the old one.
TEST(XlsWriter, WriteCutShortKeepsTheOldFile) {
    testsupport::TempDir folder;
    std::string path = (folder / "big.xls").string();
    const xlstest::Bytes old = xlstest::bytes({'o', 'l', 'd'});
    xlstest::writeFile(path, old);
    std::vector<xls::Cell> cells;
    for (std::uint32_t row = 0; row < 2000; ++row)
        cells.push_back(text(row, 0, std::to_string(row)));
    WorkbookData workbook = oneSheet(std::move(cells));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{20000, 20000};
        setrlimit(RLIMIT_FSIZE, &limit);
        int status = 1;
        try {
            xls::writeWorkbook(path, workbook);
        } catch (const xls::XlsError& error) {
            status = std::string(error.what()).find("Cannot write the workbook") == 0 ? 0 : 2;
        } catch (...) {
            status = 3;
        }
        _exit(status);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no failure reported, 2: unclear failure";
    EXPECT_EQ(xlstest::readFile(path), old);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"big.xls"});
}

}  // namespace
