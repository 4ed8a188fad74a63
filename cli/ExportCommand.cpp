// quillon-cli export: the table written to a new workbook by the application's own export.
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/DataControl.h"
#include "export/ExportarExcel.h"
#include "platform/Prompts.h"

#include <iostream>

namespace cli {

namespace {

// The export's messages on standard output instead of boxes; nothing is asked.
class PrintedPrompts : public platform::Prompts {
public:
    platform::MessageResult messageBox(const std::string& text, platform::MessageButtons,
                                       platform::MessageIcon, const std::string&) override {
        std::cout << text << std::endl;
        return platform::MessageResult::Ok;
    }
    std::string inputBox(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> saveFileName(const std::string&) override { return std::nullopt; }
};

}  // namespace

int runExport(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"});
    if (parsed.positional.size() != 2) throw UsageError("export takes TABLE and OUT.xls");
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, false);
    PrintedPrompts prompts;
    tableexport::ExportarExcel(dtcDbf, parsed.positional[1], prompts);
    return 0;
}

}  // namespace cli
