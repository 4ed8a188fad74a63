// Pack: a table's deleted records removed for good, and its memo file compacted.
#pragma once

#include "engine/Progress.h"

#include <cstdint>
#include <string>

namespace engine {

namespace dbf {
class FileSystem;
struct OpenedTable;
}  // namespace dbf

struct PackResult {
    std::uint32_t kept = 0;     // live records, now the table's records
    std::uint32_t removed = 0;  // deleted records dropped
    std::string tableBackup;    // where the old files are now
    std::string memoBackup;     // "" without a memo file
};

// Rewrites the dBASE table at tablePath without its deleted records, through a table
// replacement (engine/dbf/TableReplacement.h: new files beside the old ones, put in place only
// when complete, the old ones kept as numbered backups). The header is kept byte for byte but
// for the record count and the date of the last update (field descriptors, autoincrement
// counters, a database backlink, dBASE 7's field properties); records are copied byte for byte
// (null flags too) but for memo pointers: only the memos of live records go to the new memo file,
// one after another, in the format and block size of the old. progress hears of every record
// read; a false answer stops the pack with nothing changed.
//
// Throws EngineError "Cannot pack NAME: why." with the table unchanged: a table that opens
// read-only (its reason), one held open for writing by another program, records past the
// header's count, a live record whose memo cannot be read whole (record and field named), an
// I/O failure, a cancel.
// Whether the table's file holds whole records after the last one its header counts (an
// interrupted append), which a tool that writes the counted records anew would lose.
bool holdsRecordsPastTheCount(const dbf::OpenedTable& table);

PackResult packTable(const std::string& tablePath, const dbf::FileSystem* files = nullptr,
                     const Progress& progress = {});

}  // namespace engine
