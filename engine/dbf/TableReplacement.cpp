#include "engine/dbf/TableReplacement.h"

#include "engine/EngineError.h"

#include <filesystem>
#include <utility>
#include <vector>

namespace engine::dbf {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNewSuffix = ".new";
constexpr const char* kReadySuffix = ".ready";

std::string folderOf(const std::string& path) { return fs::path(path).parent_path().string(); }
std::string nameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::string beside(const std::string& path, const std::string& name) {
    const std::string folder = folderOf(path);
    return folder.empty() ? name : (fs::path(folder) / name).string();
}

// ".NAME.new" and ".NAME.ready" beside the file at path.
std::string newPath(const std::string& path) {
    return beside(path, "." + nameOf(path) + kNewSuffix);
}
std::string readyPath(const std::string& path) {
    return beside(path, "." + nameOf(path) + kReadySuffix);
}

// The file called name beside path, matched without regard to case.
std::optional<std::string> findBeside(const FileSystem& files, const std::string& path,
                                      const std::string& name) {
    return files.findCompanion(beside(path, name + ".x"), "");
}

// The file a ".NAME.ready" file at ready is to become.
std::string finalPath(const std::string& ready) {
    const std::string name = nameOf(ready);
    const std::size_t suffix = std::string(kReadySuffix).size();
    return beside(ready, name.substr(1, name.size() - 1 - suffix));
}

}  // namespace

std::string backupPath(const std::string& path, int number) {
    return number == 0 ? path + ".bak" : path + "." + std::to_string(number) + ".bak";
}

TableReplacement::TableReplacement(const FileSystem& files, File& table,
                                   const std::string& memoPath, const std::string& action)
    : m_files(files),
      m_table(table),
      m_action(action),
      m_tablePath(table.path()),
      m_memoPath(memoPath) {
    if (!m_table.lockWaiting(0, 0, File::LockKind::Exclusive)) {
        throw EngineError(failure("another program has the table open for writing"));
    }
    try {
        if (!m_memoPath.empty()) {
            m_memo = m_files.open(m_memoPath, File::Mode::ReadWrite);
            if (!m_memo->lockWaiting(0, 0, File::LockKind::Exclusive)) {
                throw EngineError(failure("another program has its memo file open for writing"));
            }
        }
        removeLeftovers();
        m_newTable = m_files.create(newPath(m_tablePath), m_tablePath);
        m_newTable->lock(0, 0, File::LockKind::Exclusive, failure("its new file is in use"));
        if (!m_memoPath.empty()) {
            m_newMemo = m_files.create(newPath(m_memoPath), m_memoPath);
            m_newMemo->lock(0, 0, File::LockKind::Exclusive,
                            failure("its new memo file is in use"));
        }
    } catch (...) {
        m_newTable.reset();
        m_newMemo.reset();
        try {
            removeLeftovers();
        } catch (const EngineError&) {
            // What could not be removed goes with the next replacement.
        }
        m_table.unlock(0, 0);
        throw;
    }
}

TableReplacement::~TableReplacement() {
    m_newTable.reset();
    m_newMemo.reset();
    if (!m_done && !m_keepReady) {
        try {
            removeLeftovers();
        } catch (const EngineError&) {
            // Left for the next replacement of the table to remove.
        }
    }
    m_table.unlock(0, 0);
}

std::string TableReplacement::failure(const std::string& why) const {
    return "Cannot " + m_action + " " + nameOf(m_tablePath) + ": " + why + ".";
}

void TableReplacement::removeLeftovers() const {
    for (const std::string& path : {m_tablePath, m_memoPath}) {
        if (path.empty()) continue;
        m_files.remove(newPath(path));
        m_files.remove(readyPath(path));
    }
}

TableReplacement::Backups TableReplacement::commit() {
    if (m_done) throw EngineError(failure("it has been replaced already"));
    try {
        if (m_newMemo) {
            m_newMemo->sync();
            m_files.rename(newPath(m_memoPath), readyPath(m_memoPath), false);
        }
        m_newTable->sync();
        m_files.rename(newPath(m_tablePath), readyPath(m_tablePath), false);
        m_files.syncFolder(folderOf(m_tablePath));
    } catch (const EngineError& error) {
        throw EngineError(std::string(error.what()) + " The table was not replaced.");
    }
    int number = 0;
    while (m_files.exists(backupPath(m_tablePath, number)) ||
           (!m_memoPath.empty() && m_files.exists(backupPath(m_memoPath, number)))) {
        ++number;
    }
    replace(number);
    m_done = true;
    return {backupPath(m_tablePath, number),
            m_memoPath.empty() ? std::string() : backupPath(m_memoPath, number)};
}

void TableReplacement::replace(int number) {
    std::vector<std::pair<std::string, std::string>> made;
    auto move = [&](const std::string& from, const std::string& to) {
        m_files.rename(from, to, false);
        made.emplace_back(from, to);
    };
    try {
        move(m_tablePath, backupPath(m_tablePath, number));
        if (!m_memoPath.empty()) {
            move(m_memoPath, backupPath(m_memoPath, number));
            move(readyPath(m_memoPath), m_memoPath);
        }
        move(readyPath(m_tablePath), m_tablePath);
    } catch (const EngineError& error) {
        try {
            for (auto step = made.rbegin(); step != made.rend(); ++step) {
                m_files.rename(step->second, step->first, false);
            }
        } catch (const EngineError&) {
            m_keepReady = true;
            throw EngineError(std::string(error.what()) +
                              " The replacement stopped half way; the next open of the table "
                              "finishes it.");
        }
        throw EngineError(std::string(error.what()) + " The table was not replaced.");
    }
    try {
        m_files.syncFolder(folderOf(m_tablePath));
    } catch (const EngineError&) {
        // The files are in place; only their durability through a crash of the machine is in
        // doubt, which no step here could change.
    }
}

bool finishInterruptedReplacement(const FileSystem& files, const std::string& tablePath) {
    const std::optional<std::string> ready =
        findBeside(files, tablePath, "." + nameOf(tablePath) + kReadySuffix);
    if (!ready || findBeside(files, tablePath, nameOf(tablePath))) return false;
    // The replacing process holds its new file locked for as long as it lives.
    std::unique_ptr<File> held = files.open(*ready, File::Mode::ReadWrite);
    if (!held->lockWaiting(0, 0, File::LockKind::Exclusive)) {
        throw EngineError("Cannot open " + nameOf(tablePath) +
                          ": another program is replacing the table; try again in a moment.");
    }
    const std::string table = finalPath(*ready);
    const std::string stem = fs::path(table).stem().string();
    for (const char* extension : {".dbt", ".fpt"}) {
        const std::optional<std::string> memoReady =
            findBeside(files, tablePath, "." + stem + extension + kReadySuffix);
        if (!memoReady) continue;
        const std::string memo = finalPath(*memoReady);
        if (files.exists(memo)) {
            int number = 0;
            while (files.exists(backupPath(memo, number))) ++number;
            files.rename(memo, backupPath(memo, number), false);
        }
        files.rename(*memoReady, memo, false);
    }
    files.rename(*ready, table, false);
    files.syncFolder(folderOf(table));
    return true;
}

}  // namespace engine::dbf
