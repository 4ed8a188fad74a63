// The files under a table: an open file (reads and writes at offsets, its size, locks on byte
// ranges) and the folder it lives in (opening and making files, companion files, write access,
// renames), as interfaces, so that the table code runs the same over the disk (PosixFile.h) and
// over files held in memory by tests.
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
    // Makes what was written to the file durable (what a crash of the machine keeps).
    virtual void sync() = 0;

    // Locks belong to this open file: another open of the same file, in this process or
    // another, is kept out (a shared lock only keeps out exclusive ones), while a lock this open
    // file takes again over its own replaces that one. length 0 reaches past any end of file.
    enum class LockKind { Shared, Exclusive };
    // Takes the lock, retrying for about half a second; false when it stayed kept out. Throws
    // EngineError when the system fails.
    bool lockWaiting(std::uint64_t offset, std::uint64_t length, LockKind kind);
    // lockWaiting that throws EngineError with busyMessage when kept out.
    void lock(std::uint64_t offset, std::uint64_t length, LockKind kind,
              const std::string& busyMessage);
    virtual void unlock(std::uint64_t offset, std::uint64_t length) = 0;
    // An exclusive lock on one byte, as the record and header locks are.
    void lockByte(std::uint64_t offset, const std::string& busyMessage) {
        lock(offset, 1, LockKind::Exclusive, busyMessage);
    }
    void unlockByte(std::uint64_t offset) { unlock(offset, 1); }

protected:
    // One attempt: false when another open file holds a lock that keeps this one out.
    virtual bool tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) = 0;
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

    // Makes a new, empty file at path, open for reading and writing, with the permissions of
    // the file at permissionsOf where there is one. Throws EngineError when path exists.
    virtual std::unique_ptr<File> create(const std::string& path,
                                         const std::string& permissionsOf) const = 0;
    virtual bool exists(const std::string& path) const = 0;
    // Gives the file at from the name to. Without replace a file at to is never replaced
    // (EngineError "Cannot rename FROM to TO: File exists.").
    virtual void rename(const std::string& from, const std::string& to, bool replace) const = 0;
    // Removes the file at path, if there is one.
    virtual void remove(const std::string& path) const = 0;
    // Makes the names written in folder so far durable (what a crash of the machine keeps).
    virtual void syncFolder(const std::string& folder) const = 0;
};

// The real files, through PosixFile.
const FileSystem& diskFileSystem();

// The error text of an errno value, for messages ("Permission denied").
std::string errorText(int error);
// Throws EngineError "Cannot ACTION PATH: REASON." (action "read", "write to", "open", ...).
[[noreturn]] void throwFileError(const std::string& action, const std::string& path, int error);

}  // namespace engine::dbf
