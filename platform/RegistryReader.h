// Read access to a small registry of system settings (the About window's system-information
// lookup). On Linux a stand-in answers the few values the program asks for.
//
// A Windows backend must open keys with read access only (KEY_READ): asking for write rights, as
// a mask such as 0x2003F does, fails for ordinary users.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kRegSz = 1;  // value type: a zero-terminated string

// Key and value under HKEY_LOCAL_MACHINE that name the system-information program: the About
// window looks there first, and the Linux stand-in answers there.
inline constexpr const char* kSysInfoPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoPathValue = "PATH";

class RegistryReader {
public:
    using Handle = std::uint64_t;

    struct QueryResult {
        std::uint32_t type = 0;          // kRegSz, or another registry value type
        std::vector<std::uint8_t> data;  // the bytes returned, at most the buffer size
        bool moreData = false;           // the value is longer than the buffer
    };

    virtual ~RegistryReader() = default;
    // Opens a key under a root; nullopt when it does not exist or cannot be opened.
    virtual std::optional<Handle> open(std::uint32_t root, const std::string& key) = 0;
    // Reads a value into a buffer of bufferSize bytes; nullopt when the value does not exist.
    virtual std::optional<QueryResult> query(Handle key, const std::string& valueName,
                                             std::size_t bufferSize) = 0;
    virtual void close(Handle key) = 0;
};

}  // namespace platform
