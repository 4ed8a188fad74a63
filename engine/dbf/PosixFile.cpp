#include "engine/dbf/PosixFile.h"

#include "engine/EngineError.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace engine::dbf {

namespace {

constexpr int kLockAttempts = 20;
constexpr auto kLockDelay = std::chrono::milliseconds(25);

}  // namespace

std::string errorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text (possibly not in buffer).
    return strerror_r(error, buffer, sizeof buffer);
}

PosixFile::PosixFile(const std::string& path, Mode mode) : m_path(path) {
    int flags = (mode == Mode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    do {
        m_fd = ::open(path.c_str(), flags);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) fail("open", errno);
}

PosixFile::~PosixFile() {
    if (m_fd >= 0) ::close(m_fd);
}

PosixFile::PosixFile(PosixFile&& other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

void PosixFile::fail(const std::string& action, int error) const {
    throw EngineError("Cannot " + action + " " + m_path + ": " + errorText(error) + ".");
}

std::uint64_t PosixFile::size() const {
    struct stat status {};
    if (::fstat(m_fd, &status) != 0) fail("read", errno);
    return static_cast<std::uint64_t>(status.st_size);
}

std::size_t PosixFile::readAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(m_fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("read", errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void PosixFile::readExactly(std::uint64_t offset, void* buffer, std::size_t size) const {
    if (readAt(offset, buffer, size) != size) {
        throw EngineError("Cannot read " + m_path + ": the file ends sooner than its header says.");
    }
}

void PosixFile::writeAt(std::uint64_t offset, const void* buffer, std::size_t size) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(m_fd, in + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write to", errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

void PosixFile::lockByte(std::uint64_t offset, const std::string& busyMessage) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = 1;
    lock.l_pid = 0;
    for (int attempt = 0;; ++attempt) {
        if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) return;
        int error = errno;
        if (error == EINTR) continue;
        if (error != EAGAIN && error != EACCES) fail("lock", error);
        if (attempt + 1 >= kLockAttempts) throw EngineError(busyMessage);
        std::this_thread::sleep_for(kLockDelay);
    }
}

void PosixFile::unlockByte(std::uint64_t offset) {
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = 1;
    lock.l_pid = 0;
    ::fcntl(m_fd, F_OFD_SETLK, &lock);
}

}  // namespace engine::dbf
