#include "engine/TableRepair.h"

#include "engine/dbf/File.h"
#include "engine/dbf/TableCheck.h"

#include <algorithm>

namespace engine {

bool TableCheckReport::anyMendable() const {
    return std::any_of(problems.begin(), problems.end(),
                       [](const TableProblem& problem) { return problem.mendable(); });
}

TableCheckReport checkTable(const std::string& path, const dbf::FileSystem* files,
                            const Progress& progress) {
    return dbf::findTableProblems(path, files != nullptr ? *files : dbf::diskFileSystem(), progress)
        .report;
}

std::string problemLine(const TableCheckReport& report, const TableProblem& problem) {
    std::string line = report.table + ", " + problem.where + ": " + problem.what;
    if (problem.mendable() && report.repairRefused.empty()) line += "; repair: " + problem.mend;
    return line;
}

}  // namespace engine
