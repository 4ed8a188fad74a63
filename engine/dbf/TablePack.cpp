// Pack (engine/TablePack.h): the live records and their memos copied into a table replacement.
#include "engine/TablePack.h"

#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/MemoStore.h"
#include "engine/dbf/TableOpen.h"
#include "engine/dbf/TableReplacement.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

namespace engine {

namespace {

using namespace dbf;

constexpr std::size_t kChunk = 1 << 20;

// Bytes written to a file one after another from an offset, in pieces of about a megabyte.
class SequentialWriter {
public:
    SequentialWriter(File& file, std::uint64_t offset) : m_file(file), m_offset(offset) {}

    void put(const std::uint8_t* bytes, std::size_t size) {
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
        if (m_buffer.size() >= kChunk) flush();
    }
    void flush() {
        if (m_buffer.empty()) return;
        m_file.writeAt(m_offset, m_buffer.data(), m_buffer.size());
        m_offset += m_buffer.size();
        m_buffer.clear();
    }

private:
    File& m_file;
    std::uint64_t m_offset;
    std::vector<std::uint8_t> m_buffer;
};

class Packer {
public:
    Packer(OpenedTable& table, TableReplacement& replacement, const Progress& progress)
        : m_table(table),
          m_header(table.header),
          m_progress(progress),
          m_records(replacement.newTable(), table.header.headerLength) {
        if (m_table.memo) {
            m_newMemo = replacement.newMemo();
            m_nextBlock = m_table.memo->firstBlock();
            m_memo.emplace(*m_newMemo, std::uint64_t{m_nextBlock} * m_table.memo->blockSize());
        }
    }

    [[noreturn]] void refuse(const std::string& why) const {
        throw EngineError("Cannot pack " + m_table.name + ": " + why + ".");
    }

    void run(File& newTable) {
        const std::size_t recordLength = m_header.recordLength;
        const std::uint32_t count = m_table.count;
        const std::uint32_t perChunk =
            static_cast<std::uint32_t>(std::max<std::size_t>(1, kChunk / recordLength));
        std::vector<std::uint8_t> chunk(std::size_t{perChunk} * recordLength);
        for (std::uint32_t first = 0; first < count; first += perChunk) {
            const std::uint32_t records = std::min(perChunk, count - first);
            m_table.file->readExactly(m_header.headerLength + std::uint64_t{first} * recordLength,
                                      chunk.data(), std::size_t{records} * recordLength);
            for (std::uint32_t i = 0; i < records; ++i) {
                std::uint8_t* record = chunk.data() + std::size_t{i} * recordLength;
                if (record[0] == kDeletedFlag) {
                    ++m_removed;
                } else {
                    copyMemos(record, first + i);
                    m_records.put(record, recordLength);
                    ++m_kept;
                }
                if (m_progress && !m_progress(first + i + 1, count)) refuse("it was cancelled");
            }
        }
        m_records.put(&kEndOfFile, 1);
        m_records.flush();
        std::vector<std::uint8_t> header(m_header.headerLength);
        m_table.file->readExactly(0, header.data(), header.size());
        base::storeLittle<std::uint32_t>(header.data() + kOffsetRecordCount, m_kept);
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        header[kOffsetUpdateDate] = static_cast<std::uint8_t>(std::clamp(local.tm_year, 0, 255));
        header[kOffsetUpdateDate + 1] = static_cast<std::uint8_t>(local.tm_mon + 1);
        header[kOffsetUpdateDate + 2] = static_cast<std::uint8_t>(local.tm_mday);
        newTable.writeAt(0, header.data(), header.size());
        if (m_newMemo != nullptr) {
            m_memo->flush();
            const std::vector<std::uint8_t> memoHeader = m_table.memo->freshHeader(m_nextBlock);
            m_newMemo->writeAt(0, memoHeader.data(), memoHeader.size());
        }
    }

    std::uint32_t kept() const { return m_kept; }
    std::uint32_t removed() const { return m_removed; }

private:
    // Copies the memos a live record points at into the new memo file and points the record at
    // the copies.
    void copyMemos(std::uint8_t* record, std::uint32_t physical) {
        for (std::size_t i = 0; i < m_header.fields.size(); ++i) {
            const FieldDescriptor& field = m_header.fields[i];
            const MemoPointer kind = field.kind->pointer;
            if (kind == MemoPointer::None) continue;
            const auto width = static_cast<std::size_t>(field.length);
            std::uint8_t* cell = record + field.offset;
            const std::string where = "record " + std::to_string(std::uint64_t{physical} + 1) +
                                      ", field " + m_table.fields[i].name;
            std::uint32_t block = 0;
            if (!decodePointer(kind, cell, width, block)) {
                refuse(where + ", holds no memo block number");
            }
            if (block == 0 || !m_table.memo) continue;
            MemoStore::ReadStatus status = m_table.memo->readStored(block, m_stored);
            if (const char* why = unreadableMemo(status)) {
                refuse("the memo of " + where + ", cannot be read whole (" + why + ")");
            }
            const std::uint32_t blockSize = m_table.memo->blockSize();
            const std::uint64_t blocks = (m_stored.size() + blockSize - 1) / blockSize;
            m_stored.resize(static_cast<std::size_t>(blocks * blockSize), 0);
            std::string pointer;
            if ((m_nextBlock + blocks) * blockSize > kMaxFileSize ||
                !encodePointer(kind, m_nextBlock, width, pointer)) {
                refuse("its memo file would grow past 2 GB");
            }
            std::copy(pointer.begin(), pointer.end(), cell);
            m_memo->put(m_stored.data(), m_stored.size());
            m_nextBlock += static_cast<std::uint32_t>(blocks);
        }
    }

    OpenedTable& m_table;
    const TableHeader& m_header;
    const Progress& m_progress;
    SequentialWriter m_records;
    File* m_newMemo = nullptr;
    std::optional<SequentialWriter> m_memo;
    std::uint32_t m_nextBlock = 0;
    std::vector<std::uint8_t> m_stored;
    std::uint32_t m_kept = 0;
    std::uint32_t m_removed = 0;
};

}  // namespace

bool holdsRecordsPastTheCount(const OpenedTable& table) {
    const std::uint64_t end =
        table.header.headerLength + std::uint64_t{table.count} * table.header.recordLength;
    if (table.file->size() < end + table.header.recordLength) return false;
    std::uint8_t flag = 0;
    table.file->readExactly(end, &flag, 1);
    return flag == kLiveFlag || flag == kDeletedFlag;
}

PackResult packTable(const std::string& tablePath, const dbf::FileSystem* files,
                     const Progress& progress) {
    const FileSystem& fileSystem = files != nullptr ? *files : diskFileSystem();
    const std::string prefix =
        "Cannot pack " + std::filesystem::path(tablePath).filename().string() + ": ";
    try {
        DbfOpenOptions options;
        options.fileSystem = &fileSystem;
        OpenedTable table = openTable(tablePath, options);
        if (!table.writable) {
            throw EngineError(
                prefix +
                (table.readOnlyReason.empty() ? "it cannot be written" : table.readOnlyReason) +
                ".");
        }
        if (holdsRecordsPastTheCount(table)) {
            throw EngineError(prefix +
                              "its file holds records past the count in its header, which a "
                              "pack would lose.");
        }
        TableReplacement replacement(fileSystem, *table.file,
                                     table.memo ? table.memo->path() : std::string(), "pack");
        Packer packer(table, replacement, progress);
        try {
            packer.run(replacement.newTable());
        } catch (const EngineError& error) {
            if (std::string(error.what()).rfind(prefix, 0) == 0) throw;
            throw EngineError(prefix + error.what() + " The table is unchanged.");
        }
        const TableReplacement::Backups backups = replacement.commit();
        return {packer.kept(), packer.removed(), backups.table, backups.memo};
    } catch (const EngineError& error) {
        if (std::string(error.what()).rfind(prefix, 0) == 0) throw;
        throw EngineError(prefix + error.what());
    }
}

}  // namespace engine
