// Checking a dBASE table for damage and mending what can be mended safely, shared by
// quillon-cli's check and repair and by the main window.
#pragma once

#include "engine/Progress.h"

#include <string>
#include <vector>

namespace engine {

namespace dbf {
class FileSystem;
}

// One problem a check found.
struct TableProblem {
    enum class Kind {
        Header,           // the header cannot be read as it stands
        RecordCount,      // the header's count disagrees with the records the file holds
        PartialRecord,    // the file ends inside a record
        EndMark,          // the end-of-file mark is missing or misplaced
        RecordLength,     // the header's record length disagrees with the fields
        FieldDescriptor,  // a field descriptor no reader takes as it stands
        MemoFile,         // the memo file is missing or cannot be read
        MemoPointer,      // a record points at memo blocks that do not exist
        MemoOverlap,      // two memos share blocks
        MemoNextFree,     // the memo header's next free block is wrong
        IndexFlag,        // the header names an index file that is missing
    };
    Kind kind = Kind::Header;
    std::string where;   // "header", "record 17, field NOTES", "memo file header"
    std::string what;    // what is wrong: "the header counts 10 records, the file holds 12"
    std::string mend;    // what repair does about it ("raise the count to 12"); "" when it cannot
    std::string mended;  // the same, done: "raised the count to 12"
    bool mendable() const { return !mend.empty(); }
};

struct TableCheckReport {
    std::string table;  // the table file's name, as the lines name it
    std::vector<TableProblem> problems;
    // Why repair leaves the table alone although it could mend problems (the table is read-only
    // for a reason of its own: "it is a dBASE II table"); empty otherwise, and then every
    // problem whose mend is given is mended by repair.
    std::string repairRefused;

    bool sound() const { return problems.empty(); }
    bool anyMendable() const;
};

// Checks the table file at path and its memo file without loading either whole: records are
// read in large blocks, and memo overlaps are found by sorting each memo's first block and
// length. files: where the files are (null: the disk). progress hears of the records read.
// Throws EngineError when the check cannot run: the file is missing or unreadable, or it is not
// a dBASE table at all (an unknown version byte, an encrypted table, a file too short).
TableCheckReport checkTable(const std::string& path, const dbf::FileSystem* files = nullptr,
                            const Progress& progress = {});

// "people.dbf, record 17, field NOTES: its memo pointer names block 900, past the end of the
// memo file (4 blocks); repair: clear the pointer": one problem as check lists it.
std::string problemLine(const TableCheckReport& report, const TableProblem& problem);

struct TableRepairReport {
    std::string table;                 // the table file's name
    std::vector<TableProblem> mended;  // what repair changed
    // The table was written anew, the old files kept under these names ("" for none); otherwise
    // it was mended in place by one small write (or not at all).
    bool rewritten = false;
    std::string tableBackup;
    std::string memoBackup;
    TableCheckReport after;  // the check of the table as repair left it

    // "people.dbf, header: raised the count to 12 (it counts 10 records, ...)".
    std::string mendedLine(const TableProblem& problem) const;
};

// Checks the table at path and mends what the check found and can be mended safely (the
// problems whose mend is given): the count, the end mark, the record length where the file fits
// the fields, dangling memo pointers (cleared), the memo header's next free block and a dangling
// index flag (cleared). One small write (the header's count, record length and index flag
// together, a missing end mark alone, or the memo header's next free block alone) is made in
// place; anything more writes the table anew beside the old one and replaces it only when
// complete, keeping the old files as numbered backups (see dbf/TableReplacement.h), so that a
// failure or a kill leaves the old table or the new one. Then checks the table again. Throws
// EngineError, having changed nothing, when the check cannot run, the table cannot be written,
// another program has it (or its memo file) open for writing, or it is read-only for a reason
// of its own (TableCheckReport::repairRefused) while there is something to mend; a failure of
// the check afterwards says that the repair was made.
TableRepairReport repairTable(const std::string& path, const dbf::FileSystem* files = nullptr,
                              const Progress& progress = {});

}  // namespace engine
