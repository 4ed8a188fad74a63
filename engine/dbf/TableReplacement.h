// Rewriting a table whole (pack, a change of code page, a repair): the new table file and memo
// file are written beside the old ones and put in their place only once both are complete, the
// old ones kept as backups. A failure or a kill at any moment leaves the old table or the new one,
// each with its own memo file, never a mixture.
//
// The steps, and what a process killed at each leaves behind:
// 1. The constructor takes exclusive locks over the whole of the table file and the memo file,
//    which any lock of another open file keeps out: the engine holds a shared lock on a table for
//    as long as it has it open for writing (kOpenLockOffset), other programs lock records and the
//    header while they write. It removes what a killed replacement left over, then makes the new
//    files, empty, as ".NAME.new" beside the old ones (NAME: the old file's name).
// 2. The tool writes the new files (newTable, newMemo).
// 3. commit syncs each new file and renames it ".NAME.ready", the memo file's first, then syncs
//    the folder. Killed up to here: the old table stands untouched, and the next replacement of
//    the table removes the files left over.
// 4. The table file becomes its backup (backupPath). From here to step 6 there is no table file,
//    so no table ever points into the wrong memo file.
// 5. The memo file becomes its backup, under the same number; its ".ready" file takes its name.
// 6. The table's ".ready" file takes the table's name; the folder is synced.
// Killed between steps 4 and 6, the table file is missing and its ".ready" file is there: the
// next open of the table finishes steps 5 and 6 (finishInterruptedReplacement, which openTable
// calls) and opens the new table with its new memo file. A failure in steps 4 to 6 undoes the
// steps made, so that the old table stands again; should that fail too, the next open finishes
// the replacement instead.
#pragma once

#include "engine/dbf/File.h"

#include <memory>
#include <string>

namespace engine::dbf {

// The backups of a file: PATH.bak, then PATH.1.bak, PATH.2.bak, ... A replacement takes the first
// number that neither the table's backup nor the memo file's has yet, so that the two backups of
// one replacement share it and no backup is ever written over.
std::string backupPath(const std::string& path, int number);

class TableReplacement {
public:
    struct Backups {
        std::string table;
        std::string memo;  // "" without a memo file
    };

    // Starts replacing the table whose file is open as table (for reading and writing) and whose
    // memo file is memoPath ("" for none). Failures throw EngineError "Cannot ACTION NAME: why."
    // (action "pack"): another program has the table (or its memo file) open for writing, or a
    // file cannot be made.
    TableReplacement(const FileSystem& files, File& table, const std::string& memoPath,
                     const std::string& action);
    // Before commit, removes the new files and leaves the old table as it was.
    ~TableReplacement();
    TableReplacement(const TableReplacement&) = delete;
    TableReplacement& operator=(const TableReplacement&) = delete;

    File& newTable() { return *m_newTable; }
    // Null without a memo file.
    File* newMemo() { return m_newMemo.get(); }

    // Steps 3 to 6: puts the new files in place of the old ones and returns where the old ones
    // are now. Throws EngineError when a step fails, having undone the steps made (and saying so
    // when they could not all be undone).
    Backups commit();

private:
    // Steps 4 to 6.
    void replace(int number);
    void removeLeftovers() const;
    std::string failure(const std::string& why) const;

    const FileSystem& m_files;
    File& m_table;
    std::string m_action;
    std::string m_tablePath;
    std::string m_memoPath;
    std::unique_ptr<File> m_memo;  // the old memo file, held for its lock
    std::unique_ptr<File> m_newTable;
    std::unique_ptr<File> m_newMemo;
    bool m_done = false;
    // A failure half way that could not be undone: the ".ready" files stay for the next open.
    bool m_keepReady = false;
};

// Finishes a replacement of the table at tablePath that a killed process left between steps 4
// and 6: returns true when it found one (the table file missing, its ".ready" file there) and
// finished it. Throws EngineError when another process is in the middle of it, or when a step
// fails.
bool finishInterruptedReplacement(const FileSystem& files, const std::string& tablePath);

}  // namespace engine::dbf
