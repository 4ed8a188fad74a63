#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

std::filesystem::path sourceDir() {
    if (const char* dir = std::getenv("QUILLON_SOURCE_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return std::filesystem::current_path();
}

std::filesystem::path dataPath(const std::string& relative) {
    return sourceDir() / "tests" / "data" / relative;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::copyIn(const std::filesystem::path& file,
                                      const std::string& newName) const {
    std::filesystem::path target = m_path / (newName.empty() ? file.filename().string() : newName);
    std::filesystem::copy_file(file, target, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return target;
}

}  // namespace testsupport
