// Marking and converting a table's code page (engine/TableCodePage.h).
#include "engine/TableCodePage.h"

#include "engine/EngineError.h"
#include "engine/TablePack.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/MemoStore.h"
#include "engine/dbf/RecordCells.h"
#include "engine/dbf/TableOpen.h"
#include "engine/dbf/TableReplacement.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

namespace engine {

namespace {

using namespace dbf;

constexpr std::size_t kChunk = 1 << 20;

// How a table is marked as being in a code page.
struct Marking {
    std::uint8_t driver = 0;
    bool cpg = false;  // a .cpg file is written
    std::string cpgPath;
    std::string cpgText;
    std::string description;
};

Marking markingFor(const OpenedTable& table, const CodePage& page, const FileSystem& files) {
    Marking marking;
    marking.driver = languageDriverMarking(page.number);
    const std::optional<std::string> existing = files.findCompanion(table.path, ".cpg");
    marking.cpg = marking.driver == 0 || existing.has_value();
    if (marking.driver != 0) {
        static const char* kHex = "0123456789ABCDEF";
        marking.description = std::string("language driver byte 0x") + kHex[marking.driver >> 4] +
                              kHex[marking.driver & 0xF];
    }
    if (marking.cpg) {
        std::filesystem::path path(table.path);
        marking.cpgPath = existing ? *existing : path.replace_extension(".cpg").string();
        marking.cpgText = userNameOf(page);
        if (!marking.description.empty()) marking.description += " and ";
        marking.description += std::filesystem::path(marking.cpgPath).filename().string() + " (" +
                               marking.cpgText + ")";
    }
    return marking;
}

// The .cpg file written whole under a temporary name, then given its own.
void writeCpg(const FileSystem& files, const std::string& tablePath, const Marking& marking) {
    const std::filesystem::path path(marking.cpgPath);
    const std::string temporary =
        (path.parent_path() / ("." + path.filename().string() + ".new")).string();
    files.remove(temporary);
    {
        std::unique_ptr<File> file = files.create(temporary, tablePath);
        file->writeAt(0, marking.cpgText.data(), marking.cpgText.size());
        file->sync();
    }
    files.rename(temporary, marking.cpgPath, true);
    files.syncFolder(path.parent_path().string());
}

// The header's bytes from the language driver byte on, marked: the byte, and a dBASE 7 driver
// name cleared.
std::vector<std::uint8_t> markedHeaderBytes(const OpenedTable& table, std::uint8_t driver) {
    const std::size_t nameAt = table.header.versionInfo.layout.driverNameAt;
    std::size_t end = kOffsetLanguageDriver + 1;
    if (nameAt != 0 && table.header.headerLength >= nameAt + kDbase7DriverNameSize) {
        end = nameAt + kDbase7DriverNameSize;
    }
    std::vector<std::uint8_t> bytes(end - kOffsetLanguageDriver);
    table.file->readExactly(kOffsetLanguageDriver, bytes.data(), bytes.size());
    bytes[0] = driver;
    if (end > kOffsetLanguageDriver + 1) {
        std::fill(bytes.end() - static_cast<long>(kDbase7DriverNameSize), bytes.end(), 0);
    }
    return bytes;
}

// Opens the table for changing it, refusing one read-only for a reason of its own or that
// cannot be written.
OpenedTable openForChange(const std::string& path, const FileSystem& files,
                          const std::string& encoding) {
    DbfOpenOptions options;
    options.fileSystem = &files;
    options.encoding = encoding;
    OpenedTable table = openTable(path, options);
    if (!table.ownReadOnlyReason.empty()) throw EngineError(table.ownReadOnlyReason + ".");
    if (!table.writable) {
        throw EngineError(
            (table.readOnlyReason.empty() ? "it cannot be written" : table.readOnlyReason) + ".");
    }
    if (holdsRecordsPastTheCount(table)) {
        throw EngineError("its file holds records past the count in its header; repair it first.");
    }
    return table;
}

bool ascii(const std::uint8_t* bytes, std::size_t size) {
    return std::all_of(bytes, bytes + size, [](std::uint8_t b) { return b < 0x80; });
}

// Re-encodes the records' text: checking only (no new files), or writing the new table.
class Converter {
public:
    Converter(OpenedTable& table, const CodePage& to)
        : m_table(table), m_to(to), m_toCodec(TextCodec::get(to.converter)) {
        m_from.codec = table.codec.get();
        m_from.codePageName = &table.codePage.name;
        m_from.memo = table.memo.get();
        m_from.memoBytes = &m_memoBytes;
        m_toContext.codec = m_toCodec.get();
        m_toContext.codePageName = &m_to.name;
        m_toContext.memo = table.memo.get();  // the same format: for canHold
        m_toContext.memoBytes = &m_memoBytes;
    }

    // newTable null: the first pass, which only checks.
    void run(File* newTable, MemoStore* newMemo, const Progress& progress, std::uint32_t done) {
        m_writing = newTable != nullptr;
        m_newMemo = newMemo;
        m_changed = 0;
        const TableHeader& header = m_table.header;
        const std::size_t length = header.recordLength;
        const std::uint32_t count = m_table.count;
        const auto perChunk = static_cast<std::uint32_t>(std::max<std::size_t>(1, kChunk / length));
        std::vector<std::uint8_t> chunk(std::size_t{perChunk} * length);
        for (std::uint32_t first = 0; first < count; first += perChunk) {
            const std::uint32_t records = std::min(perChunk, count - first);
            const std::size_t size = std::size_t{records} * length;
            const std::uint64_t at = header.headerLength + std::uint64_t{first} * length;
            m_table.file->readExactly(at, chunk.data(), size);
            for (std::uint32_t i = 0; i < records; ++i) {
                convertRecord(chunk.data() + std::size_t{i} * length, first + i);
                if (progress && !progress(done + first + i + 1, 2 * std::uint64_t{count})) {
                    throw EngineError("it was cancelled.");
                }
            }
            if (newTable != nullptr) newTable->writeAt(at, chunk.data(), size);
        }
        if (newTable == nullptr) return;
        newTable->writeAt(header.headerLength + std::uint64_t{count} * length, &kEndOfFile, 1);
        std::vector<std::uint8_t> head(header.headerLength);
        m_table.file->readExactly(0, head.data(), head.size());
        newTable->writeAt(0, head.data(), head.size());
    }

    std::uint32_t changed() const { return m_changed; }

private:
    void convertRecord(std::uint8_t* record, std::uint32_t physical) {
        const TableHeader& header = m_table.header;
        for (std::size_t i = 0; i < header.fields.size(); ++i) {
            const FieldDescriptor& field = header.fields[i];
            const FieldKind& kind = *field.kind;
            if (!kind.readable || (kind.traits & (kBinaryValue | kBinaryVariant)) != 0) continue;
            m_where = "record " + std::to_string(std::uint64_t{physical} + 1) + ", field " +
                      m_table.fields[i].name;
            if (kind.pointer != MemoPointer::None) {
                if (kind.shownAs == FieldType::Memo) convertMemo(field, record);
            } else if (kind.shownAs == FieldType::Character || kind.shownAs == FieldType::Varchar) {
                convertText(field, record);
            }
        }
    }

    void convertText(const FieldDescriptor& field, std::uint8_t* record) {
        const std::uint8_t* cell = record + field.offset;
        const auto width = static_cast<std::size_t>(field.length);
        if (ascii(cell, width)) return;
        Value value, prepared;
        decodeCell(m_table.header, field, record, m_from, value);
        if (value.isNull()) return;
        std::string reason, bytes;
        if (!field.kind->prepare(field, m_toContext, value, prepared, reason) ||
            !field.kind->encode(field, m_toContext, prepared, bytes, reason)) {
            throw EngineError(m_where + ": " + reason + ".");
        }
        // Placed in a copy first: a varying-length cell's length byte and bit change with it.
        const std::size_t length = m_table.header.recordLength;
        m_record.assign(record, record + length);
        placeCell(m_table.header, field, bytes, prepared.isNull(), m_record.data());
        if (std::equal(m_record.begin(), m_record.end(), record)) return;
        ++m_changed;
        if (m_writing) std::copy(m_record.begin(), m_record.end(), record);
    }

    void convertMemo(const FieldDescriptor& field, std::uint8_t* record) {
        std::uint8_t* cell = record + field.offset;
        const auto width = static_cast<std::size_t>(field.length);
        std::uint32_t block = 0;
        if (!decodePointer(field.kind->pointer, cell, width, block) || block == 0 ||
            !m_table.memo) {
            return;
        }
        std::string& raw = m_memoBytes;
        if (const char* why = unreadableMemo(m_table.memo->read(block, raw))) {
            throw EngineError("the memo of " + m_where + " cannot be read whole (" + why +
                              "); repair the table first.");
        }
        if (ascii(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size())) return;
        std::string text, bytes;
        m_table.codec->decode(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size(), text);
        char32_t bad = 0;
        if (!m_toCodec->encode(text, bytes, bad)) {
            throw EngineError(m_where + ": the character " + describeCharacter(bad) +
                              " does not exist in code page " + m_to.name + ".");
        }
        if (!m_table.memo->canHold(bytes)) {
            throw EngineError(m_where + ": dBASE III memos cannot hold the character U+001A.");
        }
        if (bytes == raw) return;
        ++m_changed;
        if (!m_writing || m_newMemo == nullptr) return;
        std::string pointer;
        if (!encodePointer(field.kind->pointer, m_newMemo->append(bytes, MemoStore::Content::Text),
                           width, pointer)) {
            throw EngineError("its memo file would grow past 2 GB.");
        }
        std::copy(pointer.begin(), pointer.end(), cell);
    }

    OpenedTable& m_table;
    CodePage m_to;
    std::shared_ptr<const TextCodec> m_toCodec;
    CellContext m_from;
    CellContext m_toContext;
    std::string m_memoBytes;
    std::vector<std::uint8_t> m_record;
    std::string m_where;
    MemoStore* m_newMemo = nullptr;
    bool m_writing = false;
    std::uint32_t m_changed = 0;
};

// The replacement's new memo file, for a memo store that appends to it. The file is known to
// this conversion alone and locked by the replacement: the store's locks are granted as they
// stand, and never release the replacement's.
class NewFileView final : public File {
public:
    explicit NewFileView(File& file) : m_file(file) {}
    const std::string& path() const override { return m_file.path(); }
    std::uint64_t size() const override { return m_file.size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const override {
        return m_file.readAt(offset, buffer, size);
    }
    void writeAt(std::uint64_t offset, const void* buffer, std::size_t size) override {
        m_file.writeAt(offset, buffer, size);
    }
    void truncate(std::uint64_t size) override { m_file.truncate(size); }
    void sync() override { m_file.sync(); }
    void unlock(std::uint64_t, std::uint64_t) override {}

protected:
    bool tryLock(std::uint64_t, std::uint64_t, LockKind) override { return true; }

private:
    File& m_file;
};

// Copies the old memo file whole into the new one and opens it for appending.
std::unique_ptr<MemoStore> copyMemo(const FileSystem& files, const OpenedTable& table,
                                    File& newMemo) {
    std::unique_ptr<File> old = files.open(table.memo->path(), File::Mode::ReadOnly);
    std::vector<std::uint8_t> buffer(kChunk);
    const std::uint64_t size = old->size();
    for (std::uint64_t at = 0; at < size; at += buffer.size()) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - at));
        old->readExactly(at, buffer.data(), piece);
        newMemo.writeAt(at, buffer.data(), piece);
    }
    auto file = std::make_unique<NewFileView>(newMemo);
    const MemoStyle style = table.header.versionInfo.memoStyle;
    return style == MemoStyle::Fpt ? openFptMemo(std::move(file))
                                   : openDbtMemo(std::move(file), style);
}

std::string tableName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

CodePageResult markCodePage(const std::string& tablePath, const std::string& codePage,
                            const dbf::FileSystem* files) {
    const FileSystem& fileSystem = files != nullptr ? *files : diskFileSystem();
    const std::string prefix = "Cannot change the code page of " + tableName(tablePath) + ": ";
    try {
        const CodePage page = codePageFromUserName(codePage);
        // Read as UTF-8, so that a code page this system cannot convert does not keep it
        // read-only: nothing is decoded.
        OpenedTable table = openForChange(tablePath, fileSystem, "UTF-8");
        const Marking marking = markingFor(table, page, fileSystem);
        {
            ByteLock lock(*table.file, kHeaderLockOffset,
                          "another program is changing the table's header.");
            if (marking.cpg) writeCpg(fileSystem, tablePath, marking);
            const std::vector<std::uint8_t> bytes = markedHeaderBytes(table, marking.driver);
            table.file->writeAt(kOffsetLanguageDriver, bytes.data(), bytes.size());
        }
        CodePageResult result;
        result.codePage = page.name;
        result.marking = marking.description;
        return result;
    } catch (const EngineError& error) {
        if (std::string(error.what()).rfind(prefix, 0) == 0) throw;
        throw EngineError(prefix + error.what());
    }
}

CodePageResult convertCodePage(const std::string& tablePath, const std::string& from,
                               const std::string& codePage, const dbf::FileSystem* files,
                               const Progress& progress) {
    const FileSystem& fileSystem = files != nullptr ? *files : diskFileSystem();
    const std::string prefix = "Cannot convert " + tableName(tablePath) + ": ";
    CodePageResult result;
    try {
        const CodePage page = codePageFromUserName(codePage);
        OpenedTable table = openForChange(tablePath, fileSystem, from);
        const Marking marking = markingFor(table, page, fileSystem);
        Converter converter(table, page);
        converter.run(nullptr, nullptr, progress, 0);
        TableReplacement replacement(fileSystem, *table.file,
                                     table.memo ? table.memo->path() : std::string(), "convert");
        std::unique_ptr<MemoStore> newMemo;
        if (table.memo) newMemo = copyMemo(fileSystem, table, *replacement.newMemo());
        converter.run(&replacement.newTable(), newMemo.get(), progress, table.count);
        const std::vector<std::uint8_t> bytes = markedHeaderBytes(table, marking.driver);
        replacement.newTable().writeAt(kOffsetLanguageDriver, bytes.data(), bytes.size());
        newMemo.reset();
        const TableReplacement::Backups backups = replacement.commit();
        result.codePage = page.name;
        result.marking = marking.description;
        result.changedValues = converter.changed();
        result.tableBackup = backups.table;
        result.memoBackup = backups.memo;
        if (marking.cpg) {
            try {
                writeCpg(fileSystem, tablePath, marking);
            } catch (const EngineError& error) {
                throw EngineError(prefix + "the table was converted (its old files are kept as " +
                                  backups.table + ") but " + marking.cpgPath +
                                  " could not be written: " + error.what());
            }
        }
        return result;
    } catch (const EngineError& error) {
        if (std::string(error.what()).rfind(prefix, 0) == 0) throw;
        throw EngineError(prefix + error.what());
    }
}

}  // namespace engine
