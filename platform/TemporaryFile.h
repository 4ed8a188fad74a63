// Files written beside their target under a temporary name, so that the target appears whole or
// not at all.
#pragma once

#include <string>

namespace platform {

// A new, empty file in the folder of target, with a hidden name made of target's name, role and
// a random part, created with mode (the umask applies, as for any new file). It is removed when
// the object is destroyed, unless it has replaced the target. Throws std::system_error, whose
// what() ends in the system's reason, when the file cannot be made.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target, const std::string& role, unsigned mode = 0666);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }
    // Renames the file over target (replacing a file there at once); it is then no longer
    // removed. Throws std::system_error when the rename fails; the file stays temporary.
    void replace(const std::string& target);

private:
    std::string m_path;
};

}  // namespace platform
