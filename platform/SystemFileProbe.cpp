#include "platform/SystemFileProbe.h"

#include <filesystem>

namespace platform {

bool SystemFileProbe::fileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace platform
