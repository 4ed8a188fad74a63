// An open file for the table and memo code: whole reads and writes at offsets, its size, and
// open-file-description byte-range locks. Every failure throws EngineError naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine::dbf {

class PosixFile {
public:
    enum class Mode { ReadOnly, ReadWrite };

    PosixFile() = default;
    // Throws EngineError, naming the file and the system's reason, when it cannot be opened.
    PosixFile(const std::string& path, Mode mode);
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    const std::string& path() const { return m_path; }

    std::uint64_t size() const;
    // Reads up to size bytes at offset; returns how many were read (fewer only at end of file).
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    // Reads exactly size bytes or throws (the file is shorter than its header says).
    void readExactly(std::uint64_t offset, void* buffer, std::size_t size) const;
    void writeAt(std::uint64_t offset, const void* buffer, std::size_t size);

    // Takes a write lock on one byte (an open-file-description lock: it belongs to this open
    // file, not to the process, so two opens of one table in one process exclude each other).
    // Retries for about half a second, then throws EngineError with busyMessage.
    void lockByte(std::uint64_t offset, const std::string& busyMessage);
    void unlockByte(std::uint64_t offset);

private:
    [[noreturn]] void fail(const std::string& action, int error) const;
    int m_fd = -1;
    std::string m_path;
};

// Holds a byte lock for a scope.
class ByteLock {
public:
    ByteLock(PosixFile& file, std::uint64_t offset, const std::string& busyMessage)
        : m_file(&file), m_offset(offset) {
        m_file->lockByte(m_offset, busyMessage);
    }
    ~ByteLock() { m_file->unlockByte(m_offset); }
    ByteLock(const ByteLock&) = delete;
    ByteLock& operator=(const ByteLock&) = delete;

private:
    PosixFile* m_file;
    std::uint64_t m_offset;
};

// The error text of an errno value, for messages ("Permission denied").
std::string errorText(int error);

}  // namespace engine::dbf
