// Small dBASE tables for the window tests, and reading a table back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace browsertest {

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

// The values of every live record, as text, read back through a fresh record set.
std::vector<std::vector<std::string>> readTable(const std::filesystem::path& file);

}  // namespace browsertest
