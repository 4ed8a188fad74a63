// Writing a new, empty dBASE table (and its empty memo file) in one step: both files appear
// whole or not at all, and an existing file is never replaced.
#pragma once

#include "engine/dbf/DbfFormat.h"

#include <string>
#include <vector>

namespace engine::dbf {

struct NewField {
    std::string name;  // 1..10 ASCII characters, stored as given (callers uppercase it)
    char type = 'C';
    int length = 0;
    int decimals = 0;
};

struct NewTable {
    std::string folder;
    std::string dbfName;                  // file names inside folder
    std::string dbtName;                  // used when there are memo fields
    MemoStyle memoStyle = MemoStyle::IV;  // III: 0x83 and III memo file; IV: 0x8B, IV memo file
    std::vector<NewField> fields;
};

// Writes the table: version 0x03 (0x83 or 0x8B with memo fields), today's date, no records,
// language driver 0x03 (code page 1252), then the end mark; with memo fields a memo file of one
// header block. Both files are written under temporary names in the folder and renamed into
// place without replacing anything (nameless until then where the file system allows, see
// base/TemporaryFile.h). Throws EngineError, leaving nothing behind, when a file of
// either name exists or on any I/O failure.
void createTable(const NewTable& table);

// The bytes of the new table file and memo file (the memo empty without memo fields).
std::vector<std::uint8_t> newTableBytes(const NewTable& table);
std::vector<std::uint8_t> newMemoBytes(const NewTable& table);

}  // namespace engine::dbf
