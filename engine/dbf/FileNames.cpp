#include "engine/dbf/FileNames.h"

#include "base/AsciiCase.h"

#include <filesystem>

namespace engine::dbf {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> findEntry(const std::string& folder, const std::string& name,
                                     bool regularOnly) {
    fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    std::error_code error;
    fs::path exact = dir / name;
    auto status = fs::status(exact, error);
    if (!error && (regularOnly ? fs::is_regular_file(status) : fs::exists(status))) {
        return folder.empty() ? name : exact.string();
    }
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (!base::equalsIgnoringCase(entry, name)) continue;
        std::error_code statusError;
        if (regularOnly && !fs::is_regular_file(it->path(), statusError)) continue;
        return folder.empty() ? entry : (dir / entry).string();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> findFileIgnoringCase(const std::string& folder,
                                                const std::string& name) {
    return findEntry(folder, name, true);
}

std::optional<std::string> findCompanion(const std::string& tablePath, std::string_view extension) {
    fs::path path(tablePath);
    std::string name = path.stem().string() + std::string(extension);
    return findFileIgnoringCase(path.parent_path().string(), name);
}

bool entryExistsIgnoringCase(const std::string& folder, const std::string& name) {
    return findEntry(folder, name, false).has_value();
}

}  // namespace engine::dbf
