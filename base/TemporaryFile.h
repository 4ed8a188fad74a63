// Files written beside their target under a temporary name, so that the target appears whole or
// not at all, and a save that is killed leaves nothing to see.
#pragma once

#include <string>

namespace base {

// A new, empty file in the folder of target, created with mode (the umask applies, as for any
// new file). Where the file system allows, the file has no name at all until replace() (an
// O_TMPFILE file, which vanishes with the process however it ends); elsewhere it has a hidden
// name that starts with ".quillon-" and holds a lock while this object lives, and such files
// whose lock no one holds any more (left by a process that was killed) are removed when the next
// one is made in that folder. It is discarded when the object is destroyed, unless it has
// replaced the target or been placed. Throws std::system_error, whose what() ends in the system's
// reason, when the file cannot be made.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target, const std::string& role, unsigned mode = 0666);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // A path through which the file is opened (for a nameless file, one under /proc/self/fd).
    const std::string& path() const { return m_path; }
    // Puts the file in place of target (replacing a file there at once, whose permissions it
    // takes); it is then no longer discarded. Throws std::system_error when that fails; the file
    // stays temporary.
    void replace(const std::string& target);
    // Gives the file the name target, which no file may have yet (std::system_error with EEXIST
    // when one does: nothing is replaced); it is then no longer discarded.
    void place(const std::string& target);

private:
    // The file has its name: it is no longer discarded.
    void settle();

    std::string m_folder;
    std::string m_role;
    std::string m_path;
    int m_fd = -1;
    bool m_nameless = false;
};

}  // namespace base
