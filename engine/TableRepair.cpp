#include "engine/TableRepair.h"

#include "engine/EngineError.h"
#include "engine/dbf/File.h"
#include "engine/dbf/TableCheck.h"
#include "engine/dbf/TableMend.h"

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

std::string TableRepairReport::mendedLine(const TableProblem& problem) const {
    return table + ", " + problem.where + ": " + problem.mended + " (" + problem.what + ")";
}

TableRepairReport repairTable(const std::string& path, const dbf::FileSystem* files,
                              const Progress& progress) {
    const dbf::FileSystem& folder = files != nullptr ? *files : dbf::diskFileSystem();
    dbf::MendOutcome outcome = dbf::mendTable(path, folder, progress);
    TableRepairReport report;
    report.mended = std::move(outcome.mended);
    report.rewritten = outcome.rewritten;
    report.tableBackup = outcome.backups.table;
    report.memoBackup = outcome.backups.memo;
    try {
        report.after = dbf::findTableProblems(path, folder, {}).report;
    } catch (const EngineError& failure) {
        throw EngineError(
            "The repair of " + path + " was made (" + std::to_string(report.mended.size()) +
            " problems mended), but checking it afterwards failed: " + failure.what());
    }
    report.table = report.after.table;
    return report;
}

}  // namespace engine
