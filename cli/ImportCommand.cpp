// quillon-cli import: a CSV file's rows appended to a table, all of them or none.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/CsvImport.h"
#include "engine/DataControl.h"

#include <iostream>

namespace cli {

int runImport(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"});
    if (parsed.positional.size() != 2) throw UsageError("import takes a TABLE and a FILE.csv");
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, true);
    printWarnings(dtcDbf.OpenWarnings());
    const long rows = engine::importCsv(*dtcDbf.GetRecordset(), parsed.positional[1]);
    std::cout << "Imported " << rows << (rows == 1 ? " row" : " rows") << " from "
              << base::shownText(parsed.positional[1]) << ".\n";
    return 0;
}

}  // namespace cli
