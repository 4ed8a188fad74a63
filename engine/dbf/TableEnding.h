// Where a table's records end: the count its header states, the file's size and the bytes after
// the counted records, read so that an append in progress is not taken for a table cut short or
// for a stray record after the last.
#pragma once

#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/File.h"

#include <cstdint>
#include <vector>

namespace engine::dbf {

struct TableEnding {
    std::uint32_t declared = 0;
    std::uint64_t fileSize = 0;
    std::vector<std::uint8_t> tail;  // the bytes after the counted records (at most 64 KiB)

    // The counted records are in the file, and after them come only end-of-file marks.
    bool agrees(const TableHeader& header) const;
};

// An append writes its record, then raises the header's count, under the header's lock: a count
// and a size read between the two disagree. Read with the header's count and fileSize as read
// while the table was opened; when they disagree, they are read again once the lock is free
// (a shared lock keeping the next append out meanwhile; waiting about half a second at most).
// Without waitForAppend the first reading stands.
TableEnding readTableEnding(File& file, const TableHeader& header, std::uint64_t fileSize,
                            bool waitForAppend);

}  // namespace engine::dbf
