#include "tests/support/DbfBuilder.h"

#include "base/CivilDate.h"
#include "base/Endian.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace testsupport {

namespace {

void put16(Bytes& bytes, std::size_t at, std::uint32_t value) {
    base::storeLittle(bytes.data() + at, static_cast<std::uint16_t>(value));
}

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    base::storeLittle(bytes.data() + at, value);
}

}  // namespace

DbfBuilder::DbfBuilder(std::uint8_t version) : m_version(version) {}

DbfBuilder& DbfBuilder::field(const std::string& name, char type, int length, int decimals) {
    std::size_t offset = 1;
    for (const Field& f : m_fields) offset += static_cast<std::size_t>(f.length);
    m_fields.push_back({name, type, length, decimals, offset});
    return *this;
}

DbfBuilder& DbfBuilder::languageDriver(std::uint8_t id) {
    m_languageDriver = id;
    return *this;
}

DbfBuilder& DbfBuilder::driverName(const std::string& name) {
    m_driverName = name;
    return *this;
}

DbfBuilder& DbfBuilder::counter(std::uint32_t next) {
    m_fields.back().counter = next;
    return *this;
}

DbfBuilder& DbfBuilder::fieldProperties(const Bytes& area) {
    m_properties = area;
    return *this;
}

bool DbfBuilder::memoField(char type) const { return type == 'M' || type == 'B' || type == 'G'; }

std::string DbfBuilder::binaryValue(char type, const std::string& value) const {
    std::uint8_t bytes[8] = {};
    std::size_t width = type == 'I' || type == '+' ? 4 : 8;
    if (!value.empty() && width == 4) {
        auto number = static_cast<std::int32_t>(std::stoll(value));
        base::storeBig(bytes, static_cast<std::uint32_t>(number) ^ 0x8000'0000u);
    } else if (!value.empty() && type == 'O') {
        auto bits = std::bit_cast<std::uint64_t>(std::strtod(value.c_str(), nullptr));
        const std::uint64_t sign = 0x8000'0000'0000'0000u;
        base::storeBig(bytes, (bits & sign) != 0 ? ~bits : bits | sign);
    } else if (!value.empty()) {  // '@'
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milli = 0;
        std::sscanf(value.c_str(), "%d-%d-%d %d:%d:%d.%d", &year, &month, &day, &hour, &minute,
                    &second, &milli);
        const std::int64_t days =
            base::daysSince1970(year, month, day) - base::daysSince1970(1, 1, 1) + 1;
        const std::int64_t ms =
            days * 86'400'000 + ((hour * 60 + minute) * 60 + second) * 1000 + milli;
        base::storeBig(bytes, std::bit_cast<std::uint64_t>(static_cast<double>(ms)));
    }
    return std::string(reinterpret_cast<const char*>(bytes), width);
}

bool DbfBuilder::ivMemo() const {
    if (m_memoStyle != MemoStyle::Auto) return m_memoStyle == MemoStyle::IV;
    return m_version != 0x83 && m_version != 0x87;
}

std::uint16_t DbfBuilder::memoBlockSize() const { return ivMemo() ? m_blockSize : 512; }

DbfBuilder& DbfBuilder::record(const std::vector<std::string>& values, bool deleted) {
    if (values.size() != m_fields.size()) throw std::logic_error("one value per field");
    std::string bytes;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Field& f = m_fields[i];
        auto width = static_cast<std::size_t>(f.length);
        std::string value = values[i];
        if (dbase7() && (f.type == 'I' || f.type == '+' || f.type == 'O' || f.type == '@')) {
            bytes += binaryValue(f.type, value);
            continue;
        }
        if (memoField(f.type)) {
            if (value.empty()) {
                value.clear();
            } else {
                std::size_t blockSize = memoBlockSize();
                std::size_t block = 1 + m_memo.size() / blockSize;
                Bytes data;
                if (ivMemo()) {
                    data = {0xFF, 0xFF, 0x08, 0x00, 0, 0, 0, 0};
                    put32(data, 4, static_cast<std::uint32_t>(value.size() + 8));
                    data.insert(data.end(), value.begin(), value.end());
                } else {
                    data.assign(value.begin(), value.end());
                    data.push_back(0x1A);
                    data.push_back(0x1A);
                }
                data.resize((data.size() + blockSize - 1) / blockSize * blockSize, 0);
                m_memo.insert(m_memo.end(), data.begin(), data.end());
                value = std::to_string(block);
            }
            value.insert(0, width - std::min(width, value.size()), ' ');
        } else if (f.type == 'N' || f.type == 'F') {
            value.insert(0, width - std::min(width, value.size()), ' ');
        }
        value.resize(width, ' ');
        bytes += value;
    }
    m_records.emplace_back(deleted ? '*' : ' ', bytes);
    return *this;
}

DbfBuilder& DbfBuilder::rawRecord(const std::string& bytes, std::uint8_t flag) {
    m_records.emplace_back(flag, bytes);
    return *this;
}

DbfBuilder& DbfBuilder::memoStyle(MemoStyle style, std::uint16_t blockSize) {
    m_memoStyle = style;
    m_blockSize = blockSize;
    return *this;
}

DbfBuilder& DbfBuilder::declaredCount(std::uint32_t count) {
    m_declaredCount = count;
    return *this;
}

DbfBuilder& DbfBuilder::terminator(std::uint8_t byte) {
    m_terminator = byte;
    return *this;
}

DbfBuilder& DbfBuilder::headerPadding(int bytes) {
    m_headerPadding = bytes;
    return *this;
}

DbfBuilder& DbfBuilder::recordSlack(int bytes) {
    m_recordSlack = bytes;
    return *this;
}

DbfBuilder& DbfBuilder::endMark(bool present) {
    m_endMark = present;
    return *this;
}

DbfBuilder& DbfBuilder::headerByte(std::size_t offset, std::uint8_t value) {
    m_headerBytes.emplace_back(offset, value);
    return *this;
}

int DbfBuilder::recordLength() const {
    int length = 1 + m_recordSlack;
    for (const Field& f : m_fields) length += f.length;
    return length;
}

bool DbfBuilder::hasMemo() const {
    return std::any_of(m_fields.begin(), m_fields.end(),
                       [this](const Field& f) { return memoField(f.type); });
}

Bytes DbfBuilder::dbaseIIHeader() const {
    Bytes out(521, 0);
    out[0] = m_version;
    put16(out, 1, m_declaredCount.value_or(static_cast<std::uint32_t>(m_records.size())));
    out[3] = 5;  // 1984-05-17, month first
    out[4] = 17;
    out[5] = 84;
    put16(out, 6, static_cast<std::uint32_t>(recordLength()));
    std::uint32_t address = 0x70B9;  // in memory, as dBASE II left it
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const Field& f = m_fields[i];
        std::size_t at = 8 + 16 * i;
        std::copy_n(f.name.begin(), std::min<std::size_t>(f.name.size(), 10),
                    out.begin() + static_cast<std::ptrdiff_t>(at));
        out[at + 11] = static_cast<std::uint8_t>(f.type);
        out[at + 12] = static_cast<std::uint8_t>(f.length);
        put16(out, at + 13, address);
        out[at + 15] = static_cast<std::uint8_t>(f.decimals);
        address += static_cast<std::uint32_t>(f.length);
    }
    out[8 + 16 * m_fields.size()] = m_terminator;
    for (const auto& [offset, value] : m_headerBytes) out[offset] = value;
    return out;
}

Bytes DbfBuilder::dbf() const {
    Bytes out;
    if (dbaseII()) {
        out = dbaseIIHeader();
    } else {
        const std::size_t start = dbase7() ? 68 : 32;
        const std::size_t size = dbase7() ? 48 : 32;
        const std::size_t terminatorAt = start + size * m_fields.size();
        // A negative padding leaves the terminator (and more) out of the header.
        const auto headerLength = static_cast<std::size_t>(
            static_cast<long>(terminatorAt + 1 + m_properties.size()) + m_headerPadding);
        out.assign(std::max(headerLength, terminatorAt + 1 + m_properties.size()), 0);
        out[0] = m_version;
        out[1] = 124;  // 2024
        out[2] = 5;
        out[3] = 17;
        put32(out, 4, m_declaredCount.value_or(static_cast<std::uint32_t>(m_records.size())));
        put16(out, 8, static_cast<std::uint32_t>(headerLength));
        put16(out, 10, static_cast<std::uint32_t>(recordLength()));
        out[29] = dbase7() ? 0 : m_languageDriver;
        if (dbase7()) {
            std::copy_n(m_driverName.begin(), std::min<std::size_t>(m_driverName.size(), 32),
                        out.begin() + 32);
        }
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const Field& f = m_fields[i];
            const std::size_t at = start + size * i;
            const std::size_t nameSize = dbase7() ? 32 : 11;
            const std::size_t typeAt = dbase7() ? 32 : 11;
            std::copy_n(f.name.begin(), std::min(f.name.size(), nameSize),
                        out.begin() + static_cast<std::ptrdiff_t>(at));
            out[at + typeAt] = static_cast<std::uint8_t>(f.type);
            out[at + (dbase7() ? 33 : 16)] = static_cast<std::uint8_t>(f.length & 0xFF);
            out[at + (dbase7() ? 34 : 17)] = static_cast<std::uint8_t>(f.decimals);
            if (dbase7()) put32(out, at + 42, f.counter);
        }
        out[terminatorAt] = m_terminator;
        std::copy(m_properties.begin(), m_properties.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(terminatorAt + 1));
        for (const auto& [offset, value] : m_headerBytes) out[offset] = value;
        out.resize(headerLength);
    }
    const auto length = static_cast<std::size_t>(recordLength());
    for (const auto& [flag, bytes] : m_records) {
        std::string body = bytes;
        body.resize(length - 1, ' ');
        out.push_back(flag);
        out.insert(out.end(), body.begin(), body.end());
    }
    if (m_endMark) out.push_back(0x1A);
    return out;
}

Bytes DbfBuilder::dbt() const {
    if (!hasMemo()) return {};
    const std::size_t blockSize = memoBlockSize();
    Bytes out(ivMemo() ? blockSize : 512, 0);
    put32(out, 0, static_cast<std::uint32_t>(1 + m_memo.size() / blockSize));
    if (ivMemo()) {
        out[18] = 0x02;
        out[19] = 0x01;
        put16(out, 20, static_cast<std::uint32_t>(blockSize));
    }
    out.insert(out.end(), m_memo.begin(), m_memo.end());
    return out;
}

std::filesystem::path DbfBuilder::write(const std::filesystem::path& folder,
                                        const std::string& name) const {
    std::filesystem::path path = folder / (name + ".dbf");
    writeFileBytes(path, dbf());
    if (hasMemo()) writeFileBytes(folder / (name + ".dbt"), dbt());
    return path;
}

Bytes dbase7Properties(const std::vector<std::pair<int, int>>& standard, int rules) {
    Bytes area(512, 0);
    auto put16 = [&](std::size_t at, std::size_t value) {
        area[at] = static_cast<std::uint8_t>(value);
        area[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    const std::size_t rulesAt = 16 + 15 * standard.size();
    put16(0, standard.size());
    put16(2, 16);
    put16(6, rulesAt);
    put16(8, static_cast<std::size_t>(rules));
    put16(10, rulesAt);
    put16(12, rulesAt + 22 * static_cast<std::size_t>(rules));
    for (std::size_t i = 0; i < standard.size(); ++i) {
        put16(16 + 15 * i + 2, static_cast<std::size_t>(standard[i].first));
        area[16 + 15 * i + 4] = static_cast<std::uint8_t>(standard[i].second);
        area[16 + 15 * i + 6] = 0x02;
    }
    area[511] = 0x1A;
    return area;
}

Bytes readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void truncateFile(const std::filesystem::path& path, std::uintmax_t size) {
    std::filesystem::resize_file(path, size);
}

}  // namespace testsupport
