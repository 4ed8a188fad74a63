// Workbooks we write, read back by our reader and by two independent ones: FreeXL (the strictest
// of them) and python3-xlrd.
#include "tests/support/RunCommand.h"
#include "tests/support/TestPaths.h"
#include "tests/xls/XlsTestHelpers.h"
#include "xls/WorkbookData.h"

#include <freexl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using xls::Cell;
using xls::CellType;
using xls::NumberFormat;
using xls::WorkbookData;
using xlstest::number;
using xlstest::text;

std::string hexText(const std::string& utf8) {
    std::string out;
    char two[3];
    for (unsigned char c : utf8) {
        std::snprintf(two, sizeof two, "%02x", c);
        out += two;
    }
    return out;
}

std::string exact(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

// Compares every sheet and cell as xlrd reads them, both with and without the formatting
// tables, against a listing of what was written.
constexpr const char* kXlrdCheck = R"PY(
import sys, xlrd
path, listing = sys.argv[1], sys.argv[2]
expected, datemode = [], None
for line in open(listing, encoding='ascii').read().split('\n'):
    if not line:
        continue
    f = line.split('\t')
    if f[0] == 'D':
        datemode = int(f[1])
    elif f[0] == 'S':
        expected.append((bytes.fromhex(f[1]).decode('utf-8'), int(f[2]), {}))
    else:
        expected[-1][2][(int(f[1]), int(f[2]))] = (f[3], f[4])
problems = []
for formatting in (False, True):
    book = xlrd.open_workbook(path, formatting_info=formatting)
    if book.datemode != datemode:
        problems.append('datemode %d' % book.datemode)
    if book.sheet_names() != [name for name, _, _ in expected]:
        problems.append('sheets %r' % book.sheet_names())
        break
    for name, visibility, cells in expected:
        sheet = book.sheet_by_name(name)
        if sheet.visibility != visibility:
            problems.append('%s: visibility %d' % (name, sheet.visibility))
        seen = 0
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                want = cells.get((r, c))
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    if want:
                        problems.append('%s %d,%d: empty, expected %r' % (name, r, c, want))
                    continue
                if want is None:
                    problems.append('%s %d,%d: unexpected %r' % (name, r, c, cell))
                    continue
                seen += 1
                kind, payload = want
                ok = {'n': lambda: cell.ctype == xlrd.XL_CELL_NUMBER and cell.value == float(payload),
                      'd': lambda: cell.ctype == xlrd.XL_CELL_DATE and cell.value == float(payload),
                      't': lambda: cell.ctype == xlrd.XL_CELL_TEXT
                                   and cell.value == bytes.fromhex(payload).decode('utf-8'),
                      'b': lambda: cell.ctype == xlrd.XL_CELL_BOOLEAN and cell.value == int(payload),
                      'e': lambda: cell.ctype == xlrd.XL_CELL_ERROR and cell.value == int(payload)}[kind]()
                if not ok:
                    problems.append('%s %d,%d: %r, expected %r' % (name, r, c, cell, want))
        if seen != len(cells):
            problems.append('%s: %d of %d cells read' % (name, seen, len(cells)))
print('\n'.join(problems[:20]) if problems else 'OK')
)PY";

void checkXlrd(const std::string& path, const WorkbookData& written) {
    testsupport::TempDir folder;
    std::string listing = "D\t" + std::string(written.date1904 ? "1" : "0") + "\n";
    for (const xls::Sheet& sheet : written.sheets) {
        listing += "S\t" + hexText(sheet.name) + "\t" +
                   std::to_string(static_cast<int>(sheet.visibility)) + "\n";
        for (const Cell& cell : sheet.cells) {
            std::string kind, payload;
            switch (cell.type) {
                case CellType::Number:
                    kind = cell.format == NumberFormat::General ? "n" : "d";
                    payload = exact(cell.number);
                    break;
                case CellType::Text:
                    if (cell.text.empty()) continue;
                    kind = "t";
                    payload = hexText(cell.text);
                    break;
                case CellType::Boolean:
                    kind = "b";
                    payload = cell.boolean ? "1" : "0";
                    break;
                case CellType::Error:
                    kind = "e";
                    payload = std::to_string(cell.errorCode);
                    break;
            }
            listing += "C\t" + std::to_string(cell.row) + "\t" + std::to_string(cell.column) +
                       "\t" + kind + "\t" + payload + "\n";
        }
    }
    std::string listingPath = (folder / "listing.txt").string();
    xlstest::writeFile(listingPath, std::vector<std::uint8_t>(listing.begin(), listing.end()));
    testsupport::CommandResult result = testsupport::runPython(kXlrdCheck, {path, listingPath});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "OK\n") << result.err;
}

void checkOurReader(const std::string& path, const WorkbookData& written) {
    WorkbookData back = xls::readWorkbook(path);
    EXPECT_TRUE(back.unsupportedContent.empty());
    EXPECT_EQ(back.date1904, written.date1904);
    EXPECT_EQ(back.activeSheet, written.activeSheet);
    ASSERT_EQ(back.sheets.size(), written.sheets.size());
    for (std::size_t s = 0; s < written.sheets.size(); ++s) {
        const xls::Sheet& want = written.sheets[s];
        const xls::Sheet& got = back.sheets[s];
        EXPECT_EQ(got.name, want.name);
        EXPECT_EQ(got.visibility, want.visibility);
        EXPECT_EQ(got.selected, want.selected || s == written.activeSheet) << want.name;
        std::vector<Cell> nonEmpty;
        for (const Cell& cell : want.cells) {
            if (cell.type != CellType::Text || !cell.text.empty()) nonEmpty.push_back(cell);
        }
        ASSERT_EQ(got.cells.size(), nonEmpty.size()) << want.name;
        for (std::size_t i = 0; i < nonEmpty.size(); ++i) {
            const Cell& a = nonEmpty[i];
            const Cell& b = got.cells[i];
            std::string where =
                want.name + " " + std::to_string(a.row) + "," + std::to_string(a.column);
            EXPECT_EQ(b.row, a.row) << where;
            EXPECT_EQ(b.column, a.column) << where;
            EXPECT_EQ(b.type, a.type) << where;
            EXPECT_EQ(exact(b.number), exact(a.number)) << where;
            EXPECT_EQ(b.text, a.text) << where;
            EXPECT_EQ(b.boolean, a.boolean) << where;
            EXPECT_EQ(b.errorCode, a.errorCode) << where;
            EXPECT_EQ(b.format, a.type == CellType::Number ? a.format : NumberFormat::General)
                << where;
        }
    }
}

// FreeXL returns booleans and errors as integers and dates as text; dateTexts gives the text
// expected for some date cells (the others are checked for their kind only).
void checkFreeXl(
    const std::string& path, const WorkbookData& written,
    const std::map<std::pair<std::uint32_t, std::uint16_t>, std::string>& dateTexts = {}) {
    const void* handle = nullptr;
    int opened = freexl_open(path.c_str(), &handle);
    ASSERT_EQ(opened, FREEXL_OK);
    // FreeXL can report success and still leave the handle empty when parsing stopped.
    ASSERT_NE(handle, nullptr);
    unsigned int sheetCount = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount);
    EXPECT_EQ(sheetCount, written.sheets.size());
    for (unsigned short s = 0; s < sheetCount && s < written.sheets.size(); ++s) {
        const xls::Sheet& sheet = written.sheets[s];
        const char* name = nullptr;
        freexl_get_worksheet_name(handle, s, &name);
        EXPECT_EQ(std::string(name != nullptr ? name : ""), sheet.name);
        ASSERT_EQ(freexl_select_active_worksheet(handle, s), FREEXL_OK);
        unsigned int rows = 0;
        unsigned short columns = 0;
        ASSERT_EQ(freexl_worksheet_dimensions(handle, &rows, &columns), FREEXL_OK);
        std::map<std::pair<std::uint32_t, std::uint16_t>, const Cell*> byPosition;
        for (const Cell& cell : sheet.cells) {
            if (cell.type != CellType::Text || !cell.text.empty()) {
                byPosition[{cell.row, cell.column}] = &cell;
            }
        }
        std::size_t found = 0;
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                ASSERT_EQ(freexl_get_cell_value(handle, r, c, &value), FREEXL_OK);
                auto it = byPosition.find({r, c});
                std::string where = sheet.name + " " + std::to_string(r) + "," + std::to_string(c);
                if (it == byPosition.end()) {
                    EXPECT_EQ(value.type, FREEXL_CELL_NULL) << where;
                    continue;
                }
                ++found;
                const Cell& cell = *it->second;
                switch (cell.type) {
                    case CellType::Number:
                        if (cell.format == NumberFormat::General) {
                            if (value.type == FREEXL_CELL_INT) {
                                EXPECT_EQ(value.value.int_value, cell.number) << where;
                            } else {
                                ASSERT_EQ(value.type, FREEXL_CELL_DOUBLE) << where;
                                EXPECT_EQ(value.value.double_value, cell.number) << where;
                            }
                        } else {
                            int kind = cell.format == NumberFormat::Date ? FREEXL_CELL_DATE
                                       : cell.format == NumberFormat::DateTime
                                           ? FREEXL_CELL_DATETIME
                                           : FREEXL_CELL_TIME;
                            ASSERT_EQ(value.type, kind) << where;
                            if (auto text = dateTexts.find({r, c}); text != dateTexts.end()) {
                                EXPECT_EQ(std::string(value.value.text_value), text->second)
                                    << where;
                            }
                        }
                        break;
                    case CellType::Text:
                        ASSERT_TRUE(value.type == FREEXL_CELL_SST_TEXT ||
                                    value.type == FREEXL_CELL_TEXT)
                            << where;
                        EXPECT_EQ(std::string(value.value.text_value), cell.text) << where;
                        break;
                    case CellType::Boolean:
                        ASSERT_EQ(value.type, FREEXL_CELL_INT) << where;
                        EXPECT_EQ(value.value.int_value, cell.boolean ? 1 : 0) << where;
                        break;
                    case CellType::Error:
                        EXPECT_EQ(value.type, FREEXL_CELL_INT) << where;
                        break;
                }
            }
        }
        EXPECT_EQ(found, byPosition.size()) << sheet.name;
    }
    freexl_close(handle);
}

WorkbookData everyKindOfCell(bool date1904) {
    // The same days in either date system: the 1904 serial is 1,462 less.
    double shift = date1904 ? -1462 : 0;
    std::vector<Cell> cells = {
        text(0, 0, "Name"),
        text(0, 1, "Amount"),
        text(0, 2, "Born"),
        text(0, 3, "When"),
        text(0, 4, "Alarm"),
        text(0, 5, "Active"),
        text(0, 6, "Check"),
        text(0, 7, "Notes"),
        text(1, 0, "Ann"),
        number(1, 1, 12),
        number(1, 2, 45351 + shift, NumberFormat::Date),
        number(1, 3, 45351.75 + shift, NumberFormat::DateTime),
        number(1, 4, 0.5, NumberFormat::Time),
        xlstest::boolean(1, 5, true),
        xlstest::error(1, 6, 0x2A),
        text(1, 7, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80"),
        // Row 3 (index 2) is empty.
        text(3, 0, "Bob"),
        number(3, 1, -0.1),
        number(3, 2, 36526 + shift, NumberFormat::Date),
        number(3, 3, 36526.25 + shift, NumberFormat::DateTime),
        number(3, 4, 0.75, NumberFormat::Time),
        xlstest::boolean(3, 5, false),
        xlstest::error(3, 6, 0x07),
        text(3, 7, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"),
        text(4, 0, "=1+1"),
        number(4, 1, 1.0 / 7),
        text(4, 2, ""),
        text(4, 3, "00123"),
        number(4, 4, 123456789.125),
        number(4, 5, -1e-300),
        text(4, 7, "emoji \xF0\x9F\x98\x80 here"),
        text(5, 0, std::string(10000, 'L')),
        text(5, 1,
             [] {
                 std::string wide;
                 for (int i = 0; i < 4000; ++i) wide += "\xCE\xA9";
                 return wide;
             }()),
        number(5, 255, 255),
    };
    WorkbookData workbook = xlstest::oneSheet(std::move(cells));
    workbook.date1904 = date1904;
    xls::Sheet second;
    second.name =
        "Donn\xC3\xA9"
        "es";
    second.selected = true;
    second.cells = {text(0, 0, "x"), number(65535, 0, 1)};
    workbook.sheets.push_back(second);
    xls::Sheet hidden;
    hidden.name = "Hidden";
    hidden.visibility = xls::SheetVisibility::Hidden;
    workbook.sheets.push_back(hidden);
    return workbook;
}

TEST(XlsRoundTrip, EveryKindOfCellReadsBackInAllThreeReadersInBothDateSystems) {
    for (bool date1904 : {false, true}) {
        SCOPED_TRACE(date1904 ? "1904 date system" : "1900 date system");
        WorkbookData workbook = everyKindOfCell(date1904);
        testsupport::TempDir folder;
        std::string path = (folder / "kinds.xls").string();
        xls::writeWorkbook(path, workbook);
        checkOurReader(path, workbook);
        checkFreeXl(path, workbook,
                    {{{1, 2}, "2024-02-29"},
                     {{1, 3}, "2024-02-29 18:00:00"},
                     {{1, 4}, "12:00:00"},
                     {{3, 2}, "2000-01-01"},
                     {{3, 3}, "2000-01-01 06:00:00"},
                     {{3, 4}, "18:00:00"}});
        checkXlrd(path, workbook);
    }
}

TEST(XlsRoundTrip, FullHeightSheetWithManyUniqueStrings) {
    std::vector<Cell> cells;
    cells.reserve(4 * 65536);
    for (std::uint32_t row = 0; row < 65536; ++row) {
        cells.push_back(number(row, 0, row * 1.5));
        cells.push_back(text(row, 1, "row " + std::to_string(row)));
        cells.push_back(number(row, 2, 40000 + row % 3000, NumberFormat::Date));
        if (row % 7 == 0) cells.push_back(xlstest::boolean(row, 3, row % 2 == 0));
    }
    WorkbookData workbook = xlstest::oneSheet(std::move(cells));
    testsupport::TempDir folder;
    std::string path = (folder / "tall.xls").string();
    xls::writeWorkbook(path, workbook);
    checkOurReader(path, workbook);
    checkFreeXl(path, workbook, {{{0, 2}, "2009-07-06"}});
    checkXlrd(path, workbook);
}

TEST(XlsRoundTrip, LongestStringsReadBack) {
    std::string omegas, emoji;
    for (int i = 0; i < 32767; ++i) omegas += "\xCE\xA9";
    for (int i = 0; i < 16383; ++i) emoji += "\xF0\x9F\x98\x80";
    WorkbookData longest =
        xlstest::oneSheet({text(0, 0, std::string(32767, 'x')), text(1, 0, omegas),
                           text(2, 0, emoji + "z"), text(3, 0, "short")});
    testsupport::TempDir folder;
    std::string path = (folder / "longest.xls").string();
    xls::writeWorkbook(path, longest);
    checkOurReader(path, longest);
    // FreeXL finishes a string in the next record only, so strings that must cross three or more
    // record boundaries are beyond it: xlrd is the independent reader here.
    checkXlrd(path, longest);

    // Strings of up to about 16,400 bytes are placed to cross at most one boundary.
    WorkbookData crossing =
        xlstest::oneSheet({text(0, 0, std::string(5000, 'a')), text(1, 0, std::string(16000, 'b')),
                           text(2, 0, omegas.substr(0, 2 * 8000))});
    std::string crossingPath = (folder / "crossing.xls").string();
    xls::writeWorkbook(crossingPath, crossing);
    checkFreeXl(crossingPath, crossing);
    checkXlrd(crossingPath, crossing);
}

}  // namespace
