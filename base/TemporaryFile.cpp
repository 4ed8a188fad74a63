#include "base/TemporaryFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace base {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = ".quillon-";

std::system_error systemError(int error, const std::string& what) {
    return std::system_error(error, std::generic_category(), what);
}

std::string randomName(const std::string& role) {
    static thread_local std::mt19937 random{std::random_device{}()};
    return kPrefix + role + "-" + std::to_string(random() % 1000000000u);
}

// ".quillon-ROLE-DIGITS-NAME", as randomName and the callers make them.
bool isTemporaryName(const std::string& name) {
    std::size_t at = std::string_view(kPrefix).size();
    if (name.compare(0, at, kPrefix) != 0) return false;
    const std::size_t roleEnd = name.find_first_not_of("abcdefghijklmnopqrstuvwxyz", at);
    if (roleEnd == at || roleEnd == std::string::npos || name[roleEnd] != '-') return false;
    const std::size_t digitsEnd = name.find_first_not_of("0123456789", roleEnd + 1);
    return digitsEnd != roleEnd + 1 && digitsEnd != std::string::npos && name[digitsEnd] == '-' &&
           digitsEnd + 1 < name.size();
}

// Removes the temporaries of ours in folder that no living process holds.
void removeStaleTemporaries(const fs::path& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!isTemporaryName(entry.path().filename().string())) continue;
        const std::string path = entry.path().string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& target, const std::string& role, unsigned mode)
    : m_role(role) {
    const fs::path path(target);
    m_folder = path.has_parent_path() ? path.parent_path().string() : ".";
    removeStaleTemporaries(m_folder);
    const auto permissions = static_cast<mode_t>(mode);
    m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, permissions);
    if (m_fd >= 0) {
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
        // Without /proc the file could be neither opened by path nor named later.
        if (::access(m_path.c_str(), F_OK) == 0) {
            m_nameless = true;
            ::flock(m_fd, LOCK_EX);
            return;
        }
        ::close(m_fd);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            (fs::path(m_folder) / (randomName(role) + "-" + path.filename().string())).string();
        m_fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, permissions);
        if (m_fd < 0) {
            if (errno != EEXIST) throw systemError(errno, "cannot make a file in " + m_folder);
            continue;
        }
        // Until it is locked, another save's clean-up may take the new file for a stale one.
        struct stat made {
        }, named{};
        if (::flock(m_fd, LOCK_EX) == 0 && ::fstat(m_fd, &made) == 0 &&
            ::stat(candidate.c_str(), &named) == 0 && made.st_ino == named.st_ino &&
            made.st_dev == named.st_dev) {
            m_path = candidate;
            return;
        }
        ::close(m_fd);
        m_fd = -1;
    }
    throw systemError(EEXIST, "cannot find an unused name in " + m_folder);
}

TemporaryFile::~TemporaryFile() {
    if (!m_nameless && !m_path.empty()) ::unlink(m_path.c_str());
    if (m_fd >= 0) ::close(m_fd);
}

void TemporaryFile::replace(const std::string& target) {
    // A file replaced keeps its permissions.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(m_fd, existing.st_mode & 07777);
    }
    std::string named = m_path;
    if (m_nameless) {
        // A name of our own first, held by this file's lock, since a link never replaces a file.
        for (int attempt = 0;; ++attempt) {
            named = (fs::path(m_folder) /
                     (randomName(m_role) + "-" + fs::path(target).filename().string()))
                        .string();
            if (::linkat(AT_FDCWD, m_path.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                break;
            }
            if (errno != EEXIST || attempt == 100) {
                throw systemError(errno, "cannot replace " + target);
            }
        }
    }
    if (::rename(named.c_str(), target.c_str()) != 0) {
        const int error = errno;
        if (m_nameless) ::unlink(named.c_str());
        throw systemError(error, "cannot replace " + target);
    }
    settle();
}

void TemporaryFile::place(const std::string& target) {
    int result = 0;
    if (m_nameless) {
        // A link never replaces a file.
        result = ::linkat(AT_FDCWD, m_path.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW);
    } else {
        result = ::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without exclusive renames: a hard link fails on an existing name too.
            result = ::link(m_path.c_str(), target.c_str());
            if (result == 0) ::unlink(m_path.c_str());
        }
    }
    if (result != 0) throw systemError(errno, "cannot make " + target);
    settle();
}

void TemporaryFile::settle() {
    m_path.clear();
    m_nameless = false;
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace base
