// The writer's records byte for byte, and the order in which a workbook stream holds them.
#include "tests/xls/XlsTestHelpers.h"
#include "xls/biff8/Records.h"
#include "xls/biff8/SharedStrings.h"
#include "xls/biff8/WorkbookStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace xls::biff8;
using xlstest::bytes;
using xlstest::hex;
using xlstest::text;

struct RecordCase {
    const char* name;
    Bytes (*encode)();
    Bytes expected;
};

Bytes encoded(void (*append)(Bytes&)) {
    Bytes out;
    append(out);
    return out;
}

TEST(XlsRecords, EachRecordHasItsExactBytes) {
    const RecordCase cases[] = {
        {"BOF of the workbook globals",
         [] { return encoded([](Bytes& out) { appendBof(out, 0x0005); }); },
         bytes({0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0x00, 0x00,
                0x00, 0x00, 0x06, 0x00, 0x00, 0x00})},
        {"BOF of a worksheet",
         [] { return encoded([](Bytes& out) { appendBof(out, 0x0010); }); },
         bytes({0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x10, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0x00, 0x00,
                0x00, 0x00, 0x06, 0x00, 0x00, 0x00})},
        {"EOF", [] { return encoded(appendEof); }, bytes({0x0A, 0x00, 0x00, 0x00})},
        {"CODEPAGE 1200", [] { return encoded(appendCodePage); },
         bytes({0x42, 0x00, 0x02, 0x00, 0xB0, 0x04})},
        {"DATEMODE 1904",
         [] { return encoded([](Bytes& out) { appendDateMode(out, true); }); },
         bytes({0x22, 0x00, 0x02, 0x00, 0x01, 0x00})},
        {"WINDOW1, third sheet active, two selected",
         [] { return encoded([](Bytes& out) { appendWindow1(out, 2, 2); }); },
         bytes({0x3D, 0x00, 0x12, 0x00, 0xE0, 0x01, 0x5A, 0x00, 0xCF, 0x3F, 0x4E, 0x2A, 0x38, 0x00,
                0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x58, 0x02})},
        {"FONT Arial 10", [] { return encoded(appendFont); },
         bytes({0x31, 0x00, 0x15, 0x00, 0xC8, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0x90, 0x01, 0x00, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 'A', 'r', 'i', 'a', 'l'})},
        {"XF of the Normal style",
         [] { return encoded([](Bytes& out) { appendStyleXf(out, true); }); },
         bytes({0xE0, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF5, 0xFF, 0x20, 0x00, 0x00, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x20})},
        {"XF of a date cell (format 14)",
         [] { return encoded([](Bytes& out) { appendCellXf(out, 14); }); },
         bytes({0xE0, 0x00, 0x14, 0x00, 0x00, 0x00, 0x0E, 0x00, 0x01, 0x00, 0x20, 0x00, 0x00, 0x04,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x20})},
        {"STYLE Normal", [] { return encoded(appendStyle); },
         bytes({0x93, 0x02, 0x04, 0x00, 0x00, 0x80, 0x00, 0xFF})},
        {"BOUNDSHEET of a visible sheet, compressed name",
         [] { return encoded([](Bytes& out) { appendBoundSheet(out, u"Sheet1", 0); }); },
         bytes({0x85, 0x00, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 'S', 'h',
                'e', 'e', 't', '1'})},
        {"BOUNDSHEET of a hidden sheet, UTF-16 name",
         [] { return encoded([](Bytes& out) { appendBoundSheet(out, u"\u03A9x", 1); }); },
         bytes({0x85, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x01, 0xA9, 0x03,
                'x', 0x00})},
        {"DIMENSIONS rows 0-2, columns 0-1",
         [] { return encoded([](Bytes& out) { appendDimensions(out, 0, 3, 0, 2); }); },
         bytes({0x00, 0x02, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x02, 0x00, 0x00, 0x00})},
        {"WINDOW2 of the active sheet",
         [] { return encoded([](Bytes& out) { appendWindow2(out, true, true); }); },
         bytes({0x3E, 0x02, 0x12, 0x00, 0xB6, 0x06, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00})},
        {"WINDOW2 of another sheet",
         [] { return encoded([](Bytes& out) { appendWindow2(out, false, false); }); },
         bytes({0x3E, 0x02, 0x12, 0x00, 0xB6, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00})},
        {"LABELSST B3, string 7",
         [] { return encoded([](Bytes& out) { appendLabelSst(out, 2, 1, 15, 7); }); },
         bytes({0xFD, 0x00, 0x0A, 0x00, 0x02, 0x00, 0x01, 0x00, 0x0F, 0x00, 0x07, 0x00, 0x00,
                0x00})},
        {"NUMBER 0.1 in A1 with the date XF",
         [] { return encoded([](Bytes& out) { appendNumber(out, 0, 0, 16, 0.1); }); },
         bytes({0x03, 0x02, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x9A, 0x99, 0x99, 0x99,
                0x99, 0x99, 0xB9, 0x3F})},
        {"RK integer 1 in IV65536",
         [] { return encoded([](Bytes& out) { appendRk(out, 65535, 255, 15, 0x06); }); },
         bytes({0x7E, 0x02, 0x0A, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x0F, 0x00, 0x06, 0x00, 0x00,
                0x00})},
        {"BOOLERR true",
         [] { return encoded([](Bytes& out) { appendBoolErr(out, 1, 2, 15, 1, false); }); },
         bytes({0x05, 0x02, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x0F, 0x00, 0x01, 0x00})},
        {"BOOLERR #DIV/0!",
         [] { return encoded([](Bytes& out) { appendBoolErr(out, 0, 0, 15, 0x07, true); }); },
         bytes({0x05, 0x02, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x07, 0x01})},
        {"SST of a compressed and a UTF-16 string, with its EXTSST",
         [] {
             SharedStrings strings;
             strings.add(u"A");
             strings.add(u"\u03A9");
             strings.reuse();
             Bytes out;
             strings.appendRecords(out);
             return out;
         },
         bytes({0xFC, 0x00, 0x11, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                0x01, 0x00, 0x00, 'A', 0x01, 0x00, 0x01, 0xA9, 0x03,
                // EXTSST: 8 strings a bucket; the first string at stream offset 12, 12 bytes
                // after its record's header.
                0xFF, 0x00, 0x0A, 0x00, 0x08, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00,
                0x00})},
    };
    for (const RecordCase& c : cases) {
        EXPECT_EQ(hex(c.encode()), hex(c.expected)) << c.name;
    }
}

TEST(XlsRecords, RkIsUsedOnlyWhenItDecodesToTheSameDouble) {
    struct RkCase {
        double value;
        bool exact;
    };
    const RkCase cases[] = {
        // Integers of 30 bits, hundredths of them, and doubles whose low 34 bits are zero.
        {0.0, true},           {1.0, true},          {-1.0, true},   {536870911.0, true},
        {-536870912.0, true},  {0.1, true},          {-0.5, true},   {-0.0, true},
        {1.0 / 7, false},      {536870912.5, false}, {1e300, false}, {1e-7, false},
        {std::nan(""), false},
    };
    for (const RkCase& c : cases) {
        auto rk = encodeRk(c.value);
        EXPECT_EQ(rk.has_value(), c.exact) << c.value;
        if (rk) {
            double back = decodeRk(*rk);
            EXPECT_EQ(std::signbit(back), std::signbit(c.value)) << c.value;
            EXPECT_EQ(back, c.value);
        }
    }
}

TEST(XlsRecords, StreamHoldsTheRecommendedRecordsInOrderWithPatchedSheetOffsets) {
    xls::WorkbookData workbook = xlstest::oneSheet(
        {xlstest::text(0, 0, "name"), xlstest::number(1, 0, 45351, xls::NumberFormat::Date),
         xlstest::boolean(1, 1, true), xlstest::number(2, 2, 1.0 / 7)});
    xls::Sheet second;
    second.name = "Second";
    workbook.sheets.push_back(second);
    workbook.activeSheet = 1;

    Bytes stream = buildWorkbookStream(workbook);
    EXPECT_GT(stream.size(), 4096u);
    EXPECT_EQ(stream.size() % 512, 0u);

    std::vector<xlstest::RawRecord> records = xlstest::splitRecords(stream);
    std::vector<std::uint16_t> ids;
    for (const auto& record : records) ids.push_back(record.id);
    std::vector<std::uint16_t> expected = {0x0809, 0x0042, 0x003D, 0x0022};
    expected.insert(expected.end(), 5, 0x0031);   // FONT
    expected.insert(expected.end(), 19, 0x00E0);  // XF: 15 style, default cell, 3 dates
    expected.insert(expected.end(), {0x0293, 0x0085, 0x0085, 0x00FC, 0x00FF, 0x000A});
    // Sheet1: DIMENSIONS, LABELSST A1, RK A2 (a whole serial), BOOLERR B2, NUMBER C3.
    expected.insert(expected.end(),
                    {0x0809, 0x0200, 0x00FD, 0x027E, 0x0205, 0x0203, 0x023E, 0x000A});
    expected.insert(expected.end(), {0x0809, 0x0200, 0x023E, 0x000A});
    EXPECT_EQ(ids, expected);

    // Each BOUNDSHEET points at its sheet's BOF; DIMENSIONS covers A1:C3.
    std::vector<std::size_t> sheetBofs;
    for (std::size_t i = 1; i < records.size(); ++i) {
        if (records[i].id == 0x0809) sheetBofs.push_back(records[i].offset);
    }
    std::size_t sheet = 0;
    for (const auto& record : records) {
        if (record.id == 0x0085) {
            EXPECT_EQ(xlstest::u32At(record.body, 0), sheetBofs.at(sheet++));
        }
    }
    const auto& dimensions = records[expected.size() - 11];
    ASSERT_EQ(dimensions.id, 0x0200);
    EXPECT_EQ(hex(dimensions.body), hex(bytes({0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 3, 0, 0, 0})));
    // The date serial uses the date XF (16); the second sheet is the active one.
    EXPECT_EQ(xlstest::u16At(records[expected.size() - 9].body, 4), 16);
    EXPECT_EQ(xlstest::u16At(records[2].body, 10), 1);
    EXPECT_EQ(xlstest::u16At(records[records.size() - 2].body, 0), 0x06B6);
}

TEST(XlsRecords, EmptySheetHasEmptyDimensionsAndNoSharedStrings) {
    Bytes stream = buildWorkbookStream(xlstest::oneSheet({xlstest::text(3, 3, "")}));
    std::vector<xlstest::RawRecord> records = xlstest::splitRecords(stream);
    for (const auto& record : records) {
        EXPECT_NE(record.id, 0x00FC) << "no SST without strings";
        EXPECT_NE(record.id, 0x00FD) << "an empty text is no cell";
        if (record.id == 0x0200) {
            EXPECT_EQ(hex(record.body), hex(Bytes(14, 0)));
        }
    }
}

TEST(XlsRecords, RepeatedTextIsStoredOnceAndCountedPerCell) {
    Bytes stream = buildWorkbookStream(xlstest::oneSheet(
        {text(0, 0, "a"), text(1, 0, "\xCE\xA9"), text(2, 0, "a"), text(2, 1, "A")}));
    std::vector<std::uint32_t> indexes;
    for (const auto& record : xlstest::splitRecords(stream)) {
        if (record.id == 0x00FC) {
            EXPECT_EQ(xlstest::u32At(record.body, 0), 4u) << "cells using the table";
            EXPECT_EQ(xlstest::u32At(record.body, 4), 3u) << "unique strings";
        }
        if (record.id == 0x00FD) indexes.push_back(xlstest::u32At(record.body, 6));
    }
    EXPECT_EQ(indexes, (std::vector<std::uint32_t>{0, 1, 0, 2}));
}

}  // namespace
