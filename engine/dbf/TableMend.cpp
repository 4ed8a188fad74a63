// Which mends are made in place, and why: a process killed during one write leaves it made or not
// made, so a repair that is one small write changes the file in place, without a backup:
// - the header's count, record length and index flag, together: one write of header bytes 4 to
//   28, inside the header's first 32 bytes;
// - the end-of-file mark alone, when the file ends right after the last record: one byte added;
// - the memo header's next free block alone: four bytes.
// Anything more (memo pointers cleared, one write per record; the end cut off, a truncation and a
// write; any two of the above) writes the table anew beside the old one, and the memo file too
// when its header changes; the old files are kept as backups, and a kill leaves the old table or
// the new one.
#include "engine/dbf/TableMend.h"

#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/MemoBlocks.h"
#include "engine/dbf/TableCheck.h"

#include <algorithm>
#include <filesystem>

namespace engine::dbf {

namespace {

constexpr std::size_t kCopyBytes = 1024 * 1024;

std::string nameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// Releases the lock over the whole file however the repair ends.
class WholeFileLock {
public:
    WholeFileLock(File& file, const std::string& busy) : m_file(file) {
        if (!m_file.lockWaiting(0, 0, File::LockKind::Exclusive)) throw EngineError(busy);
    }
    ~WholeFileLock() { m_file.unlock(0, 0); }
    WholeFileLock(const WholeFileLock&) = delete;
    WholeFileLock& operator=(const WholeFileLock&) = delete;

private:
    File& m_file;
};

memoblocks::ByteOrder memoOrder(const std::string& memoPath) {
    std::string extension = std::filesystem::path(memoPath).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".fpt" ? memoblocks::ByteOrder::Big : memoblocks::ByteOrder::Little;
}

class Mender {
public:
    Mender(const std::string& path, const FileSystem& files, const Progress& progress)
        : m_path(path), m_files(files), m_progress(progress) {}

    MendOutcome run();

private:
    void applyToHeader(std::vector<std::uint8_t>& head) const;
    void writeHeaderInPlace(File& table) const;
    void writeMemoHeaderInPlace() const;
    void rewrite(File& table, MendOutcome& outcome) const;
    void copyRecords(const File& from, File& to) const;
    void copyMemo(File& to) const;
    std::string busy(const std::string& what) const {
        return "Cannot repair " + nameOf(m_path) + ": another program has " + what +
               " open for writing.";
    }

    const std::string& m_path;
    const FileSystem& m_files;
    const Progress& m_progress;
    TableFindings m_found;
};

MendOutcome Mender::run() {
    std::unique_ptr<File> table = m_files.open(m_path, File::Mode::ReadWrite);
    const WholeFileLock lock(*table, busy("the table"));
    m_found = findTableProblems(m_path, m_files, m_progress, true);
    const TableMends& mends = m_found.mends;
    MendOutcome outcome;
    if (!mends.any()) return outcome;
    if (!m_found.report.repairRefused.empty()) {
        throw EngineError("Cannot repair " + nameOf(m_path) + ": " + m_found.report.repairRefused +
                          ".");
    }
    for (const TableProblem& problem : m_found.report.problems) {
        if (problem.mendable()) outcome.mended.push_back(problem);
    }
    const bool header = mends.count || mends.recordLength || mends.clearIndexFlag;
    const bool markOnly = mends.rewriteEnd && table->size() == mends.endOfRecords;
    const int writes = int{header} + int{mends.rewriteEnd} + int{mends.memoNextFree.has_value()};
    if (writes == 1 && mends.clearPointers.empty() && (!mends.rewriteEnd || markOnly)) {
        if (header) {
            writeHeaderInPlace(*table);
        } else if (mends.rewriteEnd) {
            table->writeAt(mends.endOfRecords, &kEndOfFile, 1);
        } else {
            writeMemoHeaderInPlace();
        }
        return outcome;
    }
    rewrite(*table, outcome);
    return outcome;
}

// The count, record length and index flag as the mends leave them (dBASE II tables, whose header
// is laid out otherwise, are never repaired: they are read-only).
void Mender::applyToHeader(std::vector<std::uint8_t>& head) const {
    const TableMends& mends = m_found.mends;
    if (mends.count)
        base::storeLittle<std::uint32_t>(head.data() + kOffsetRecordCount, *mends.count);
    if (mends.recordLength) {
        base::storeLittle<std::uint16_t>(head.data() + kOffsetRecordLength, *mends.recordLength);
    }
    if (mends.clearIndexFlag) head[kOffsetIndexFlag] &= static_cast<std::uint8_t>(~kTableFlagIndex);
}

void Mender::writeHeaderInPlace(File& table) const {
    std::vector<std::uint8_t> head(kHeaderSize);
    table.readExactly(0, head.data(), head.size());
    applyToHeader(head);
    table.writeAt(kOffsetRecordCount, head.data() + kOffsetRecordCount,
                  kOffsetIndexFlag + 1 - kOffsetRecordCount);
}

void Mender::writeMemoHeaderInPlace() const {
    std::unique_ptr<File> memo = m_files.open(m_found.memoPath, File::Mode::ReadWrite);
    const WholeFileLock lock(*memo, busy("its memo file"));
    memoblocks::writeNextFree(*memo, memoOrder(m_found.memoPath), *m_found.mends.memoNextFree);
}

void Mender::rewrite(File& table, MendOutcome& outcome) const {
    const bool memo = m_found.mends.memoNextFree.has_value();
    TableReplacement replacement(m_files, table, memo ? m_found.memoPath : std::string(), "repair");
    std::vector<std::uint8_t> head(m_found.header.headerLength);
    table.readExactly(0, head.data(), head.size());
    applyToHeader(head);
    File& next = replacement.newTable();
    next.writeAt(0, head.data(), head.size());
    copyRecords(table, next);
    if (memo) copyMemo(*replacement.newMemo());
    outcome.backups = replacement.commit();
    outcome.rewritten = true;
}

// The records the mends leave, in blocks, with the dangling memo pointers blanked; then the end
// mark.
void Mender::copyRecords(const File& from, File& to) const {
    const TableHeader& header = m_found.header;
    const std::vector<TableMends::Pointer>& clear = m_found.mends.clearPointers;
    const std::uint64_t recordLength = header.recordLength;
    const std::uint64_t perBlock = std::max<std::uint64_t>(1, kCopyBytes / recordLength);
    const std::uint32_t records = m_found.records;
    auto nextClear = clear.begin();
    std::vector<std::uint8_t> block;
    for (std::uint64_t first = 0; first < records; first += perBlock) {
        const std::uint64_t count = std::min<std::uint64_t>(perBlock, records - first);
        const std::uint64_t at = header.headerLength + first * recordLength;
        block.resize(static_cast<std::size_t>(count * recordLength));
        from.readExactly(at, block.data(), block.size());
        for (; nextClear != clear.end() && nextClear->record < first + count; ++nextClear) {
            const FieldDescriptor& field = header.fields[nextClear->field];
            std::string blank;
            encodePointer(field.kind->pointer, 0, static_cast<std::size_t>(field.length), blank);
            std::copy(
                blank.begin(), blank.end(),
                block.begin() + static_cast<std::ptrdiff_t>(
                                    (nextClear->record - first) * recordLength + field.offset));
        }
        to.writeAt(at, block.data(), block.size());
        if (m_progress && !m_progress(static_cast<long>(first + count), records)) {
            throw EngineError("The repair of " + nameOf(m_path) +
                              " was cancelled; the table was left as it was.");
        }
    }
    to.writeAt(header.headerLength + std::uint64_t{records} * recordLength, &kEndOfFile, 1);
}

void Mender::copyMemo(File& to) const {
    std::unique_ptr<File> memo = m_files.open(m_found.memoPath, File::Mode::ReadOnly);
    const std::uint64_t size = memo->size();
    std::vector<std::uint8_t> block(kCopyBytes);
    for (std::uint64_t at = 0; at < size; at += block.size()) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBytes, size - at));
        memo->readExactly(at, block.data(), count);
        to.writeAt(at, block.data(), count);
    }
    memoblocks::writeNextFree(to, memoOrder(m_found.memoPath), *m_found.mends.memoNextFree);
}

}  // namespace

MendOutcome mendTable(const std::string& path, const FileSystem& files, const Progress& progress) {
    return Mender(path, files, progress).run();
}

}  // namespace engine::dbf
