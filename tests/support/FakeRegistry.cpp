#include "tests/support/FakeRegistry.h"

#include <stdexcept>

namespace testsupport {

void FakeRegistry::setString(std::uint32_t root, const std::string& key, const std::string& name,
                             const std::string& text) {
    StoredValue value;
    value.bytes.assign(text.begin(), text.end());
    value.bytes.push_back(0);
    setValue(root, key, name, std::move(value));
}

void FakeRegistry::setValue(std::uint32_t root, const std::string& key, const std::string& name,
                            StoredValue value) {
    m_keys[{root, key}][name] = std::move(value);
}

void FakeRegistry::denyOpen(std::uint32_t root, const std::string& key) {
    m_keys[{root, key}];
    m_denied.insert({root, key});
}

std::optional<platform::RegistryReader::Handle> FakeRegistry::open(std::uint32_t root,
                                                                   const std::string& key) {
    opened.push_back(key);
    KeyId id{root, key};
    if (m_keys.count(id) == 0 || m_denied.count(id) != 0) return std::nullopt;
    Handle handle = m_nextHandle++;
    m_openHandles[handle] = id;
    return handle;
}

std::optional<platform::RegistryReader::QueryResult> FakeRegistry::query(
    Handle key, const std::string& valueName, std::size_t bufferSize) {
    bufferSizes.push_back(bufferSize);
    auto handle = m_openHandles.find(key);
    if (handle == m_openHandles.end()) {
        throw std::logic_error("query on a registry key that is not open");
    }
    const auto& values = m_keys.at(handle->second);
    auto value = values.find(valueName);
    if (value == values.end()) return std::nullopt;
    QueryResult result;
    result.type = value->second.type;
    if (value->second.bytes.size() > bufferSize) {
        result.moreData = true;
    } else {
        result.data = value->second.bytes;
    }
    return result;
}

void FakeRegistry::close(Handle key) {
    if (m_openHandles.erase(key) == 0) {
        throw std::logic_error("close of a registry key that is not open");
    }
    ++closes;
}

}  // namespace testsupport
