#include "base/SameFile.h"

namespace base {

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    std::filesystem::path first = std::filesystem::weakly_canonical(a, error);
    if (error) return false;
    std::filesystem::path second = std::filesystem::weakly_canonical(b, error);
    return !error && first == second;
}

}  // namespace base
