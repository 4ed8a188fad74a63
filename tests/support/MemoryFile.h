// Files held in memory for the engine's tests: a FileSystem whose files can be told to fail a
// chosen call with a chosen errno, to shrink or grow before a chosen call, or to run a test's own
// action there (another writer stepping in), so that a table is opened, read and written exactly
// as on disk while the test decides what the disk does. Every call is also counted over the whole
// folder, so that a test can fail each in turn, or copy the files before each: what a process
// killed at that moment leaves.
#pragma once

#include "engine/dbf/File.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;
class DbfBuilder;

// The kinds of calls a file counts.
enum class FileCall { Size, Read, Write, Truncate, Lock, Sync };

class MemoryFileSystem final : public engine::dbf::FileSystem {
public:
    MemoryFileSystem();

    // Stores (or replaces) the file at path ("/t/people.dbf"); its folder is the part before the
    // last "/".
    void put(const std::string& path, Bytes bytes);
    // The file's bytes as they are now. Throws std::out_of_range for a file that is not there.
    const Bytes& bytes(const std::string& path) const;
    // Every file's path, in order.
    std::vector<std::string> paths() const;
    // Makes the file refuse to be opened for writing (EACCES), as a write-protected file does.
    void protect(const std::string& path);

    // What happens just before the nth call (from 1, counted over every open file of that path)
    // of that kind: the call fails with the errno, the file is cut or extended to size bytes
    // first, or action runs first. Calls of other kinds are not counted.
    void failAt(const std::string& path, FileCall call, int nth, int error);
    void resizeAt(const std::string& path, FileCall call, int nth, std::size_t size);
    void runAt(const std::string& path, FileCall call, int nth, std::function<void()> action);
    // Forgets every failure, resize and action planned and not yet met.
    void clearPlanned();
    // How many calls of that kind the file's open files have made.
    int calls(const std::string& path, FileCall call) const;

    // Every call of every open file and every change of the folder (create, rename, remove, a
    // folder sync), counted together from 1: the nth of them fails with error; before each,
    // action runs with its number. totalCalls says how many there have been.
    void failAtCall(int nth, int error);
    void beforeEachCall(std::function<void(int nth)> action);
    int totalCalls() const;
    // A second folder holding copies of the files as they are now (no locks, nothing planned).
    MemoryFileSystem copy() const;

    std::unique_ptr<engine::dbf::File> open(const std::string& path,
                                            engine::dbf::File::Mode mode) const override;
    int writeAccess(const std::string& path) const override;
    std::optional<std::string> findCompanion(const std::string& tablePath,
                                             std::string_view extension) const override;
    std::unique_ptr<engine::dbf::File> create(const std::string& path,
                                              const std::string& permissionsOf) const override;
    bool exists(const std::string& path) const override;
    void rename(const std::string& from, const std::string& to, bool replace) const override;
    void remove(const std::string& path) const override;
    void syncFolder(const std::string& folder) const override;

    struct Entry;
    struct State;

private:
    Entry& entry(const std::string& path) const;
    std::shared_ptr<State> m_state;
};

// Stores a built table (and its memo file) as base + ".dbf" (and ".dbt"); returns the table's
// path.
std::string putTable(MemoryFileSystem& files, const DbfBuilder& table, const std::string& base);

}  // namespace testsupport
