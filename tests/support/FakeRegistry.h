// A registry for tests: values set by the test, and a record of every open, query and close.
#pragma once

#include "platform/RegistryReader.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

class FakeRegistry : public platform::RegistryReader {
public:
    struct StoredValue {
        std::uint32_t type = platform::kRegSz;
        std::vector<std::uint8_t> bytes;  // exactly as stored (a string usually ends in a zero)
    };

    // Stores a string value with its terminating zero.
    void setString(std::uint32_t root, const std::string& key, const std::string& name,
                   const std::string& text);
    void setValue(std::uint32_t root, const std::string& key, const std::string& name,
                  StoredValue value);
    // A key that exists but refuses to open (as for a user without the rights).
    void denyOpen(std::uint32_t root, const std::string& key);

    std::optional<Handle> open(std::uint32_t root, const std::string& key) override;
    std::optional<QueryResult> query(Handle key, const std::string& valueName,
                                     std::size_t bufferSize) override;
    void close(Handle key) override;

    // Keys opened and not closed yet.
    std::size_t openKeys() const { return m_openHandles.size(); }
    std::vector<std::string> opened;       // key names, in order
    std::vector<std::size_t> bufferSizes;  // the buffer size of each query
    int closes = 0;

private:
    using KeyId = std::pair<std::uint32_t, std::string>;
    std::map<KeyId, std::map<std::string, StoredValue>> m_keys;
    std::set<KeyId> m_denied;
    std::map<Handle, KeyId> m_openHandles;
    Handle m_nextHandle = 100;
};

}  // namespace testsupport
