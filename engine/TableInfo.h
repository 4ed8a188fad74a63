// What the table-information command shows about the table open in a data control.
#pragma once

#include "engine/FieldInfo.h"

#include <string>
#include <utility>
#include <vector>

namespace engine {

class DataControl;

struct TableInfo {
    std::string source;  // the file (and worksheet) behind the set
    // Label and value, in order: format and version byte, code page, last update, ... (what the
    // storage knows of itself; a worksheet says less than a dBASE table).
    std::vector<std::pair<std::string, std::string>> properties;
    std::vector<FieldInfo> fields;
    long liveRecords = 0;
    long deletedRecords = 0;
    bool updatable = false;
    std::vector<std::string> warnings;
};

// Describes the record set open in the data control. Throws EngineError when none is open.
TableInfo describeTable(const DataControl& control);

// The type of a field as a short text: "C(20)", "N(10,2)", "L", "D", "M" (dBASE letters with
// width and decimals where they matter); worksheet columns by their kind ("Text", "Number").
std::string describeFieldType(const FieldInfo& field);

}  // namespace engine
