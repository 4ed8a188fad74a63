// quillon-cli recall: clears the deletion mark of one record, or of every deleted record.
#include "cli/CliArguments.h"
#include "cli/OpenTable.h"
#include "engine/DataControl.h"
#include "engine/EngineError.h"
#include "engine/PartlyDone.h"
#include "engine/Recordset.h"

#include <iostream>

namespace cli {

namespace {

std::string recordsText(long count) {
    return std::to_string(count) + (count == 1 ? " record" : " records");
}

}  // namespace

int runRecall(const std::vector<std::string>& arguments) {
    CliArguments parsed = parseArguments(arguments, {"encoding", "connect", "record"});
    if (parsed.positional.size() != 1) throw UsageError("recall takes one TABLE");
    std::uint32_t only = 0;
    if (parsed.has("record")) {
        const std::string text = parsed.option("record");
        std::size_t used = 0;
        unsigned long number = 0;
        try {
            number = std::stoul(text, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != text.size() || text.empty() || number < 1 || number > 0xFFFF'FFFFul) {
            throw UsageError("--record takes a record number from 1, not " + text);
        }
        only = static_cast<std::uint32_t>(number);
    }
    engine::DataControl dtcDbf;
    openTable(dtcDbf, parsed.positional[0], parsed, true);
    printWarnings(dtcDbf.OpenWarnings());
    engine::Recordset& set = *dtcDbf.GetRecordset();
    if (only != 0) {
        set.Recall(only - 1);
        std::cout << "Recalled record " << only << ".\n";
        return 0;
    }
    // From the last one back: each recall then moves no record that is still to come.
    const std::vector<std::uint32_t> deleted = set.deletedRecordNumbers();
    long done = 0;
    try {
        for (auto number = deleted.rbegin(); number != deleted.rend(); ++number) {
            set.Recall(*number);
            ++done;
        }
    } catch (const std::exception& failure) {
        throw engine::EngineError(engine::partlyDoneMessage(
            "Recalled", done, "the " + recordsText(static_cast<long>(deleted.size())) + " deleted",
            failure.what()));
    }
    std::cout << "Recalled " << recordsText(done) << ".\n";
    return 0;
}

}  // namespace cli
