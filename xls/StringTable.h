// The texts of a workbook; cells refer to a text by its id.
#pragma once

#include "xls/WorkbookData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace xls {

// Texts are UTF-8, checked when they are added: valid UTF-8 of at most kMaxCellTextUnits UTF-16
// code units, as a cell can hold, unless the caller allows more. With each text the table notes
// what the writer needs to store it in the shared string table: its length in UTF-16 units,
// whether every character fits in one byte, and its hash. Ids are dense, from 0 in order of
// addition. A text stays in the table for the table's life, also when no cell shows it any more.
//
// Equal texts may have several ids. A text added while an equal one is among the last few
// thousand distinct texts added gets that one's id, so a column of repeated values costs little
// memory; any other text is stored again. The writer merges equal texts exactly (SharedStrings),
// where it can do so without reaching into memory at random for every text.
//
// Memory: the characters are kept in 1 MB blocks that never move (a text's view stays valid),
// plus 20 bytes per id and a 32 KB cache of the recent texts.
class StringTable {
public:
    enum class Refusal { None, NotUtf8, TooLong };

    // The longest text the table can hold, in UTF-16 units: what a 16-bit count can say.
    static constexpr std::size_t kMaxStoredUnits = 0xFFFF;

    struct Added {
        std::uint32_t id = 0;
        Refusal refusal = Refusal::None;
        std::size_t units = 0;  // TooLong: the text's length in UTF-16 units
    };

    StringTable();
    ~StringTable();
    StringTable(StringTable&&) noexcept;
    StringTable& operator=(StringTable&&) noexcept;
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // The id of text, adding it unless an equal text was added recently. A text that is not
    // valid UTF-8, or longer than maxUnits UTF-16 units, is refused: nothing is added and refusal
    // says why. A longer limit (up to kMaxStoredUnits) serves texts read from a file, which the
    // writer then refuses to write.
    Added add(std::string_view utf8, std::size_t maxUnits = kMaxCellTextUnits);
    // A hint from a caller about to add many texts: room for count ids in all.
    void reserve(std::size_t count);

    std::size_t size() const { return m_entries.size(); }
    // The text of an id below size(); the view stays valid for the table's life.
    std::string_view text(std::uint32_t id) const {
        const Entry& entry = m_entries[id];
        return {entry.data, entry.size};
    }
    // Its length in UTF-16 code units.
    std::size_t units(std::uint32_t id) const { return m_entries[id].units; }
    // True when every character is below U+0100, so the text can be stored one byte a character.
    bool singleByte(std::uint32_t id) const { return (m_entries[id].flags & kSingleByte) != 0; }
    // True when the text is plain ASCII: its UTF-8 bytes are then its one-byte form.
    bool ascii(std::uint32_t id) const { return (m_entries[id].flags & kAscii) != 0; }
    // A hash of the text's bytes: equal texts have equal hashes.
    std::uint32_t hash(std::uint32_t id) const { return m_hashes[id]; }

private:
    static constexpr std::uint8_t kSingleByte = 1;
    static constexpr std::uint8_t kAscii = 2;

    struct Entry {
        const char* data;
        std::uint32_t size;
        std::uint16_t units;
        std::uint8_t flags;
    };
    // The recent texts, one per slot chosen by hash: small enough to stay in the processor's
    // cache, which a full index of a large table would not.
    struct Recent {
        std::uint32_t idPlusOne = 0;  // 0: none
        std::uint32_t hash = 0;
    };
    static constexpr std::size_t kRecentSlots = 4096;

    const char* store(std::string_view utf8);

    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_hashes;  // per id
    std::unique_ptr<std::array<Recent, kRecentSlots>> m_recent;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;  // the unused end of the current block
    std::size_t m_freeSize = 0;
};

}  // namespace xls
