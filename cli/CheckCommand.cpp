// quillon-cli check: the problems of a dBASE table, one a line, for people and scripts.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "engine/TableRepair.h"

#include <iostream>

namespace cli {

int runCheck(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {});
    if (parsed.positional.size() != 1) throw UsageError("check takes one TABLE");
    const engine::TableCheckReport report = engine::checkTable(parsed.positional[0]);
    std::string out;
    for (const engine::TableProblem& problem : report.problems) {
        out += base::shownText(engine::problemLine(report, problem)) + "\n";
    }
    std::cout << out << std::flush;
    if (report.sound()) {
        std::cerr << base::shownText(report.table) << ": no problems found.\n";
        return 0;
    }
    if (!report.repairRefused.empty() && report.anyMendable()) {
        std::cerr << "Repair leaves this table alone: " << base::shownText(report.repairRefused)
                  << ".\n";
    }
    return 3;
}

}  // namespace cli
