// A file on disk as a File: pread/pwrite at offsets and open-file-description range locks.
#pragma once

#include "engine/dbf/File.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace engine::dbf {

class PosixFile final : public File {
public:
    // Throws EngineError, naming the file and the system's reason, when it cannot be opened.
    PosixFile(const std::string& path, Mode mode);
    // Makes a new file at path (refused when one exists) with the permissions of the file at
    // permissionsOf, where there is one.
    static std::unique_ptr<PosixFile> create(const std::string& path,
                                             const std::string& permissionsOf);
    ~PosixFile() override;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    const std::string& path() const override { return m_path; }
    std::uint64_t size() const override;
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const override;
    void writeAt(std::uint64_t offset, const void* buffer, std::size_t size) override;
    void truncate(std::uint64_t size) override;
    void sync() override;
    void unlock(std::uint64_t offset, std::uint64_t length) override;

private:
    PosixFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    // An open-file-description lock: it belongs to this open file, not to the process, so two
    // opens of one table in one process exclude each other.
    bool tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) override;

    int m_fd = -1;
    std::string m_path;
};

}  // namespace engine::dbf
