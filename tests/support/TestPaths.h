// Where tests find the repository's files and a scratch folder of their own.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// The repository's root folder (QUILLON_SOURCE_DIR, set by ctest; else the working folder).
std::filesystem::path sourceDir();
// A file under tests/data/.
std::filesystem::path dataPath(const std::string& relative);

// A fresh, empty folder under the system's temporary folder, removed with its content when the
// object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    // Copies a file into the folder (under its own name, or newName) and returns the copy's path.
    std::filesystem::path copyIn(const std::filesystem::path& file,
                                 const std::string& newName = {}) const;

private:
    std::filesystem::path m_path;
};

}  // namespace testsupport
