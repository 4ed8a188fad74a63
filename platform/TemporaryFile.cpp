#include "platform/TemporaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <system_error>
#include <unistd.h>

namespace platform {

TemporaryFile::TemporaryFile(const std::string& target, const std::string& role, unsigned mode) {
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + path.filename().string() + "." + role + "-" +
                                 std::to_string(random() % 1000000000u);
        const std::string candidate = (folder / name).string();
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              static_cast<mode_t>(mode));
        if (fd >= 0) {
            ::close(fd);
            m_path = candidate;
            return;
        }
        if (errno != EEXIST) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot make a file in " + folder.string());
        }
    }
    throw std::system_error(EEXIST, std::generic_category(),
                            "cannot find an unused name in " + folder.string());
}

TemporaryFile::~TemporaryFile() {
    if (!m_path.empty()) ::unlink(m_path.c_str());
}

void TemporaryFile::replace(const std::string& target) {
    if (::rename(m_path.c_str(), target.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot replace " + target);
    }
    m_path.clear();
}

}  // namespace platform
