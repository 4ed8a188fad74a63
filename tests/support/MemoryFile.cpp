#include "tests/support/MemoryFile.h"

#include "base/AsciiCase.h"
#include "tests/support/DbfBuilder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <stdexcept>

namespace testsupport {

using engine::dbf::File;

struct MemoryFileSystem::Entry {
    struct Event {
        FileCall call;
        int nth;
        std::function<void(Entry&)> action;
    };
    // A lock of an open file on the bytes [start, end).
    struct Lock {
        std::uint64_t start;
        std::uint64_t end;
        File::LockKind kind;
        const void* holder;
    };
    Bytes bytes;
    bool writable = true;
    std::vector<Lock> locks;
    std::array<int, 6> counts{};
    std::vector<Event> events;

    // Counts the call and runs what was planned for it.
    void count(FileCall call) {
        int n = ++counts[static_cast<std::size_t>(call)];
        for (const Event& event : events) {
            if (event.call == call && event.nth == n) event.action(*this);
        }
    }

    // Drops what holder locks of [start, end), keeping the parts outside.
    void cut(const void* holder, std::uint64_t start, std::uint64_t end) {
        std::vector<Lock> kept;
        for (const Lock& lock : locks) {
            if (lock.holder != holder || lock.end <= start || lock.start >= end) {
                kept.push_back(lock);
                continue;
            }
            if (lock.start < start) kept.push_back({lock.start, start, lock.kind, holder});
            if (lock.end > end) kept.push_back({end, lock.end, lock.kind, holder});
        }
        locks = std::move(kept);
    }
};

struct MemoryFileSystem::State {
    std::map<std::string, std::shared_ptr<Entry>> files;
    int calls = 0;
    std::vector<std::pair<int, int>> failures;  // call number, errno
    std::function<void(int)> beforeEach;

    // Counts a call of the folder's; throws when it is to fail.
    void count(const std::string& path, FileCall call) {
        const int n = ++calls;
        if (beforeEach) beforeEach(n);
        for (const auto& [nth, error] : failures) {
            if (nth == n) engine::dbf::throwFileError(actionOf(call), path, error);
        }
    }

    static const char* actionOf(FileCall call) {
        switch (call) {
            case FileCall::Write:
            case FileCall::Truncate:
            case FileCall::Sync:
                return "write to";
            case FileCall::Lock:
                return "lock";
            default:
                return "read";
        }
    }
};

namespace {

class MemoryFile final : public File {
public:
    MemoryFile(std::string path, std::shared_ptr<MemoryFileSystem::State> state,
               std::shared_ptr<MemoryFileSystem::Entry> entry, Mode mode)
        : m_path(std::move(path)),
          m_state(std::move(state)),
          m_entry(std::move(entry)),
          m_mode(mode) {}
    ~MemoryFile() override {
        std::erase_if(m_entry->locks, [this](const auto& lock) { return lock.holder == this; });
    }

    const std::string& path() const override { return m_path; }

    std::uint64_t size() const override {
        count(FileCall::Size);
        return m_entry->bytes.size();
    }

    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const override {
        count(FileCall::Read);
        const Bytes& bytes = m_entry->bytes;
        if (offset >= bytes.size()) return 0;
        std::size_t n = std::min<std::uint64_t>(size, bytes.size() - offset);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n,
                    static_cast<std::uint8_t*>(buffer));
        return n;
    }

    void writeAt(std::uint64_t offset, const void* buffer, std::size_t size) override {
        count(FileCall::Write);
        if (m_mode != Mode::ReadWrite) engine::dbf::throwFileError("write to", m_path, EBADF);
        Bytes& bytes = m_entry->bytes;
        if (bytes.size() < offset + size) bytes.resize(offset + size, 0);
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        std::copy(in, in + size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }

    void truncate(std::uint64_t size) override {
        count(FileCall::Truncate);
        if (m_mode != Mode::ReadWrite) engine::dbf::throwFileError("write to", m_path, EBADF);
        m_entry->bytes.resize(size, 0);
    }

    void sync() override { count(FileCall::Sync); }

    void unlock(std::uint64_t offset, std::uint64_t length) override {
        m_entry->cut(this, offset, endOf(offset, length));
    }

private:
    static std::uint64_t endOf(std::uint64_t offset, std::uint64_t length) {
        return length == 0 ? UINT64_MAX : offset + length;
    }

    void count(FileCall call) const {
        m_state->count(m_path, call);
        m_entry->count(call);
    }

    bool tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) override {
        count(FileCall::Lock);
        // As on disk, a write lock needs a file open for writing.
        if (kind == LockKind::Exclusive && m_mode != Mode::ReadWrite) {
            engine::dbf::throwFileError("lock", m_path, EBADF);
        }
        const std::uint64_t end = endOf(offset, length);
        for (const auto& lock : m_entry->locks) {
            const bool overlaps = lock.start < end && offset < lock.end;
            const bool bothShared = lock.kind == LockKind::Shared && kind == LockKind::Shared;
            if (lock.holder != this && overlaps && !bothShared) return false;
        }
        m_entry->cut(this, offset, end);
        m_entry->locks.push_back({offset, end, kind, this});
        return true;
    }

    std::string m_path;
    std::shared_ptr<MemoryFileSystem::State> m_state;
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

MemoryFileSystem::MemoryFileSystem() : m_state(std::make_shared<State>()) {}

void MemoryFileSystem::put(const std::string& path, Bytes bytes) {
    auto& slot = m_state->files[path];
    if (!slot) slot = std::make_shared<Entry>();
    slot->bytes = std::move(bytes);
}

bool MemoryFileSystem::exists(const std::string& path) const {
    return m_state->files.count(path) != 0;
}

MemoryFileSystem::Entry& MemoryFileSystem::entry(const std::string& path) const {
    auto found = m_state->files.find(path);
    if (found == m_state->files.end()) throw std::out_of_range("no memory file " + path);
    return *found->second;
}

const Bytes& MemoryFileSystem::bytes(const std::string& path) const { return entry(path).bytes; }

std::vector<std::string> MemoryFileSystem::paths() const {
    std::vector<std::string> out;
    for (const auto& [path, file] : m_state->files) out.push_back(path);
    return out;
}

void MemoryFileSystem::protect(const std::string& path) { entry(path).writable = false; }

void MemoryFileSystem::failAt(const std::string& path, FileCall call, int nth, int error) {
    entry(path).events.push_back({call, nth, [path, call, error](Entry&) {
                                      engine::dbf::throwFileError(State::actionOf(call), path,
                                                                  error);
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
    for (auto& [path, file] : m_state->files) file->events.clear();
    m_state->failures.clear();
    m_state->beforeEach = nullptr;
}

int MemoryFileSystem::calls(const std::string& path, FileCall call) const {
    return entry(path).counts[static_cast<std::size_t>(call)];
}

void MemoryFileSystem::failAtCall(int nth, int error) {
    m_state->failures.emplace_back(nth, error);
}

void MemoryFileSystem::beforeEachCall(std::function<void(int)> action) {
    m_state->beforeEach = std::move(action);
}

int MemoryFileSystem::totalCalls() const { return m_state->calls; }

MemoryFileSystem MemoryFileSystem::copy() const {
    MemoryFileSystem copied;
    for (const auto& [path, file] : m_state->files) {
        auto entry = std::make_shared<Entry>();
        entry->bytes = file->bytes;
        entry->writable = file->writable;
        copied.m_state->files.emplace(path, std::move(entry));
    }
    return copied;
}

std::unique_ptr<engine::dbf::File> MemoryFileSystem::open(const std::string& path,
                                                          File::Mode mode) const {
    auto found = m_state->files.find(path);
    if (found == m_state->files.end()) engine::dbf::throwFileError("open", path, ENOENT);
    if (mode == File::Mode::ReadWrite && !found->second->writable) {
        engine::dbf::throwFileError("open", path, EACCES);
    }
    return std::make_unique<MemoryFile>(path, m_state, found->second, mode);
}

int MemoryFileSystem::writeAccess(const std::string& path) const {
    auto found = m_state->files.find(path);
    if (found == m_state->files.end()) return ENOENT;
    return found->second->writable ? 0 : EACCES;
}

std::optional<std::string> MemoryFileSystem::findCompanion(const std::string& tablePath,
                                                           std::string_view extension) const {
    const std::string wanted = folderOf(tablePath) + stemOf(tablePath) + std::string(extension);
    if (exists(wanted)) return wanted;
    for (const auto& [path, file] : m_state->files) {
        if (base::equalsIgnoringCase(path, wanted)) return path;
    }
    return std::nullopt;
}

std::unique_ptr<engine::dbf::File> MemoryFileSystem::create(const std::string& path,
                                                            const std::string&) const {
    m_state->count(path, FileCall::Write);
    if (exists(path)) engine::dbf::throwFileError("make", path, EEXIST);
    auto entry = std::make_shared<Entry>();
    m_state->files.emplace(path, entry);
    return std::make_unique<MemoryFile>(path, m_state, std::move(entry), File::Mode::ReadWrite);
}

void MemoryFileSystem::rename(const std::string& from, const std::string& to, bool replace) const {
    m_state->count(from, FileCall::Write);
    auto found = m_state->files.find(from);
    const int error = found == m_state->files.end() ? ENOENT : !replace && exists(to) ? EEXIST : 0;
    if (error != 0) engine::dbf::throwFileError("rename", from + " to " + to, error);
    std::shared_ptr<Entry> moved = found->second;
    m_state->files.erase(found);
    m_state->files[to] = std::move(moved);
}

void MemoryFileSystem::remove(const std::string& path) const {
    m_state->count(path, FileCall::Write);
    m_state->files.erase(path);
}

void MemoryFileSystem::syncFolder(const std::string& folder) const {
    m_state->count(folder, FileCall::Sync);
}

std::string putTable(MemoryFileSystem& files, const DbfBuilder& table, const std::string& base) {
    files.put(base + ".dbf", table.dbf());
    if (table.hasMemo()) files.put(base + ".dbt", table.dbt());
    return base + ".dbf";
}

}  // namespace testsupport
