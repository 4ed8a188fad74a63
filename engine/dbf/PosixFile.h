// A file on disk as a File: pread/pwrite at offsets and open-file-description byte locks.
#pragma once

#include "engine/dbf/File.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine::dbf {

class PosixFile final : public File {
public:
    // Throws EngineError, naming the file and the system's reason, when it cannot be opened.
    PosixFile(const std::string& path, Mode mode);
    ~PosixFile() override;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    const std::string& path() const override { return m_path; }
    std::uint64_t size() const override;
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const override;
    void writeAt(std::uint64_t offset, const void* buffer, std::size_t size) override;
    void truncate(std::uint64_t size) override;
    void unlockByte(std::uint64_t offset) override;

private:
    // An open-file-description lock: it belongs to this open file, not to the process, so two
    // opens of one table in one process exclude each other.
    bool tryLockByte(std::uint64_t offset) override;

    int m_fd = -1;
    std::string m_path;
};

}  // namespace engine::dbf
