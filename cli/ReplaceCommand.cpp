// quillon-cli replace: the Replace scan of the main window, from the command line.
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"
#include "engine/Replace.h"
#include "engine/Value.h"

#include <iostream>

namespace cli {

int runReplace(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"});
    if (parsed.positional.size() != 4) throw UsageError("replace takes TABLE FIELD OLD NEW");
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, true);
    printWarnings(dtcDbf.OpenWarnings());
    engine::Recordset& recordset = *dtcDbf.GetRecordset();
    long changed = 0;
    if (recordset.RecordCount() == 0) {
        // Nothing to scan; the window's scan would fail at its first move, a script wants 0.
        recordset.Fields().Item(parsed.positional[1]);
    } else {
        changed = engine::ReplaceValues(recordset, parsed.positional[1], parsed.positional[2],
                                        engine::Value::text(parsed.positional[3]))
                      .replaced;
    }
    std::cout << changed << "\n";
    return 0;
}

}  // namespace cli
