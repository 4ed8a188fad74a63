// Small dBASE tables for the window tests, and reading a table back through the engine.
#pragma once

#include "engine/DataControl.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct FieldSpec {
    std::string name;
    char type;  // 'C', 'N', 'D', 'L', 'M'
    int length;
    int decimals = 0;
};

// Writes folder/name.dbf (with name.dbt when a field is a memo) holding one record per row; the
// cells are the values as they read ("" for a blank field). Returns the table's path.
std::filesystem::path makeTable(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<FieldSpec>& fields,
                                const std::vector<std::vector<std::string>>& rows);

// A data control with the dBASE table at file open as an updatable record set, under the
// driver named by connect. Throws the engine's failure when the table does not open.
std::unique_ptr<engine::DataControl> openTable(const std::filesystem::path& file,
                                               const std::string& connect = "dBASE III;");

// The values of every live record, as text, read back through a fresh record set.
std::vector<std::vector<std::string>> readTable(const std::filesystem::path& file);

}  // namespace testsupport
