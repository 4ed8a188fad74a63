// The texts of a workbook, each kept once; cells refer to a text by its id.
#pragma once

#include "xls/WorkbookData.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace xls {

// Texts are UTF-8, checked when they are added: valid UTF-8 of at most kMaxCellTextUnits UTF-16
// code units, as a cell can hold, unless the caller allows more. With each text the table notes
// what the writer needs to store it in the shared string table: its length in UTF-16 units and
// whether every character fits in one byte. Ids are dense, from 0 in order of addition. A text
// stays in the table for the table's life, also when no cell shows it any more; the writer stores
// only the texts cells show.
//
// Memory: the characters are kept in large blocks that never move (a text's view stays valid),
// plus 16 bytes per text and a hash index of 11 to 21 bytes per text. Adding a text that is
// already there allocates nothing.
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

    // The id of text, adding it when it is new. A text that is not valid UTF-8, or longer than
    // maxUnits UTF-16 units, is refused: nothing is added and refusal says why. A longer limit
    // (up to kMaxStoredUnits) serves texts read from a file, which the writer then refuses to
    // write.
    Added add(std::string_view utf8, std::size_t maxUnits = kMaxCellTextUnits);

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

private:
    static constexpr std::uint8_t kSingleByte = 1;
    static constexpr std::uint8_t kAscii = 2;

    struct Entry {
        const char* data;
        std::uint32_t size;
        std::uint16_t units;
        std::uint8_t flags;
    };
    // A slot of the open-addressing index: the id plus one (0: free) and the text's hash, so that
    // most mismatches are told apart without looking at the text.
    struct Slot {
        std::uint32_t idPlusOne;
        std::uint32_t hash;
    };

    const char* store(std::string_view utf8);
    void growIndex();

    std::vector<Entry> m_entries;
    std::vector<Slot> m_slots;  // a power of two in size, at most three quarters full
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;  // the unused end of the last block
    std::size_t m_freeSize = 0;
};

}  // namespace xls
