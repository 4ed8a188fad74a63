// Helpers for the tests of the .xls library: cells and workbooks in a line, and a plain walk over
// the records of a workbook stream that does not use the library's reader.
#pragma once

#include "xls/WorkbookData.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xlstest {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::initializer_list<int> values);
std::string hex(std::span<const std::uint8_t> data);

xls::Cell number(std::uint32_t row, std::uint16_t column, double value,
                 xls::NumberFormat format = xls::NumberFormat::General);
xls::Cell text(std::uint32_t row, std::uint16_t column, std::string utf8);
xls::Cell boolean(std::uint32_t row, std::uint16_t column, bool value);
xls::Cell error(std::uint32_t row, std::uint16_t column, std::uint8_t code);
xls::WorkbookData oneSheet(std::vector<xls::Cell> cells, std::string name = "Sheet1");

struct RawRecord {
    std::uint16_t id = 0;
    std::size_t offset = 0;  // of the header
    Bytes body;
};
// The records of a stream up to its end or the zero padding after the last EOF.
std::vector<RawRecord> splitRecords(std::span<const std::uint8_t> stream);

std::uint16_t u16At(std::span<const std::uint8_t> data, std::size_t at);
std::uint32_t u32At(std::span<const std::uint8_t> data, std::size_t at);

// The bytes of a file, and a file from bytes.
Bytes readFile(const std::string& path);
void writeFile(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace xlstest
