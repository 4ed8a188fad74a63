// Small dBASE tables for the window tests, made through the engine's own table creation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace browsertest {

struct FieldSpec {
    std::string name;
    std::int32_t type;  // engine::DataTypeCode
    std::int16_t size = 0;
};

// Creates folder/name.dbf with the fields, then appends one record per row (cells as the text
// the user would type; "" leaves a field blank). Throws on any failure.
std::filesystem::path makeTable(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<FieldSpec>& fields,
                                const std::vector<std::vector<std::string>>& rows,
                                const std::string& connect = "dBASE III;");

// The values of every live record, as text, read back through a fresh record set.
std::vector<std::vector<std::string>> readTable(const std::filesystem::path& file);

}  // namespace browsertest
