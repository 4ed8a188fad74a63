#include "tests/support/DbfBuilder.h"

#include "base/Endian.h"

#include <algorithm>
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
        if (f.type == 'M' || f.type == 'B' || f.type == 'G') {
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
    return std::any_of(m_fields.begin(), m_fields.end(), [](const Field& f) {
        return f.type == 'M' || f.type == 'B' || f.type == 'G';
    });
}

Bytes DbfBuilder::dbf() const {
    // A negative padding leaves the terminator (and more) out of the header.
    const auto headerLength = static_cast<std::size_t>(
        static_cast<long>(32 + 32 * m_fields.size() + 1) + m_headerPadding);
    Bytes out(headerLength, 0);
    out[0] = m_version;
    out[1] = 124;  // 2024
    out[2] = 5;
    out[3] = 17;
    put32(out, 4, m_declaredCount.value_or(static_cast<std::uint32_t>(m_records.size())));
    put16(out, 8, static_cast<std::uint32_t>(headerLength));
    put16(out, 10, static_cast<std::uint32_t>(recordLength()));
    out[29] = m_languageDriver;
    out.resize(std::max(headerLength, 32 + 32 * m_fields.size() + 1), 0);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const Field& f = m_fields[i];
        std::size_t at = 32 + 32 * i;
        std::copy_n(f.name.begin(), std::min<std::size_t>(f.name.size(), 11),
                    out.begin() + static_cast<std::ptrdiff_t>(at));
        out[at + 11] = static_cast<std::uint8_t>(f.type);
        out[at + 16] = static_cast<std::uint8_t>(f.length & 0xFF);
        out[at + 17] = static_cast<std::uint8_t>(f.decimals);
    }
    if (32 + 32 * m_fields.size() < headerLength) out[32 + 32 * m_fields.size()] = m_terminator;
    for (const auto& [offset, value] : m_headerBytes) out[offset] = value;
    out.resize(headerLength);
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
