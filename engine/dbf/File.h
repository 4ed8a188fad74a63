// The files under a table: an open file (reads and writes at offsets, its size, byte locks) and
// the folder it lives in (opening, companion files, write access), as interfaces, so that the
// table code runs the same over the disk (PosixFile.h) and over files held in memory by tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace engine::dbf {

// Every failure throws EngineError naming the file and the system's reason
// ("Cannot write to PATH: No space left on device.").
class File {
public:
    enum class Mode { ReadOnly, ReadWrite };

    virtual ~File() = default;

    virtual const std::string& path() const = 0;
    virtual std::uint64_t size() const = 0;
    // Reads up to size bytes at offset; returns how many were read (fewer only at end of file).
    virtual std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const = 0;
    // Reads exactly size bytes or throws (the file is shorter than its header says).
    void readExactly(std::uint64_t offset, void* buffer, std::size_t size) const;
    virtual void writeAt(std::uint64_t offset, const void* buffer, std::size_t size) = 0;
    // Cuts the file to size bytes, or extends it with zeros.
    virtual void truncate(std::uint64_t size) = 0;

    // Takes a write lock on one byte for this open file (another open of the same file, in this
    // process or another, is kept out). Retries for about half a second, then throws EngineError
    // with busyMessage.
    void lockByte(std::uint64_t offset, const std::string& busyMessage);
    virtual void unlockByte(std::uint64_t offset) = 0;

protected:
    // One attempt: false when another open file holds the byte.
    virtual bool tryLockByte(std::uint64_t offset) = 0;
};

// Holds a byte lock for a scope.
class ByteLock {
public:
    ByteLock(File& file, std::uint64_t offset, const std::string& busyMessage)
        : m_file(&file), m_offset(offset) {
        m_file->lockByte(m_offset, busyMessage);
    }
    ~ByteLock() { m_file->unlockByte(m_offset); }
    ByteLock(const ByteLock&) = delete;
    ByteLock& operator=(const ByteLock&) = delete;

private:
    File* m_file;
    std::uint64_t m_offset;
};

// Where a table's files are opened and found.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Throws EngineError, naming the file and the reason, when it cannot be opened.
    virtual std::unique_ptr<File> open(const std::string& path, File::Mode mode) const = 0;
    // 0 when the file may be written, else the errno saying why not (ENOENT: it does not exist).
    virtual int writeAccess(const std::string& path) const = 0;
    // The companion of a table file: same folder, same base name, another extension (".dbt"),
    // matched without regard to case; nullopt when there is none.
    virtual std::optional<std::string> findCompanion(const std::string& tablePath,
                                                     std::string_view extension) const = 0;
};

// The real files, through PosixFile.
const FileSystem& diskFileSystem();

// The error text of an errno value, for messages ("Permission denied").
std::string errorText(int error);
// Throws EngineError "Cannot ACTION PATH: REASON." (action "read", "write to", "open", ...).
[[noreturn]] void throwFileError(const std::string& action, const std::string& path, int error);

}  // namespace engine::dbf
