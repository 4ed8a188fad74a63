// quillon-cli pack: a table's deleted records removed for good, its memo file compacted.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "engine/TablePack.h"

#include <filesystem>
#include <iostream>

namespace cli {

int runPack(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {});
    if (parsed.positional.size() != 1) throw UsageError("pack takes one TABLE");
    const std::string& path = parsed.positional[0];
    if (std::filesystem::path(path).filename().empty()) {
        throw UsageError("no table file named in \"" + path + "\"");
    }
    const engine::PackResult result = engine::packTable(path);
    std::string backups = base::shownText(result.tableBackup);
    if (!result.memoBackup.empty()) backups += " and " + base::shownText(result.memoBackup);
    std::cout << "Packed " << base::shownText(path) << ": " << result.kept
              << (result.kept == 1 ? " record" : " records") << " kept, " << result.removed
              << " removed. The old files are now " << backups << ".\n";
    return 0;
}

}  // namespace cli
