// Shortcuts the engine tests share: opening tables built in a scratch folder.
#pragma once

#include "engine/Recordset.h"
#include "engine/dbf/DbfTable.h"

#include <filesystem>
#include <memory>
#include <string>

namespace enginetest {

inline std::unique_ptr<engine::dbf::DbfTable> openTable(const std::filesystem::path& path,
                                                        bool writable = true,
                                                        const std::string& encoding = {}) {
    engine::dbf::DbfOpenOptions options;
    options.writable = writable;
    options.encoding = encoding;
    return engine::dbf::DbfTable::open(path.string(), options);
}

// Opens a table kept in memory.
inline std::unique_ptr<engine::dbf::DbfTable> openTable(const engine::dbf::FileSystem& files,
                                                        const std::string& path,
                                                        bool writable = true) {
    engine::dbf::DbfOpenOptions options;
    options.writable = writable;
    options.fileSystem = &files;
    return engine::dbf::DbfTable::open(path, options);
}

inline std::unique_ptr<engine::Recordset> openSet(
    const std::filesystem::path& path, bool readOnly = false,
    engine::Recordset::Kind kind = engine::Recordset::Kind::Dynaset) {
    return std::make_unique<engine::Recordset>(
        openTable(path, !readOnly && kind == engine::Recordset::Kind::Dynaset), kind, readOnly);
}

// True when some warning contains the fragment.
template <typename Warnings>
bool anyContains(const Warnings& warnings, const std::string& fragment) {
    for (const auto& warning : warnings) {
        if (warning.find(fragment) != std::string::npos) return true;
    }
    return false;
}

}  // namespace enginetest
