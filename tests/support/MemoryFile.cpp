#include "tests/support/MemoryFile.h"

#include "base/AsciiCase.h"
#include "tests/support/DbfBuilder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <stdexcept>

namespace testsupport {

struct MemoryFileSystem::Entry {
    struct Event {
        FileCall call;
        int nth;
        std::function<void(Entry&)> action;
    };
    Bytes bytes;
    bool writable = true;
    std::map<std::uint64_t, const void*> locks;  // byte -> the open file holding it
    std::array<int, 5> counts{};
    std::vector<Event> events;

    // Counts the call and runs what was planned for it.
    void count(FileCall call) {
        int n = ++counts[static_cast<std::size_t>(call)];
        for (const Event& event : events) {
            if (event.call == call && event.nth == n) event.action(*this);
        }
    }
};

namespace {

using engine::dbf::File;

const char* actionOf(FileCall call) {
    switch (call) {
        case FileCall::Write:
        case FileCall::Truncate:
            return "write to";
        case FileCall::Lock:
            return "lock";
        default:
            return "read";
    }
}

class MemoryFile final : public File {
public:
    MemoryFile(std::string path, std::shared_ptr<MemoryFileSystem::Entry> entry, Mode mode)
        : m_path(std::move(path)), m_entry(std::move(entry)), m_mode(mode) {}
    ~MemoryFile() override {
        std::erase_if(m_entry->locks, [this](const auto& lock) { return lock.second == this; });
    }

    const std::string& path() const override { return m_path; }

    std::uint64_t size() const override {
        m_entry->count(FileCall::Size);
        return m_entry->bytes.size();
    }

    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const override {
        m_entry->count(FileCall::Read);
        const Bytes& bytes = m_entry->bytes;
        if (offset >= bytes.size()) return 0;
        std::size_t n = std::min<std::uint64_t>(size, bytes.size() - offset);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n,
                    static_cast<std::uint8_t*>(buffer));
        return n;
    }

    void writeAt(std::uint64_t offset, const void* buffer, std::size_t size) override {
        m_entry->count(FileCall::Write);
        if (m_mode != Mode::ReadWrite) engine::dbf::throwFileError("write to", m_path, EBADF);
        Bytes& bytes = m_entry->bytes;
        if (bytes.size() < offset + size) bytes.resize(offset + size, 0);
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        std::copy(in, in + size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }

    void truncate(std::uint64_t size) override {
        m_entry->count(FileCall::Truncate);
        if (m_mode != Mode::ReadWrite) engine::dbf::throwFileError("write to", m_path, EBADF);
        m_entry->bytes.resize(size, 0);
    }

    void unlockByte(std::uint64_t offset) override {
        auto found = m_entry->locks.find(offset);
        if (found != m_entry->locks.end() && found->second == this) m_entry->locks.erase(found);
    }

private:
    bool tryLockByte(std::uint64_t offset) override {
        m_entry->count(FileCall::Lock);
        auto [found, added] = m_entry->locks.emplace(offset, this);
        return added || found->second == this;
    }

    std::string m_path;
    std::shared_ptr<MemoryFileSystem::Entry> m_entry;
    Mode m_mode;
};

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string stemOf(const std::string& path) {
    std::string name = path.substr(folderOf(path).size());
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

MemoryFileSystem::MemoryFileSystem()
    : m_files(std::make_shared<std::map<std::string, std::shared_ptr<Entry>>>()) {}

void MemoryFileSystem::put(const std::string& path, Bytes bytes) {
    auto& slot = (*m_files)[path];
    if (!slot) slot = std::make_shared<Entry>();
    slot->bytes = std::move(bytes);
}

void MemoryFileSystem::remove(const std::string& path) { m_files->erase(path); }

bool MemoryFileSystem::exists(const std::string& path) const { return m_files->count(path) != 0; }

MemoryFileSystem::Entry& MemoryFileSystem::entry(const std::string& path) const {
    auto found = m_files->find(path);
    if (found == m_files->end()) throw std::out_of_range("no memory file " + path);
    return *found->second;
}

const Bytes& MemoryFileSystem::bytes(const std::string& path) const { return entry(path).bytes; }

void MemoryFileSystem::protect(const std::string& path) { entry(path).writable = false; }

void MemoryFileSystem::failAt(const std::string& path, FileCall call, int nth, int error) {
    entry(path).events.push_back({call, nth, [path, call, error](Entry&) {
                                      engine::dbf::throwFileError(actionOf(call), path, error);
                                  }});
}

void MemoryFileSystem::resizeAt(const std::string& path, FileCall call, int nth, std::size_t size) {
    entry(path).events.push_back({call, nth, [size](Entry& file) { file.bytes.resize(size, 0); }});
}

void MemoryFileSystem::runAt(const std::string& path, FileCall call, int nth,
                             std::function<void()> action) {
    entry(path).events.push_back({call, nth, [action = std::move(action)](Entry&) { action(); }});
}

void MemoryFileSystem::clearPlanned() {
    for (auto& [path, file] : *m_files) file->events.clear();
}

int MemoryFileSystem::calls(const std::string& path, FileCall call) const {
    return entry(path).counts[static_cast<std::size_t>(call)];
}

std::unique_ptr<engine::dbf::File> MemoryFileSystem::open(const std::string& path,
                                                          File::Mode mode) const {
    auto found = m_files->find(path);
    if (found == m_files->end()) engine::dbf::throwFileError("open", path, ENOENT);
    if (mode == File::Mode::ReadWrite && !found->second->writable) {
        engine::dbf::throwFileError("open", path, EACCES);
    }
    return std::make_unique<MemoryFile>(path, found->second, mode);
}

int MemoryFileSystem::writeAccess(const std::string& path) const {
    auto found = m_files->find(path);
    if (found == m_files->end()) return ENOENT;
    return found->second->writable ? 0 : EACCES;
}

std::optional<std::string> MemoryFileSystem::findCompanion(const std::string& tablePath,
                                                           std::string_view extension) const {
    const std::string wanted = folderOf(tablePath) + stemOf(tablePath) + std::string(extension);
    if (exists(wanted)) return wanted;
    for (const auto& [path, file] : *m_files) {
        if (base::equalsIgnoringCase(path, wanted)) return path;
    }
    return std::nullopt;
}

std::string putTable(MemoryFileSystem& files, const DbfBuilder& table, const std::string& base) {
    files.put(base + ".dbf", table.dbf());
    if (table.hasMemo()) files.put(base + ".dbt", table.dbt());
    return base + ".dbf";
}

}  // namespace testsupport
