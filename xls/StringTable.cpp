#include "xls/StringTable.h"

#include "xls/WorkbookData.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace xls {

namespace {

// Texts are stored in blocks of this size, which holds the longest text the table takes: at
// most three UTF-8 bytes per UTF-16 unit.
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
static_assert(kBlockSize >= 3 * StringTable::kMaxStoredUnits);

struct Scan {
    bool valid = true;
    bool ascii = true;
    bool singleByte = true;
    std::size_t units = 0;
};

// Checks UTF-8 and measures it in one pass; plain ASCII goes eight bytes at a time.
Scan scan(std::string_view utf8) {
    Scan result;
    std::size_t i = 0;
    while (i < utf8.size()) {
        if (i + 8 <= utf8.size()) {
            std::uint64_t word;
            std::memcpy(&word, utf8.data() + i, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                i += 8;
                result.units += 8;
                continue;
            }
        }
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            ++result.units;
            ++i;
            continue;
        }
        result.ascii = false;
        std::size_t length;
        char32_t codePoint;
        char32_t smallest;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1Fu;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0Fu;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07u;
            smallest = 0x10000;
        } else {
            result.valid = false;
            return result;
        }
        if (i + length > utf8.size()) {
            result.valid = false;
            return result;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                result.valid = false;
                return result;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            result.valid = false;
            return result;
        }
        if (codePoint > 0xFF) result.singleByte = false;
        result.units += codePoint >= 0x10000 ? 2 : 1;
        i += length;
    }
    return result;
}

std::uint32_t hashOf(std::string_view text) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
}

}  // namespace

StringTable::StringTable() = default;
StringTable::~StringTable() = default;
StringTable::StringTable(StringTable&&) noexcept = default;
StringTable& StringTable::operator=(StringTable&&) noexcept = default;

void StringTable::reserve(std::size_t count) {
    m_entries.reserve(count);
    m_hashes.reserve(count);
}

StringTable::Added StringTable::add(std::string_view utf8, std::size_t maxUnits) {
    if (!m_recent) m_recent = std::make_unique<std::array<Recent, kRecentSlots>>();
    const std::uint32_t hash = hashOf(utf8);
    Recent& recent = (*m_recent)[hash % kRecentSlots];
    if (recent.idPlusOne != 0 && recent.hash == hash && text(recent.idPlusOne - 1) == utf8) {
        return {recent.idPlusOne - 1};
    }

    Scan measured = scan(utf8);
    if (!measured.valid) return {0, Refusal::NotUtf8, 0};
    if (measured.units > std::min(maxUnits, kMaxStoredUnits)) {
        return {0, Refusal::TooLong, measured.units};
    }
    const auto id = static_cast<std::uint32_t>(m_entries.size());
    std::uint8_t flags = 0;
    if (measured.singleByte) flags |= kSingleByte;
    if (measured.ascii) flags |= kAscii;
    m_entries.push_back({store(utf8), static_cast<std::uint32_t>(utf8.size()),
                         static_cast<std::uint16_t>(measured.units), flags});
    m_hashes.push_back(hash);
    recent = {id + 1, hash};
    return {id};
}

const char* StringTable::store(std::string_view utf8) {
    if (utf8.empty()) return "";
    if (utf8.size() > m_freeSize) {
        // The rest of the current block stays unused; a block holds the longest text.
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
        m_free = m_blocks.back().get();
        m_freeSize = kBlockSize;
    }
    char* placed = m_free;
    std::memcpy(placed, utf8.data(), utf8.size());
    m_free += utf8.size();
    m_freeSize -= utf8.size();
    return placed;
}

}  // namespace xls
