// Finding a table's damage (engine/TableRepair.h says what is looked for), and the changes that
// mend what can be mended, for the repair to make.
#pragma once

#include "engine/Progress.h"
#include "engine/TableRepair.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/File.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine::dbf {

// What repair changes. The table file: the header's count, record length and index flag, the
// bytes after the last record (cut, and one end mark written), and memo pointers blanked; the
// memo file: its header's next free block.
struct TableMends {
    struct Pointer {
        std::uint32_t record;  // physical, from 0
        std::uint16_t field;   // index into the header's fields
    };

    std::optional<std::uint32_t> count;
    std::optional<std::uint16_t> recordLength;
    bool clearIndexFlag = false;
    // The file does not end with one end mark right after its last record (after the mends
    // above): it is cut at endOfRecords, or extended there, and the mark written.
    bool rewriteEnd = false;
    std::uint64_t endOfRecords = 0;
    std::vector<Pointer> clearPointers;
    std::optional<std::uint32_t> memoNextFree;

    bool any() const {
        return count || recordLength || clearIndexFlag || rewriteEnd || !clearPointers.empty() ||
               memoNextFree;
    }
};

struct TableFindings {
    TableCheckReport report;
    TableMends mends;
    // The header as the mends leave it (the record length the fields need when that is mended),
    // for the repair to lay out records by; the memo file's path ("" without one).
    TableHeader header;
    std::string memoPath;
    // The records the table holds after the mends (the count they leave).
    std::uint32_t records = 0;
};

// Checks the table at path (see checkTable in engine/TableRepair.h, which this serves).
// tableLocked: the caller holds the table's whole-file lock (repair).
TableFindings findTableProblems(const std::string& path, const FileSystem& files,
                                const Progress& progress, bool tableLocked = false);

}  // namespace engine::dbf
