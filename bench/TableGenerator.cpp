#include "bench/TableGenerator.h"

#include "base/Endian.h"
#include "engine/dbf/DbfCreate.h"
#include "engine/dbf/DbfFormat.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

const char* const kNames[] = {"Ann",   "Bob",   "Chloe", "Dmitri", "Eve",
                              "Farid", "Greta", "Hana",  "Ivo",    "Jos\xE9"};
const char* const kCities[] = {"Lisboa", "Oslo", "Krak\xF3w", "Lyon", "Gent", "Bergen", "Graz"};

}  // namespace

void generateTable(const std::string& path, std::uint32_t records, std::uint32_t deletedEvery) {
    engine::dbf::NewTable table;
    table.fields = {{"ID", 'N', 10, 0},     {"NAME", 'C', 20, 0}, {"CITY", 'C', 30, 0},
                    {"AMOUNT", 'N', 12, 2}, {"BORN", 'D', 8, 0},  {"ACTIVE", 'L', 1, 0},
                    {"CODE", 'C', 10, 0},   {"RATE", 'N', 8, 3},  {"NOTE", 'C', 40, 0},
                    {"DUE", 'D', 8, 0}};
    std::vector<std::uint8_t> header = engine::dbf::newTableBytes(table);
    header.pop_back();  // the end mark goes after the records
    base::storeLittle<std::uint32_t>(header.data() + engine::dbf::kOffsetRecordCount, records);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(header.data()),
              static_cast<std::streamsize>(header.size()));
    std::string buffer;
    char record[160];
    for (std::uint32_t i = 0; i < records; ++i) {
        bool deleted = deletedEvery != 0 && i % deletedEvery == deletedEvery - 1;
        int length = std::snprintf(
            record, sizeof record,
            "%c%10u%-20s%-30s%12.2f%04u%02u%02u%c%-10s%8.3f%-40s%04u%02u%02u", deleted ? '*' : ' ',
            i, kNames[i % 10], kCities[i % 7], static_cast<double>(i % 100000) * 1.25 - 5000.0,
            1950 + i % 60, 1 + i % 12, 1 + i % 28, i % 3 == 0 ? 'T' : 'F',
            ("C" + std::to_string(i % 9973)).c_str(), static_cast<double>(i % 1000) / 7.0,
            i % 4 == 0 ? "" : "a note, with a comma", 2000 + i % 30, 1 + i % 12, 1 + i % 28);
        buffer.append(record, static_cast<std::size_t>(length));
        if (buffer.size() > (1 << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    buffer.push_back(static_cast<char>(engine::dbf::kEndOfFile));
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
