// Opening a table: its file, header, code page, fields, record count and memo file, and the
// reasons it can only be read. What DbfTable is assembled from.
#pragma once

#include "engine/FieldInfo.h"
#include "engine/dbf/CodePage.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/File.h"
#include "engine/dbf/MemoStore.h"
#include "engine/dbf/TableWarnings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine::dbf {

struct DbfOpenOptions {
    // False opens the table read-only: nothing is written and no lock is held.
    bool writable = true;
    // Overrides the table's code page ("" = the table's own); see codePageFromUserName.
    std::string encoding;
    // Where the table's files are; null: on disk.
    const FileSystem* fileSystem = nullptr;
    // False when the caller itself holds the table's lock (a tool that checks the table it is
    // about to change): no append can be under way then, and a wait would only wait on itself.
    bool waitOutAppend = true;
};

struct OpenedTable {
    std::string path;
    std::string name;  // the file name without its folder, for messages
    std::unique_ptr<File> file;
    TableHeader header;
    CodePage codePage;
    std::string codePageSource;  // "from the .cpg file", for the table-information command
    std::shared_ptr<const TextCodec> codec;
    std::vector<FieldInfo> fields;
    std::uint32_t count = 0;  // records shown: the header's count, or what the file holds
    bool writable = false;
    std::string readOnlyReason;
    // The first reason that is the table's own (a read-only version, an unfinished transaction,
    // an index this program does not keep, ...), which the tools that change a table refuse as
    // well; empty when it has none (damage, a code page or the file's access are not its own).
    std::string ownReadOnlyReason;
    std::unique_ptr<MemoStore> memo;  // null without memo fields or when it cannot be read
    // The name of an index file beside the table (.cdx, else .mdx), or "".
    std::string indexFile;
    // Visual FoxPro: the database container the table belongs to, in UTF-8 ("" for a free table).
    std::string backlink;
    TableWarnings warnings;
};

// Opens the table file at path (finishing first a replacement of it that a killed process left
// half done; see TableReplacement.h). Opened for writing, the file holds a shared lock on
// kOpenLockOffset while it is open. Throws EngineError for a file that is missing, unreadable or
// refused (see parseHeader). An append in progress is waited out (see TableEnding.h). A table that
// can be read but not safely written (missing memo file, truncated file, production or structural
// index, incomplete transaction, write-protected file, a code page without converter, a read-only
// version, a FoxPro table with fields of unknown types or one that belongs to a database container)
// opens read-only with a warning saying why.
OpenedTable openTable(const std::string& path, const DbfOpenOptions& options);

}  // namespace engine::dbf
