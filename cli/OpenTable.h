// How the commands of quillon-cli open the TABLE argument through a data control.
#pragma once

#include "cli/CliArguments.h"

#include <string>
#include <vector>

namespace engine {
class DataControl;
}

namespace cli {

// Sets up dtcDbf for the table at path and refreshes it. The driver comes from --connect, else
// from the extension (.xls: "Excel 8.0;", anything else a dBASE table); --encoding overrides the
// code page. A workbook opens its worksheet Sheet1. forWriting opens a dBASE table as an
// updatable dynaset, otherwise as a read-only snapshot (which takes no locks). Throws the
// engine's failure when the table cannot be opened.
void openTable(engine::DataControl& dtcDbf, const std::string& path, const CliArguments& arguments,
               bool forWriting);

// Prints each warning on standard error as "warning: TEXT", control characters written out.
void printWarnings(const std::vector<std::string>& warnings);

}  // namespace cli
