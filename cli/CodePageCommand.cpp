// quillon-cli codepage: a table marked as being in another code page, or its text converted.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "engine/TableCodePage.h"

#include <iostream>

namespace cli {

int runCodePage(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding"}, {"convert"});
    if (parsed.positional.size() != 2) throw UsageError("codepage takes a TABLE and a code page");
    const std::string& path = parsed.positional[0];
    const std::string& name = parsed.positional[1];
    using base::shownText;
    if (!parsed.has("convert")) {
        if (parsed.has("encoding")) throw UsageError("--encoding goes with --convert");
        const engine::CodePageResult result = engine::markCodePage(path, name);
        std::cout << "Marked " << shownText(path) << " as code page " << result.codePage << " ("
                  << shownText(result.marking) << "); no record was changed.\n";
        return 0;
    }
    const engine::CodePageResult result =
        engine::convertCodePage(path, parsed.option("encoding"), name);
    std::string backups = shownText(result.tableBackup);
    if (!result.memoBackup.empty()) backups += " and " + shownText(result.memoBackup);
    std::cout << "Converted " << shownText(path) << " to code page " << result.codePage << " ("
              << shownText(result.marking) << "): " << result.changedValues
              << (result.changedValues == 1 ? " value" : " values")
              << " re-encoded. The old files are now " << backups << ".\n";
    return 0;
}

}  // namespace cli
