#include "engine/dbf/PosixFile.h"

#include "engine/dbf/FileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine::dbf {

namespace {

struct flock byteRange(short type, std::uint64_t offset) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = 1;
    lock.l_pid = 0;
    return lock;
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

bool PosixFile::tryLockByte(std::uint64_t offset) {
    struct flock lock = byteRange(F_WRLCK, offset);
    for (;;) {
        if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) return true;
        int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN || error == EACCES) return false;
        throwFileError("lock", m_path, error);
    }
}

void PosixFile::unlockByte(std::uint64_t offset) {
    struct flock lock = byteRange(F_UNLCK, offset);
    ::fcntl(m_fd, F_OFD_SETLK, &lock);
}

}  // namespace engine::dbf
