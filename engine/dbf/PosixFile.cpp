#include "engine/dbf/PosixFile.h"

#include "engine/dbf/FileNames.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine::dbf {

namespace {

struct flock lockRange(short type, std::uint64_t offset, std::uint64_t length) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    lock.l_pid = 0;
    return lock;
}

// A rename that never replaces: renameat2 where the file system has it, else a second link and
// the removal of the first (file systems without either get a check and a rename).
int renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return errno;
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

class DiskFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, File::Mode mode) const override {
        return std::make_unique<PosixFile>(path, mode);
    }
    int writeAccess(const std::string& path) const override {
        return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
    }
    std::optional<std::string> findCompanion(const std::string& tablePath,
                                             std::string_view extension) const override {
        return dbf::findCompanion(tablePath, extension);
    }
    std::unique_ptr<File> create(const std::string& path,
                                 const std::string& permissionsOf) const override {
        return PosixFile::create(path, permissionsOf);
    }
    bool exists(const std::string& path) const override {
        struct stat status {};
        return ::lstat(path.c_str(), &status) == 0;
    }
    void rename(const std::string& from, const std::string& to, bool replace) const override {
        int error = 0;
        if (replace) {
            if (::rename(from.c_str(), to.c_str()) != 0) error = errno;
        } else {
            error = renameWithoutReplacing(from, to);
        }
        if (error != 0) throwFileError("rename", from + " to " + to, error);
    }
    void remove(const std::string& path) const override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwFileError("remove", path, errno);
    }
    void syncFolder(const std::string& folder) const override {
        const std::string name = folder.empty() ? "." : folder;
        const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) throwFileError("open", name, errno);
        const int result = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        // Some file systems cannot sync a folder; their names are as durable as they get.
        if (result != 0 && error != EINVAL && error != ENOTSUP) {
            throwFileError("write to", name, error);
        }
    }
};

}  // namespace

const FileSystem& diskFileSystem() {
    static const DiskFileSystem disk;
    return disk;
}

PosixFile::PosixFile(const std::string& path, Mode mode) : m_path(path) {
    int flags = (mode == Mode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    do {
        m_fd = ::open(path.c_str(), flags);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) throwFileError("open", m_path, errno);
}

std::unique_ptr<PosixFile> PosixFile::create(const std::string& path,
                                             const std::string& permissionsOf) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throwFileError("make", path, errno);
    std::unique_ptr<PosixFile> file(new PosixFile(fd, path));
    struct stat like {};
    if (!permissionsOf.empty() && ::stat(permissionsOf.c_str(), &like) == 0 &&
        ::fchmod(fd, like.st_mode & 07777) != 0) {
        throwFileError("make", path, errno);
    }
    return file;
}

PosixFile::~PosixFile() {
    if (m_fd >= 0) ::close(m_fd);
}

std::uint64_t PosixFile::size() const {
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) throwFileError("read", m_path, errno);
    return static_cast<std::uint64_t>(status.st_size);
}

std::size_t PosixFile::readAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(m_fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throwFileError("read", m_path, errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void PosixFile::writeAt(std::uint64_t offset, const void* buffer, std::size_t size) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(m_fd, in + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throwFileError("write to", m_path, errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

void PosixFile::truncate(std::uint64_t size) {
    int result = 0;
    do {
        result = ::ftruncate(m_fd, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    if (result != 0) throwFileError("write to", m_path, errno);
}

void PosixFile::sync() {
    if (::fsync(m_fd) != 0) throwFileError("write to", m_path, errno);
}

bool PosixFile::tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) {
    struct flock lock = lockRange(kind == LockKind::Shared ? F_RDLCK : F_WRLCK, offset, length);
    for (;;) {
        if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) return true;
        int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN || error == EACCES) return false;
        throwFileError("lock", m_path, error);
    }
}

void PosixFile::unlock(std::uint64_t offset, std::uint64_t length) {
    struct flock lock = lockRange(F_UNLCK, offset, length);
    ::fcntl(m_fd, F_OFD_SETLK, &lock);
}

}  // namespace engine::dbf
