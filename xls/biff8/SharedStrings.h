// The shared string table of the writer: the texts that cells show, laid out as SST and CONTINUE
// records, followed by EXTSST.
#pragma once

#include "xls/StringTable.h"
#include "xls/biff8/RecordWriter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xls::biff8 {

// Texts are taken from a StringTable, which already holds each text once: the table's ids map to
// shared string indices without comparing any text again. The StringTable must outlive this and
// stay unchanged while it is used.
class SharedStrings {
public:
    explicit SharedStrings(const StringTable& texts);

    // Counts one cell showing the text `id` and returns the text's index in the shared string
    // table; the first use of a text gives it the next index.
    std::uint32_t use(std::uint32_t id) {
        std::uint32_t& index = m_indexPlusOne[id];
        ++m_total;
        if (index == 0) {
            m_order.push_back(id);
            index = static_cast<std::uint32_t>(m_order.size());
        }
        return index - 1;
    }

    // The index that use() gave the text `id`.
    std::uint32_t indexOf(std::uint32_t id) const { return m_indexPlusOne[id] - 1; }

    std::uint32_t uniqueCount() const { return static_cast<std::uint32_t>(m_order.size()); }
    std::uint32_t totalCount() const { return m_total; }

    // Appends SST and its CONTINUE records, then EXTSST (whose positions are stream positions).
    // Texts whose characters all fit in one byte are stored so, the others as UTF-16. Splitting
    // rules:
    //   - a string starts only where its header (count, flags) and its first character fit;
    //   - characters never split: not a UTF-16 unit, not a surrogate pair;
    //   - each continuation of a string's characters starts with a new flags byte;
    //   - a string that would cross two or more record boundaries starts a fresh CONTINUE when
    //     that makes it cross only one (some readers finish a string in the next record only).
    void appendRecords(StreamBuffer& out) const;
    // The same, into a buffer that holds the whole stream.
    void appendRecords(Bytes& out) const;

    // Strings per EXTSST bucket for the given number of unique strings.
    static std::uint16_t bucketSize(std::size_t uniqueCount);

private:
    const StringTable* m_texts;
    std::vector<std::uint32_t> m_indexPlusOne;  // per text id: its index plus one, 0 when unused
    std::vector<std::uint32_t> m_order;         // text ids in index order
    std::uint32_t m_total = 0;
};

}  // namespace xls::biff8
