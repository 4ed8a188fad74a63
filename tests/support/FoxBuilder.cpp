#include "tests/support/FoxBuilder.h"

#include "base/Endian.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/MemoryFile.h"

#include <algorithm>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr std::size_t kFptHeader = 512;
constexpr std::size_t kBlockSize = 64;

}  // namespace

FoxBuilder::FoxBuilder(std::uint8_t version) : m_version(version) {}

FoxBuilder& FoxBuilder::field(const std::string& name, char type, int length, int decimals,
                              std::uint8_t flags, std::uint32_t next, std::uint8_t step) {
    m_fields.push_back({name, type, length, decimals, flags, next, step});
    return *this;
}

FoxBuilder& FoxBuilder::backlink(const std::string& path) {
    m_backlink = path;
    return *this;
}

FoxBuilder& FoxBuilder::headerByte(std::size_t offset, std::uint8_t value) {
    m_headerBytes.emplace_back(offset, value);
    return *this;
}

std::vector<FoxBuilder::Field> FoxBuilder::allFields() const {
    std::vector<Field> fields = m_fields;
    int bits = 0;
    for (const Field& f : m_fields) {
        bits += (f.flags & 0x02) != 0 ? 1 : 0;
        bits += f.type == 'V' || f.type == 'Q' ? 1 : 0;
    }
    if (bits > 0) fields.push_back({"_NullFlags", '0', (bits + 7) / 8, 0, 0x05, 0, 0});
    return fields;
}

FoxBuilder& FoxBuilder::record(const std::vector<std::string>& cells, std::uint32_t nullFlags,
                               bool deleted) {
    if (cells.size() != m_fields.size()) throw std::logic_error("one cell per field");
    std::string bytes(1, deleted ? '*' : ' ');
    const std::vector<Field> fields = allFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto width = static_cast<std::size_t>(fields[i].length);
        std::string cell;
        if (i < cells.size()) {
            cell = cells[i];
            cell.resize(width, ' ');
        } else {
            for (std::size_t b = 0; b < width; ++b) {
                cell.push_back(static_cast<char>((nullFlags >> (8 * b)) & 0xFF));
            }
        }
        bytes += cell;
    }
    m_records.emplace_back(bytes, nullFlags);
    return *this;
}

std::string FoxBuilder::memo(const std::string& data, int width, std::uint32_t type) {
    const std::size_t block = (kFptHeader + m_memo.size()) / kBlockSize;
    Bytes header(8);
    base::storeBig(header.data(), type);
    base::storeBig(header.data() + 4, static_cast<std::uint32_t>(data.size()));
    m_memo.insert(m_memo.end(), header.begin(), header.end());
    m_memo.insert(m_memo.end(), data.begin(), data.end());
    m_memo.resize((m_memo.size() + kBlockSize - 1) / kBlockSize * kBlockSize, 0);
    if (width == 4) return le32(static_cast<std::int32_t>(block));
    std::string digits = std::to_string(block);
    return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

Bytes FoxBuilder::dbf() const {
    const std::vector<Field> fields = allFields();
    const std::size_t terminator = 32 + 32 * fields.size();
    const std::size_t headerLength = terminator + 1 + (visual() ? 263 : 0);
    int recordLength = 1;
    for (const Field& f : fields) recordLength += f.length;
    Bytes out(headerLength, 0);
    out[0] = m_version;
    out[1] = 24;  // 2024, as FoxPro writes the year
    out[2] = 5;
    out[3] = 17;
    base::storeLittle(out.data() + 4, static_cast<std::uint32_t>(m_records.size()));
    base::storeLittle(out.data() + 8, static_cast<std::uint16_t>(headerLength));
    base::storeLittle(out.data() + 10, static_cast<std::uint16_t>(recordLength));
    out[28] = hasMemo() ? 0x02 : 0x00;
    out[29] = 0x03;
    std::uint32_t offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        std::uint8_t* d = out.data() + 32 + 32 * i;
        std::copy_n(f.name.begin(), std::min<std::size_t>(f.name.size(), 10), d);
        d[11] = static_cast<std::uint8_t>(f.type);
        base::storeLittle(d + 12, offset);
        d[16] = static_cast<std::uint8_t>(f.length);
        d[17] = static_cast<std::uint8_t>(f.decimals);
        if (visual()) {
            d[18] = f.flags;
            base::storeLittle(d + 19, f.next);
            d[23] = f.step;
        }
        offset += static_cast<std::uint32_t>(f.length);
    }
    out[terminator] = 0x0D;
    std::copy(m_backlink.begin(), m_backlink.end(),
              out.begin() + static_cast<long>(terminator + 1));
    for (const auto& [at, value] : m_headerBytes) out[at] = value;
    for (const auto& record : m_records) {
        out.insert(out.end(), record.first.begin(), record.first.end());
    }
    out.push_back(0x1A);
    return out;
}

Bytes FoxBuilder::fpt() const {
    if (!hasMemo()) return {};
    Bytes out(kFptHeader, 0);
    base::storeBig(out.data(),
                   static_cast<std::uint32_t>((kFptHeader + m_memo.size()) / kBlockSize));
    base::storeBig(out.data() + 6, static_cast<std::uint16_t>(kBlockSize));
    out.insert(out.end(), m_memo.begin(), m_memo.end());
    return out;
}

std::filesystem::path FoxBuilder::write(const std::filesystem::path& folder,
                                        const std::string& name) const {
    std::filesystem::path path = folder / (name + ".dbf");
    writeFileBytes(path, dbf());
    if (hasMemo()) writeFileBytes(folder / (name + ".fpt"), fpt());
    return path;
}

std::string FoxBuilder::put(MemoryFileSystem& files, const std::string& base) const {
    files.put(base + ".dbf", dbf());
    if (hasMemo()) files.put(base + ".fpt", fpt());
    return base + ".dbf";
}

std::string FoxBuilder::le32(std::int32_t value) {
    std::string out(4, '\0');
    base::storeLittle(reinterpret_cast<std::uint8_t*>(out.data()), value);
    return out;
}

std::string FoxBuilder::le64(std::int64_t value) {
    std::string out(8, '\0');
    base::storeLittle(reinterpret_cast<std::uint8_t*>(out.data()), value);
    return out;
}

std::string FoxBuilder::dateTime(std::int32_t julianDay, std::int32_t milliseconds) {
    return le32(julianDay) + le32(milliseconds);
}

}  // namespace testsupport
