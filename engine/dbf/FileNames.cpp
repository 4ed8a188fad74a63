#include "engine/dbf/FileNames.h"

#include <filesystem>

namespace engine::dbf {

namespace fs = std::filesystem;

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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
        if (!equalsIgnoringCase(entry, name)) continue;
        std::error_code statusError;
        if (regularOnly && !fs::is_regular_file(it->path(), statusError)) continue;
        return folder.empty() ? entry : (dir / entry).string();
    }
    return std::nullopt;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equalsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

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
