// A large Visual FoxPro table for benchmarks: integers (autoincrement), currency, doubles,
// date-times, varchar and nullable fields, written in one pass.
#include "base/Endian.h"
#include "bench/TableGenerator.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

namespace {

struct Field {
    const char* name;
    char type;
    std::uint8_t length;
    std::uint8_t decimals;
    std::uint8_t flags;  // 0x02 nullable, 0x04 binary, 0x0C autoincrement
};

// Null flag bits, in field order: NAME null 0, CITY length 1, STAMP null 2, CODE length 3 and
// null 4.
constexpr Field kFields[] = {
    {"ID", 'I', 4, 0, 0x0C},     {"NAME", 'C', 20, 0, 0x02},      {"CITY", 'V', 30, 0, 0},
    {"AMOUNT", 'Y', 8, 4, 0x04}, {"RATIO", 'B', 8, 3, 0x04},      {"STAMP", 'T', 8, 0, 0x06},
    {"BORN", 'D', 8, 0, 0},      {"ACTIVE", 'L', 1, 0, 0},        {"CODE", 'V', 10, 0, 0x02},
    {"NOTE", 'C', 40, 0, 0},     {"_NullFlags", '0', 1, 0, 0x05},
};

const char* const kNames[] = {"Ann",   "Bob",   "Chloe", "Dmitri", "Eve",
                              "Farid", "Greta", "Hana",  "Ivo",    "Jos\xE9"};
const char* const kCities[] = {"Lisboa", "Oslo", "Krak\xF3w", "Lyon", "Gent", "Bergen", "Graz"};

void put(std::string& record, std::size_t at, const std::string& text) {
    std::memcpy(record.data() + at, text.data(), text.size());
}

template <typename T>
void putLittle(std::string& record, std::size_t at, T value) {
    base::storeLittle(reinterpret_cast<std::uint8_t*>(record.data() + at), value);
}

}  // namespace

void generateFoxTable(const std::string& path, std::uint32_t records) {
    constexpr std::size_t kCount = std::size(kFields);
    const std::size_t headerLength = 32 + 32 * kCount + 1 + 263;
    std::size_t recordLength = 1;
    for (const Field& f : kFields) recordLength += f.length;
    std::vector<std::uint8_t> header(headerLength, 0);
    header[0] = 0x32;
    header[1] = 24;
    header[2] = 1;
    header[3] = 1;
    base::storeLittle<std::uint32_t>(header.data() + 4, records);
    base::storeLittle(header.data() + 8, static_cast<std::uint16_t>(headerLength));
    base::storeLittle(header.data() + 10, static_cast<std::uint16_t>(recordLength));
    header[29] = 0x03;
    std::vector<std::size_t> offsets;
    std::size_t offset = 1;
    for (std::size_t i = 0; i < kCount; ++i) {
        const Field& f = kFields[i];
        std::uint8_t* d = header.data() + 32 + 32 * i;
        std::memcpy(d, f.name, std::strlen(f.name));
        d[11] = static_cast<std::uint8_t>(f.type);
        base::storeLittle(d + 12, static_cast<std::uint32_t>(offset));
        d[16] = f.length;
        d[17] = f.decimals;
        d[18] = f.flags;
        if (f.flags == 0x0C) {
            base::storeLittle(d + 19, records + 1);
            d[23] = 1;
        }
        offsets.push_back(offset);
        offset += f.length;
    }
    header[32 + 32 * kCount] = 0x0D;

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(header.data()),
              static_cast<std::streamsize>(header.size()));
    std::string buffer;
    std::string record(recordLength, ' ');
    for (std::uint32_t i = 0; i < records; ++i) {
        record.assign(recordLength, ' ');
        std::uint8_t nullFlags = 0;
        putLittle(record, offsets[0], static_cast<std::int32_t>(i + 1));
        if (i % 10 == 9) {
            nullFlags |= 1 << 0;
        } else {
            put(record, offsets[1], kNames[i % 10]);
        }
        const std::string city = kCities[i % 7];
        put(record, offsets[2], city);
        record[offsets[2] + 29] = static_cast<char>(city.size());
        nullFlags |= 1 << 1;
        putLittle(record, offsets[3], static_cast<std::int64_t>(i % 100000) * 12500 - 50'000'000);
        putLittle(record, offsets[4], std::bit_cast<std::uint64_t>(static_cast<double>(i) / 7.0));
        if (i % 5 == 4) {
            nullFlags |= 1 << 2;
            putLittle(record, offsets[5], std::uint64_t{0});
        } else {
            // 1990 onwards, times one millisecond short of a second as many real files hold.
            putLittle(record, offsets[5], static_cast<std::int32_t>(2447893 + i % 12000));
            putLittle(record, offsets[5] + 4, static_cast<std::int32_t>((i % 86400) * 1000 + 999));
        }
        put(record, offsets[6], std::to_string(19500101 + (i % 60) * 10000 + (i % 12) * 100));
        record[offsets[7]] = i % 3 == 0 ? 'T' : 'F';
        if (i % 4 == 0) {
            nullFlags |= 1 << 3 | 1 << 4;
            record[offsets[8] + 9] = 0;
        } else {
            const std::string code = "C" + std::to_string(i % 9973);
            put(record, offsets[8], code);
            record[offsets[8] + 9] = static_cast<char>(code.size());
            nullFlags |= 1 << 3;
        }
        if (i % 4 != 0) put(record, offsets[9], "a note, with a comma");
        record[offsets[10]] = static_cast<char>(nullFlags);
        buffer += record;
        if (buffer.size() > (1 << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    buffer.push_back(0x1A);
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
