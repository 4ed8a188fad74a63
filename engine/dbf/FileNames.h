// Finding files without regard to case: tables and their companion files (.dbt, .cpg, .mdx)
// come from systems where TABLE.DBF and table.dbt are the same name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace engine::dbf {

// The path of the file called name in folder: the exact name if it exists, else the first
// entry whose name matches without regard to case. nullopt when there is none (or the folder
// cannot be read). Only regular files (or links to them) count.
std::optional<std::string> findFileIgnoringCase(const std::string& folder, const std::string& name);

// The companion of a table file: same folder, same base name, another extension (".dbt").
std::optional<std::string> findCompanion(const std::string& tablePath, std::string_view extension);

// True when folder holds an entry of that name, of any kind, without regard to case.
bool entryExistsIgnoringCase(const std::string& folder, const std::string& name);

}  // namespace engine::dbf
