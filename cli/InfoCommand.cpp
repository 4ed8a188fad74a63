// quillon-cli info: what a table is made of, for people and scripts.
#include "base/ShownText.h"
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/DataControl.h"
#include "engine/TableInfo.h"

#include <iostream>

namespace cli {

int runInfo(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect"});
    if (parsed.positional.size() != 1) throw UsageError("info takes one TABLE");
    engine::DataControl dtcDbf;
    // Opened as for writing (nothing is written; only the shared lock of an open writer is held
    // while it runs) so that the Access line says whether the table could be changed, and why
    // not.
    openTable(dtcDbf, parsed.positional[0], parsed, true);
    engine::TableInfo info = engine::describeTable(dtcDbf);

    std::string out;
    // Everything but the counts comes from the file: its control characters are written out.
    using base::shownText;
    out += "Table: " + shownText(info.source) + "\n";
    for (const auto& [label, value] : info.properties)
        out += label + ": " + shownText(value) + "\n";
    out += "Records: " + std::to_string(info.liveRecords) + " live, " +
           std::to_string(info.deletedRecords) + " deleted\n";
    out += "Fields: " + std::to_string(info.fields.size()) + "\n";
    for (std::size_t i = 0; i < info.fields.size(); ++i) {
        const engine::FieldInfo& field = info.fields[i];
        out += "  " + std::to_string(i + 1) + ". " + shownText(field.name) + " " +
               engine::describeFieldType(field);
        std::vector<std::string> notes;
        if (!field.available) notes.emplace_back("unavailable");
        if (field.binary) notes.emplace_back("binary");
        if (field.nullable) notes.emplace_back("nullable");
        if (field.autoIncrement && field.autoIncrementStep == 0 && field.autoIncrementNext == 0) {
            notes.emplace_back("autoincrement");  // a table that keeps no counter
        } else if (field.autoIncrement) {
            notes.push_back("autoincrement: next " + std::to_string(field.autoIncrementNext) +
                            ", step " + std::to_string(field.autoIncrementStep));
        }
        for (std::size_t n = 0; n < notes.size(); ++n) {
            out += (n == 0 ? " (" : ", ") + notes[n] + (n + 1 == notes.size() ? ")" : "");
        }
        out += "\n";
    }
    out += "Warnings: " + std::to_string(info.warnings.size()) + "\n";
    for (const std::string& warning : info.warnings) out += "  " + shownText(warning) + "\n";
    std::cout << out << std::flush;
    return 0;
}

}  // namespace cli
