// quillon-cli dump: every live record (or, with --with-deleted, every record) as RFC 4180 CSV
// in UTF-8 on standard output.
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/CsvWriter.h"
#include "engine/DataControl.h"
#include "engine/Recordset.h"

#include <cstdio>
#include <stdexcept>

namespace cli {

int runDump(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"}, {"with-deleted"});
    if (parsed.positional.size() != 1) throw UsageError("dump takes one TABLE");
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, false);
    const engine::Recordset& recordset = *dtcDbf.GetRecordset();

    engine::writeCsv(
        recordset,
        [](std::string_view piece) {
            if (std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) {
                throw std::runtime_error("Cannot write to standard output.");
            }
        },
        {}, parsed.has("with-deleted"));
    if (std::fflush(stdout) != 0) throw std::runtime_error("Cannot write to standard output.");
    printWarnings(recordset.warnings());
    return 0;
}

}  // namespace cli
