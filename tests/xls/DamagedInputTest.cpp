// Damaged workbooks: files cut short, versions flipped, lengths and counts that lie, bytes
// overwritten. Each gives a clear failure or a correct read; none crashes or hangs.
#include "tests/support/TestPaths.h"
#include "tests/xls/XlsTestHelpers.h"
#include "xls/WorkbookData.h"
#include "xls/biff8/WorkbookParser.h"
#include "xls/biff8/WorkbookStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

using xls::WorkbookData;
using xlstest::Bytes;
using xlstest::number;
using xlstest::text;

WorkbookData sample() {
    WorkbookData workbook =
        xlstest::oneSheet({text(0, 0, "name"), text(0, 1, "\xCE\xA9mega"), number(1, 0, 1.5),
                           xlstest::boolean(1, 1, true), text(2, 0, std::string(300, 'w')),
                           number(2, 1, 45351, xls::NumberFormat::Date)});
    xls::Sheet second;
    second.name = "Second";
    second.cells = {text(0, 0, "name"), xlstest::error(3, 3, 0x2A)};
    workbook.sheets.push_back(second);
    return workbook;
}

std::string describeFailure(const Bytes& stream) {
    try {
        xls::biff8::parseWorkbookStream(stream, "test.xls");
        return {};
    } catch (const xls::XlsError& error) {
        return error.what();
    }
}

bool sameCells(const WorkbookData& a, const WorkbookData& b) {
    if (a.sheets.size() != b.sheets.size()) return false;
    for (std::size_t s = 0; s < a.sheets.size(); ++s) {
        const auto& x = a.sheets[s].cells;
        const auto& y = b.sheets[s].cells;
        if (a.sheets[s].name != b.sheets[s].name || x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (x[i].row != y[i].row || x[i].column != y[i].column || x[i].type != y[i].type ||
                x[i].text != y[i].text || x[i].boolean != y[i].boolean ||
                x[i].errorCode != y[i].errorCode ||
                std::memcmp(&x[i].number, &y[i].number, sizeof(double)) != 0) {
                return false;
            }
        }
    }
    return true;
}

std::size_t recordOffset(const Bytes& stream, std::uint16_t id, int occurrence = 0) {
    for (const auto& record : xlstest::splitRecords(stream)) {
        if (record.id == id && occurrence-- == 0) return record.offset;
    }
    throw std::runtime_error("record not found");
}

TEST(XlsDamaged, StreamCutAnywhereFailsClearlyUnlessOnlyPaddingIsLost) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    WorkbookData whole = xls::biff8::parseWorkbookStream(stream, "test.xls");
    auto records = xlstest::splitRecords(stream);
    std::size_t end = records.back().offset + 4 + records.back().body.size();
    for (std::size_t length = 0; length < stream.size(); ++length) {
        Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(length));
        std::string failure = describeFailure(cut);
        if (length >= end) {
            EXPECT_EQ(failure, "") << length;
            EXPECT_TRUE(sameCells(xls::biff8::parseWorkbookStream(cut, "t"), whole));
        } else {
            EXPECT_EQ(failure.rfind("The workbook \"test.xls\" is damaged: ", 0), 0u)
                << length << ": " << failure;
        }
    }
}

TEST(XlsDamaged, FileCutAtASectorBoundaryFailsClearlyOrReadsWhole) {
    testsupport::TempDir folder;
    std::string written = (folder / "written.xls").string();
    xls::writeWorkbook(written, sample());
    const std::vector<std::string> sources = {
        written,
        testsupport::dataPath("xls/jmcnamara-spreadsheet-parseexcel/long_string7.xls").string(),
        testsupport::dataPath("xls/exceldatareader/Test_Issue_11636_BiffStream.xls").string(),
    };
    for (const std::string& source : sources) {
        Bytes file = xlstest::readFile(source);
        WorkbookData whole = xls::readWorkbook(source);
        for (std::size_t length = 0; length < file.size(); length += 512) {
            for (std::size_t extra : {std::size_t(0), std::size_t(100)}) {
                std::string path = (folder / "cut.xls").string();
                xlstest::writeFile(
                    path, Bytes(file.begin(),
                                file.begin() + static_cast<std::ptrdiff_t>(length + extra)));
                try {
                    EXPECT_TRUE(sameCells(xls::readWorkbook(path), whole))
                        << source << " " << length;
                } catch (const xls::XlsError& error) {
                    EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
                }
            }
        }
    }
}

TEST(XlsDamaged, BofOfAnotherVersionOrKindIsRefused) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    const struct {
        std::size_t offset;
        std::uint8_t low, high;
        const char* reason;
    } cases[] = {
        {4, 0x00, 0x05, "is an Excel 5.0/95 workbook (BIFF5)"},
        {4, 0x00, 0x07, "has an unknown workbook version (0x0700)"},
        {6, 0x10, 0x00, "does not begin with the workbook globals"},
        {0, 0x09, 0x02, "(BIFF2-4)"},
        {0, 0x0A, 0x00, "does not begin with a BOF record"},
    };
    for (const auto& c : cases) {
        Bytes changed = stream;
        changed[c.offset] = c.low;
        changed[c.offset + 1] = c.high;
        EXPECT_NE(describeFailure(changed).find(c.reason), std::string::npos)
            << c.reason << ": " << describeFailure(changed);
    }
}

TEST(XlsDamaged, RecordLengthPastTheEndOfTheStreamIsDamage) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    for (std::uint16_t id : {0x00E0, 0x0085, 0x00FC, 0x027E, 0x023E}) {
        Bytes changed = stream;
        std::size_t at = recordOffset(stream, id);
        changed[at + 2] = 0xFF;
        changed[at + 3] = 0xFF;
        changed.resize(std::min(changed.size(), at + 4 + 0xFFFE));
        EXPECT_NE(describeFailure(changed).find("is damaged"), std::string::npos) << id;
    }
}

TEST(XlsDamaged, SharedStringCountsAreNotTrustedButReferencesAreChecked) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    WorkbookData whole = xls::biff8::parseWorkbookStream(stream, "t");
    std::size_t sst = recordOffset(stream, 0x00FC);

    // Counts far larger than the strings present: the strings there are read.
    Bytes inflated = stream;
    for (std::size_t i = 4; i < 12; ++i) inflated[sst + i] = 0xFF;
    EXPECT_TRUE(sameCells(xls::biff8::parseWorkbookStream(inflated, "t"), whole));

    // A cell that refers past the strings present is a failure, not an invented value.
    Bytes pastTheEnd = stream;
    std::size_t label = recordOffset(stream, 0x00FD, 1);
    pastTheEnd[label + 10] = 3;
    EXPECT_EQ(describeFailure(pastTheEnd),
              "The workbook \"test.xls\" is damaged: cell B1 of sheet \"Sheet1\" refers to shared "
              "string 3, but the workbook holds only 3.");

    // Counts that claim fewer strings than cells use: the later cells have no string to use.
    Bytes deflated = stream;
    deflated[sst + 8] = 1;
    EXPECT_NE(describeFailure(deflated).find("refers to shared string"), std::string::npos);
}

TEST(XlsDamaged, SheetOffsetsOutsideTheStreamOrIntoTheGlobalsAreDamage) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    std::size_t boundSheet = recordOffset(stream, 0x0085);
    for (std::uint32_t offset : {0u, 16u, 0x00FFFFFFu, std::uint32_t(stream.size())}) {
        Bytes changed = stream;
        for (int i = 0; i < 4; ++i) changed[boundSheet + 4 + i] = std::uint8_t(offset >> (8 * i));
        EXPECT_NE(describeFailure(changed).find("is damaged"), std::string::npos) << offset;
    }
    // Both sheets claiming the same place: the second cannot lie inside the first.
    Bytes same = stream;
    std::size_t secondBoundSheet = recordOffset(stream, 0x0085, 1);
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(boundSheet + 4), 4,
                same.begin() + static_cast<std::ptrdiff_t>(secondBoundSheet + 4));
    EXPECT_NE(describeFailure(same).find("is placed over the workbook globals or another sheet"),
              std::string::npos);
}

TEST(XlsDamaged, PasswordRecordIsRefusedBeforeAnythingElseIsRead) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    // FILEPASS right after the BOF, with a body that would be nonsense to the other records.
    Bytes changed(stream.begin(), stream.begin() + 20);
    for (int b : {0x2F, 0x00, 0x06, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC, 0xDD}) {
        changed.push_back(static_cast<std::uint8_t>(b));
    }
    changed.insert(changed.end(), stream.begin() + 20, stream.end());
    EXPECT_EQ(describeFailure(changed),
              "The workbook \"test.xls\" is password-protected (encrypted) and cannot be opened. "
              "Save it without a password and try again.");
}

TEST(XlsDamaged, OverwrittenBytesNeverCrashTheReader) {
    Bytes stream = xls::biff8::buildWorkbookStream(sample());
    auto records = xlstest::splitRecords(stream);
    std::size_t end = records.back().offset + 4 + records.back().body.size();
    std::size_t failures = 0;
    for (std::size_t at = 0; at < end; ++at) {
        for (std::uint8_t value :
             {std::uint8_t(0x00), std::uint8_t(0xFF), std::uint8_t(stream[at] ^ 0x5A)}) {
            Bytes changed = stream;
            changed[at] = value;
            if (!describeFailure(changed).empty()) ++failures;
        }
    }
    // Most single-byte changes land in values and read as other values; the count only shows
    // the damage checks were reached.
    EXPECT_GT(failures, 0u);
}

TEST(XlsDamaged, StreamSizeBeyondTheFileMakesTheStreamUnreadable) {
    testsupport::TempDir folder;
    std::string path = (folder / "book.xls").string();
    xls::writeWorkbook(path, sample());
    Bytes file = xlstest::readFile(path);
    // The directory entry of "Workbook": 64 bytes of UTF-16 name, its size at offset 0x78.
    std::size_t directory = (xlstest::u32At(file, 0x30) + 1) * 512;
    std::size_t entry = directory;
    while (entry + 128 <= file.size() && !(file[entry] == 'W' && file[entry + 2] == 'o')) {
        entry += 128;
    }
    ASSERT_LT(entry + 128, file.size());
    for (std::size_t i = 0; i < 4; ++i) file[entry + 0x78 + i] = i == 3 ? 0x3F : 0xFF;
    xlstest::writeFile(path, file);
    try {
        xls::readWorkbook(path);
        ADD_FAILURE() << "read";
    } catch (const xls::XlsError& error) {
        // libgsf drops the entry; either way the file is refused as damaged.
        EXPECT_NE(std::string(error.what()).find("damaged"), std::string::npos) << error.what();
    }
}

}  // namespace
