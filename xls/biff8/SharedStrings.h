// The shared string table of the writer: the texts that cells show, laid out as SST and CONTINUE
// records, followed by EXTSST.
#pragma once

#include "xls/StringTable.h"
#include "xls/biff8/RecordWriter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xls::biff8 {

// Texts are taken from a StringTable by id. Cells are counted with use() in the order they are
// written; merge() then gives every distinct text one index, in order of first use, also where
// the table holds equal texts under several ids. The StringTable must outlive this and stay
// unchanged while it is used.
class SharedStrings {
public:
    explicit SharedStrings(const StringTable& texts);

    // Counts one cell showing the text `id`.
    void use(std::uint32_t id) {
        ++m_total;
        if (m_indexPlusOne[id] == 0) {
            m_indexPlusOne[id] = kUsed;
            m_order.push_back(id);
        }
    }
    // Gives the texts their indices; call once, after the last use().
    void merge();
    // The index of the text `id` (after merge()).
    std::uint32_t indexOf(std::uint32_t id) const { return m_indexPlusOne[id] - 1; }

    std::uint32_t uniqueCount() const { return static_cast<std::uint32_t>(m_unique.size()); }
    std::uint32_t totalCount() const { return m_total; }

    // Appends SST and its CONTINUE records, then EXTSST (whose positions are stream positions).
    // Texts whose characters all fit in one byte are stored so, the others as UTF-16. Splitting
    // rules:
    //   - a string starts only where its header (count, flags) and its first character fit;
    //   - characters never split: not a UTF-16 unit, not a surrogate pair;
    //   - each continuation of a string's characters starts with a new flags byte;
    //   - a string that would cross two or more record boundaries starts a fresh CONTINUE when
    //     that makes it cross only one (some readers finish a string in the next record only).
    // Into a buffer that only measures, one-byte texts are not read, only their lengths.
    void appendRecords(StreamBuffer& out) const;
    // The same, into a buffer that holds the whole stream.
    void appendRecords(Bytes& out) const;

    // Strings per EXTSST bucket for the given number of unique strings.
    static std::uint16_t bucketSize(std::size_t uniqueCount);

private:
    static constexpr std::uint32_t kUsed = 0xFFFFFFFF;  // used, index not given yet

    const StringTable* m_texts;
    std::vector<std::uint32_t> m_indexPlusOne;  // per text id: its index plus one; 0 unused
    std::vector<std::uint32_t> m_order;         // the ids used, in order of first use
    std::vector<std::uint32_t> m_unique;        // one id per distinct text, in index order
    std::uint32_t m_total = 0;
};

}  // namespace xls::biff8
