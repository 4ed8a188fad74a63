#include "spreadsheet/detail/Paths.h"

#include <filesystem>

namespace spreadsheet::detail {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    std::filesystem::path first = std::filesystem::weakly_canonical(a, error);
    if (error) return false;
    std::filesystem::path second = std::filesystem::weakly_canonical(b, error);
    return !error && first == second;
}

}  // namespace spreadsheet::detail
