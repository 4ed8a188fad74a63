// The Linux stand-in for the registry: it answers one value, the path of the system-information
// program, and knows nothing else.
#pragma once

#include "platform/RegistryReader.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform {

// Answers kSysInfoPathValue under kSysInfoPathKey (root kHkeyLocalMachine; key and value names
// compared without regard to case, as the registry does) with the full path of the first
// system-information program found on the search path, as a zero-terminated string value. Every
// other key fails to open and every other value is missing; when no such program is installed
// the value is missing too. The search runs at each query, so a program installed while the
// application runs is found.
class LinuxRegistryReader : public RegistryReader {
public:
    // The programs looked for, in order of preference.
    static std::vector<std::string> defaultPrograms();

    // searchPath: folders separated by ':' (the PATH environment variable when not given).
    explicit LinuxRegistryReader(std::optional<std::string> searchPath = std::nullopt,
                                 std::vector<std::string> programs = defaultPrograms());

    std::optional<Handle> open(std::uint32_t root, const std::string& key) override;
    std::optional<QueryResult> query(Handle key, const std::string& valueName,
                                     std::size_t bufferSize) override;
    void close(Handle key) override;

    // The full path of the first program of the list that is an executable file in a folder of
    // the search path, or nullopt.
    std::optional<std::string> findSysInfoProgram() const;

private:
    std::optional<std::string> m_searchPath;
    std::vector<std::string> m_programs;
    std::set<Handle> m_open;  // handles handed out and not yet closed
    Handle m_nextHandle = 1;
};

}  // namespace platform
