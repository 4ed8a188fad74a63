// quillon-cli repair: mends what check finds and can be mended safely, and says what it changed.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "engine/TableRepair.h"

#include <iostream>

namespace cli {

int runRepair(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {});
    if (parsed.positional.size() != 1) throw UsageError("repair takes one TABLE");
    const engine::TableRepairReport report = engine::repairTable(parsed.positional[0]);
    using base::shownText;
    std::string out;
    for (const engine::TableProblem& problem : report.mended) {
        out += "mended: " + shownText(report.mendedLine(problem)) + "\n";
    }
    if (report.mended.empty()) out += shownText(report.table) + ": nothing to mend.\n";
    if (report.rewritten) {
        out += "The table was written anew; the old files are kept as " +
               shownText(report.tableBackup) +
               (report.memoBackup.empty() ? "" : " and " + shownText(report.memoBackup)) + ".\n";
    } else if (!report.mended.empty()) {
        out += "The table was mended in place.\n";
    }
    for (const engine::TableProblem& problem : report.after.problems) {
        out += "left: " + shownText(engine::problemLine(report.after, problem)) + "\n";
    }
    std::cout << out << std::flush;
    return report.after.sound() ? 0 : 3;
}

}  // namespace cli
