#include "tests/xls/XlsTestHelpers.h"

#include "base/Endian.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace xlstest {

Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int value : values) out.push_back(static_cast<std::uint8_t>(value));
    return out;
}

std::string hex(std::span<const std::uint8_t> data) {
    std::string out;
    char text[4];
    for (std::uint8_t byte : data) {
        std::snprintf(text, sizeof text, "%02X ", byte);
        out += text;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

xls::Cell number(std::uint32_t row, std::uint16_t column, double value, xls::NumberFormat format) {
    xls::Cell cell;
    cell.row = row;
    cell.column = column;
    cell.type = xls::CellType::Number;
    cell.number = value;
    cell.format = format;
    return cell;
}

xls::Cell text(std::uint32_t row, std::uint16_t column, std::string utf8) {
    xls::Cell cell;
    cell.row = row;
    cell.column = column;
    cell.type = xls::CellType::Text;
    cell.text = std::move(utf8);
    return cell;
}

xls::Cell boolean(std::uint32_t row, std::uint16_t column, bool value) {
    xls::Cell cell;
    cell.row = row;
    cell.column = column;
    cell.type = xls::CellType::Boolean;
    cell.boolean = value;
    return cell;
}

xls::Cell error(std::uint32_t row, std::uint16_t column, std::uint8_t code) {
    xls::Cell cell;
    cell.row = row;
    cell.column = column;
    cell.type = xls::CellType::Error;
    cell.errorCode = code;
    return cell;
}

xls::WorkbookData oneSheet(std::vector<xls::Cell> cells, std::string name) {
    xls::WorkbookData workbook;
    xls::Sheet sheet;
    sheet.name = std::move(name);
    sheet.cells = std::move(cells);
    workbook.sheets.push_back(std::move(sheet));
    return workbook;
}

std::uint16_t u16At(std::span<const std::uint8_t> data, std::size_t at) {
    return base::loadLittle<std::uint16_t>(data.data() + at);
}

std::uint32_t u32At(std::span<const std::uint8_t> data, std::size_t at) {
    return base::loadLittle<std::uint32_t>(data.data() + at);
}

std::vector<RawRecord> splitRecords(std::span<const std::uint8_t> stream) {
    std::vector<RawRecord> records;
    std::size_t at = 0;
    while (at + 4 <= stream.size()) {
        RawRecord record;
        record.id = u16At(stream, at);
        std::size_t length = u16At(stream, at + 2);
        if (record.id == 0 && length == 0) break;
        if (at + 4 + length > stream.size()) throw std::runtime_error("record past the end");
        record.offset = at;
        record.body.assign(stream.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           stream.begin() + static_cast<std::ptrdiff_t>(at + 4 + length));
        records.push_back(std::move(record));
        at += 4 + length;
    }
    return records;
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, std::span<const std::uint8_t> data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace xlstest
