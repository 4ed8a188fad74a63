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
    std::string where;  // "header", "record 17, field NOTES", "memo file header"
    std::string what;   // what is wrong: "the header counts 10 records, the file holds 12"
    std::string mend;   // what repair does about it ("raise the count to 12"); "" when it cannot
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

// "people.dbf, record 17, field NOTES: the memo pointer names block 900, past the end of the
// memo file (repair clears it)": one problem as check lists it.
std::string problemLine(const TableCheckReport& report, const TableProblem& problem);

}  // namespace engine
