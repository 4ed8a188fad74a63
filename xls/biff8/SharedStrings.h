// The shared string table of the writer: unique cell strings, laid out as SST and CONTINUE
// records, followed by EXTSST.
#pragma once

#include "xls/biff8/RecordWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls::biff8 {

// Strings are added once each; the caller finds repeats (it knows the cell text best) and counts
// them with reuse().
class SharedStrings {
public:
    // Adds a new unique string, counts one cell using it, and returns its index.
    std::uint32_t add(std::u16string_view text);
    // Counts one more cell using a string added before.
    void reuse() { ++m_total; }

    std::uint32_t uniqueCount() const { return static_cast<std::uint32_t>(m_strings.size()); }
    std::uint32_t totalCount() const { return m_total; }

    // Appends SST and its CONTINUE records, then EXTSST, to the workbook stream (positions in
    // EXTSST are positions in out). Splitting rules:
    //   - a string starts only where its header (count, flags) and its first character fit;
    //   - characters never split: not a UTF-16 unit, not a surrogate pair;
    //   - each continuation of a string's characters starts with a new flags byte;
    //   - a string that would cross two or more record boundaries starts a fresh CONTINUE when
    //     that makes it cross only one (some readers finish a string in the next record only).
    void appendRecords(Bytes& out) const;

    // Strings per EXTSST bucket for the given number of unique strings.
    static std::uint16_t bucketSize(std::size_t uniqueCount);

private:
    std::vector<std::u16string> m_strings;
    std::uint32_t m_total = 0;
};

}  // namespace xls::biff8
