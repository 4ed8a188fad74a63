// Mending what a check of a table found and repair can mend (TableCheck.h): in place where one
// small write does it, otherwise by writing the table anew beside the old one, which is kept as
// a backup (TableReplacement.h).
#pragma once

#include "engine/Progress.h"
#include "engine/TableRepair.h"
#include "engine/dbf/File.h"
#include "engine/dbf/TableReplacement.h"

#include <string>
#include <vector>

namespace engine::dbf {

struct MendOutcome {
    std::vector<TableProblem> mended;  // what was changed
    bool rewritten = false;            // written anew; false: mended in place (or untouched)
    TableReplacement::Backups backups;
};

// Checks the table at path and mends what can be mended, as repairTable (engine/TableRepair.h)
// describes; the check runs under a lock over the whole table file that keeps every writer out.
MendOutcome mendTable(const std::string& path, const FileSystem& files, const Progress& progress);

}  // namespace engine::dbf
