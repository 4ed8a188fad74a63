#include "platform/LinuxRegistryReader.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace platform {

namespace {

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> LinuxRegistryReader::defaultPrograms() {
    return {"hardinfo",
            "hardinfo2",
            "kinfocenter",
            "gnome-system-monitor",
            "mate-system-monitor",
            "xfce4-taskmanager",
            "lxtask"};
}

LinuxRegistryReader::LinuxRegistryReader(std::optional<std::string> searchPath,
                                         std::vector<std::string> programs)
    : m_searchPath(std::move(searchPath)), m_programs(std::move(programs)) {}

std::optional<RegistryReader::Handle> LinuxRegistryReader::open(std::uint32_t root,
                                                                const std::string& key) {
    if (root != kHkeyLocalMachine || !base::equalsIgnoringCase(key, kSysInfoPathKey)) {
        return std::nullopt;
    }
    Handle handle = m_nextHandle++;
    m_open.insert(handle);
    return handle;
}

std::optional<RegistryReader::QueryResult> LinuxRegistryReader::query(Handle key,
                                                                      const std::string& valueName,
                                                                      std::size_t bufferSize) {
    if (m_open.count(key) == 0 || !base::equalsIgnoringCase(valueName, kSysInfoPathValue)) {
        return std::nullopt;
    }
    std::optional<std::string> program = findSysInfoProgram();
    if (!program) return std::nullopt;

    // A string value is stored with its terminating zero; a buffer too small for all of it gets
    // nothing, as the registry does.
    std::vector<std::uint8_t> bytes(program->begin(), program->end());
    bytes.push_back(0);
    QueryResult result;
    result.type = kRegSz;
    if (bytes.size() > bufferSize) {
        result.moreData = true;
    } else {
        result.data = std::move(bytes);
    }
    return result;
}

void LinuxRegistryReader::close(Handle key) { m_open.erase(key); }

std::optional<std::string> LinuxRegistryReader::findSysInfoProgram() const {
    std::string searchPath;
    if (m_searchPath) {
        searchPath = *m_searchPath;
    } else if (const char* path = std::getenv("PATH"); path != nullptr) {
        searchPath = path;
    }
    std::vector<std::filesystem::path> folders;
    for (std::size_t start = 0; start <= searchPath.size();) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos) end = searchPath.size();
        // An empty entry would mean the working folder; a system program is never looked up there.
        if (end > start) folders.emplace_back(searchPath.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& program : m_programs) {
        for (const std::filesystem::path& folder : folders) {
            if (!folder.is_absolute()) continue;
            std::filesystem::path candidate = folder / program;
            if (isExecutableFile(candidate)) return candidate.string();
        }
    }
    return std::nullopt;
}

}  // namespace platform
