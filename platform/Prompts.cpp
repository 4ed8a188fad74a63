#include "platform/Prompts.h"

#include <filesystem>
#include <vector>

namespace platform {

std::string withFilterExtension(const std::string& path, const std::string& filter,
                                std::size_t entry) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t bar; (bar = filter.find('|', from)) != std::string::npos; from = bar + 1) {
        parts.push_back(filter.substr(from, bar - from));
    }
    parts.push_back(filter.substr(from));
    const std::size_t patternIndex = 2 * entry + 1;
    if (patternIndex >= parts.size()) return path;
    const std::string& pattern = parts[patternIndex];
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0 ||
        pattern.find_first_of("*?;", 2) != std::string::npos) {
        return path;
    }
    const std::filesystem::path name = std::filesystem::path(path).filename();
    if (name.empty() || name.has_extension() || name == "." || name == "..") return path;
    return path + pattern.substr(1);
}

}  // namespace platform
