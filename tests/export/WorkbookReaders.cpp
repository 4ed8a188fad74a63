#include "tests/export/WorkbookReaders.h"

#include "tests/support/RunCommand.h"

#include <freexl.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <sstream>

namespace testsupport {

namespace {

std::string numberText(double value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// Prints the sheet names on the first line, then the sheet's size, then one line per non-empty
// cell: row, column, kind, value (text as UTF-8 hex, so that any character survives).
constexpr const char* kXlrdScript = R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
print("\t".join(s.encode("utf-8").hex() for s in book.sheet_names()))
sheet = book.sheet_by_name(sys.argv[2])
print(sheet.nrows, sheet.ncols)
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype == xlrd.XL_CELL_TEXT:
            kind, value = "text", cell.value.encode("utf-8").hex()
        elif cell.ctype == xlrd.XL_CELL_NUMBER:
            kind, value = "number", repr(cell.value)
        elif cell.ctype == xlrd.XL_CELL_DATE:
            t = xlrd.xldate_as_tuple(cell.value, book.datemode)
            value = "%04d-%02d-%02d" % t[:3]
            if t[3:] != (0, 0, 0):
                value += " %02d:%02d:%02d" % t[3:]
            kind = "date"
        elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
            kind, value = "boolean", str(int(cell.value))
        elif cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
            continue
        else:
            kind, value = "other", repr(cell.value)
        print(r, c, kind, value)
)";

// The same lines for an .xlsx workbook read by openpyxl. Numbers print as floats, as xlrd gives
// them; a formula cell (which the writer must never make) is kind "formula".
constexpr const char* kOpenpyxlScript = R"(
import sys, datetime, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print("\t".join(s.encode("utf-8").hex() for s in book.sheetnames))
sheet = book[sys.argv[2]]
print(sheet.max_row, sheet.max_column)
for row in sheet.iter_rows():
    for cell in row:
        v = cell.value
        if v is None:
            continue
        if cell.data_type == "f":
            kind, value = "formula", str(v).encode("utf-8").hex()
        elif cell.data_type == "s":
            kind, value = "text", v.encode("utf-8").hex()
        elif cell.data_type == "b":
            kind, value = "boolean", str(int(v))
        elif isinstance(v, datetime.datetime):
            kind, value = "date", v.strftime("%Y-%m-%d")
            if v.time() != datetime.time(0):
                value += v.strftime(" %H:%M:%S")
        elif isinstance(v, datetime.date):
            kind, value = "date", v.strftime("%Y-%m-%d")
        elif isinstance(v, datetime.time):
            kind, value = "time", v.strftime("%H:%M:%S")
        elif cell.data_type == "n":
            kind, value = "number", repr(float(v))
        else:
            kind, value = "other", repr(v)
        print(cell.row - 1, cell.column - 1, kind, value)
)";

ReadSheet readPythonLines(const char* script, const std::string& reader, const std::string& path,
                          const std::string& sheetName) {
    ReadSheet sheet;
    CommandResult result = runPython(script, {path, sheetName});
    if (result.exitStatus != 0) {
        ADD_FAILURE() << reader << " cannot read " << path << ": " << result.err;
        return sheet;
    }
    std::istringstream lines(result.out);
    std::string line;
    std::getline(lines, line);
    std::istringstream names(line);
    for (std::string hex; std::getline(names, hex, '\t');) sheet.sheetNames.push_back(fromHex(hex));
    lines >> sheet.rows >> sheet.columns;
    unsigned row = 0;
    unsigned column = 0;
    std::string kind;
    std::string value;
    while (lines >> row >> column >> kind) {
        std::getline(lines >> std::ws, value);
        const bool hex = kind == "text" || kind == "formula";
        sheet.cells[{row, column}] = {kind, hex ? fromHex(value) : value};
    }
    return sheet;
}

}  // namespace

ReadSheet readWithFreexl(const std::string& path, const std::string& sheetName) {
    ReadSheet sheet;
    const void* handle = nullptr;
    int status = freexl_open(path.c_str(), &handle);
    if (status != FREEXL_OK || handle == nullptr) {
        ADD_FAILURE() << "FreeXL cannot open " << path << " (status " << status << ")";
        if (handle != nullptr) freexl_close(handle);
        return sheet;
    }
    unsigned int count = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
    int index = -1;
    for (unsigned short i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, i, &name) == FREEXL_OK && name != nullptr) {
            sheet.sheetNames.emplace_back(name);
            if (sheet.sheetNames.back() == sheetName) index = i;
        }
    }
    if (index < 0 ||
        freexl_select_active_worksheet(handle, static_cast<unsigned short>(index)) != FREEXL_OK) {
        ADD_FAILURE() << "FreeXL finds no worksheet " << sheetName << " in " << path;
        freexl_close(handle);
        return sheet;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(handle, &rows, &columns);
    sheet.rows = rows;
    sheet.columns = columns;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK) {
                ADD_FAILURE() << "FreeXL cannot read row " << r << " column " << c;
                continue;
            }
            ReadCell cell;
            switch (value.type) {
                case FREEXL_CELL_NULL:
                    continue;
                case FREEXL_CELL_INT:
                    cell = {"number", std::to_string(value.value.int_value)};
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell = {"number", numberText(value.value.double_value)};
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    cell = {"text", value.value.text_value};
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                    cell = {"date", value.value.text_value};
                    break;
                default:
                    cell = {"other", ""};
                    break;
            }
            sheet.cells[{r, c}] = cell;
        }
    }
    freexl_close(handle);
    return sheet;
}

ReadSheet readWithXlrd(const std::string& path, const std::string& sheetName) {
    return readPythonLines(kXlrdScript, "xlrd", path, sheetName);
}

ReadSheet readWithOpenpyxl(const std::string& path, const std::string& sheetName) {
    return readPythonLines(kOpenpyxlScript, "openpyxl", path, sheetName);
}

}  // namespace testsupport
