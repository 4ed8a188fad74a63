#include "engine/dbf/DbfTable.h"

#include "base/AsciiCase.h"
#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/FieldCodec.h"
#include "engine/dbf/FileNames.h"
#include "engine/dbf/MemoStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace engine::dbf {

namespace {

constexpr std::size_t kScanBytes = 1024 * 1024;
constexpr const char* kLockedMessage = "Record is locked by another user.";

std::string hexByte(std::uint8_t byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

FieldType typeFor(char letter) {
    switch (letter) {
        case 'N':
            return FieldType::Numeric;
        case 'F':
            return FieldType::Float;
        case 'L':
            return FieldType::Logical;
        case 'D':
            return FieldType::Date;
        case 'M':
            return FieldType::Memo;
        case 'B':
            return FieldType::Binary;
        case 'G':
            return FieldType::General;
        default:
            return FieldType::Character;
    }
}

std::string quoted(const Value& value) {
    std::string text = value.toString();
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return value.kind() == Value::Kind::Text ? "\"" + text + "\"" : text;
}

}  // namespace

DbfTable::~DbfTable() = default;

std::unique_ptr<DbfTable> DbfTable::open(const std::string& path, const DbfOpenOptions& options) {
    std::unique_ptr<DbfTable> table(new DbfTable());
    table->m_path = path;
    table->m_name = std::filesystem::path(path).filename().string();
    table->m_writable = options.writable;

    const FileSystem& files = options.fileSystem ? *options.fileSystem : diskFileSystem();
    bool openWritable = options.writable;
    if (int error = openWritable ? files.writeAccess(path) : 0; error != 0 && error != ENOENT) {
        openWritable = false;
        table->makeReadOnly(
            "the file cannot be written (" + errorText(error) + ")",
            table->m_name + " cannot be written (" + errorText(error) + "); it is open read-only.");
    }
    table->m_file = files.open(path, openWritable ? File::Mode::ReadWrite : File::Mode::ReadOnly);

    std::uint64_t fileSize = table->m_file->size();
    std::vector<std::uint8_t> head(kHeaderSize);
    std::size_t got = table->m_file->readAt(0, head.data(), head.size());
    if (got == kHeaderSize) {
        std::size_t headerLength =
            base::loadLittle<std::uint16_t>(head.data() + kOffsetHeaderLength);
        if (headerLength > kHeaderSize) {
            head.resize(std::min<std::uint64_t>(headerLength, fileSize));
            got = table->m_file->readAt(0, head.data(), head.size());
        }
    }
    table->m_header = parseHeader(head.data(), got, fileSize, path, table->m_warnings);
    TableHeader& header = table->m_header;

    switch (header.versionInfo.support) {
        case VersionSupport::ReadOnly:
            table->makeReadOnly("it is a " + header.versionInfo.description,
                                table->m_name + " is a " + header.versionInfo.description +
                                    ", which this program opens read-only.");
            break;
        default:
            if (header.version == 0x7B) {
                table->m_warnings.push_back(table->m_name +
                                            " has the unusual version byte 0x7B; it was "
                                            "read as a dBASE IV table with memo.");
            }
            break;
    }
    if (header.incompleteTransaction) {
        table->makeReadOnly("an unfinished transaction is marked in its header",
                            "The header of " + table->m_name +
                                " marks an unfinished transaction; the table is open read-only.");
    }
    if (header.indexFlag && files.findCompanion(path, ".mdx")) {
        table->makeReadOnly("it has a production index (.mdx) that writing would make stale",
                            table->m_name +
                                " has a production index (.mdx) that this program does not "
                                "maintain; the table is open read-only so that the index stays "
                                "valid.");
    }

    table->chooseCodePage(options, files);
    table->buildFieldInfos();
    table->reconcileCount(fileSize);
    if (header.hasMemoFields()) table->openMemoFile(openWritable, files);

    table->m_cache.emplace(*table->m_file, header.headerLength, header.recordLength,
                           table->m_count);
    table->m_fieldWarned.assign(table->m_fields.size(), false);
    return table;
}

void DbfTable::makeReadOnly(const std::string& reason, const std::string& warning) {
    if (m_readOnlyReason.empty()) m_readOnlyReason = reason;
    m_writable = false;
    m_warnings.push_back(warning);
}

void DbfTable::chooseCodePage(const DbfOpenOptions& options, const FileSystem& files) {
    if (!options.encoding.empty()) {
        m_codePage = codePageFromUserName(options.encoding);
        m_codePageSource = "chosen when opening";
    } else if (auto cpg = files.findCompanion(m_path, ".cpg")) {
        std::string text(256, '\0');
        try {
            text.resize(
                files.open(*cpg, File::Mode::ReadOnly)->readAt(0, text.data(), text.size()));
        } catch (const EngineError&) {
            text.clear();
        }
        if (auto page = codePageFromCpg(text)) {
            m_codePage = *page;
            m_codePageSource = "from the .cpg file";
        } else {
            m_warnings.push_back("The .cpg file of " + m_name +
                                 " names no code page this program knows; it was ignored.");
        }
    }
    if (m_codePageSource.empty()) {
        if (auto page = codePageForLanguageDriver(m_header.languageDriver)) {
            m_codePage = *page;
            m_codePageSource = "from the language driver byte " + hexByte(m_header.languageDriver);
        } else {
            m_codePage = defaultCodePage();
            m_codePageSource = "the default";
            if (m_header.languageDriver != 0) {
                m_warnings.push_back("The language driver byte of " + m_name + " (" +
                                     hexByte(m_header.languageDriver) +
                                     ") names no known code page; text is read as code page " +
                                     m_codePage.name + ".");
            }
        }
    }
    std::string converter = m_codePage.converter;
    if (converter.empty()) {
        converter = m_codePage.number >= 10000 ? "MACINTOSH" : "CP437";
        makeReadOnly("its code page " + m_codePage.name + " cannot be converted here",
                     "Code page " + m_codePage.name + " of " + m_name +
                         " cannot be converted here; its text is shown as code page " + converter +
                         " (some letters will be wrong) and the table is open "
                         "read-only.");
    }
    m_codec = TextCodec::get(converter);
}

void DbfTable::buildFieldInfos() {
    m_fields.clear();
    for (std::size_t i = 0; i < m_header.fields.size(); ++i) {
        const FieldDescriptor& descriptor = m_header.fields[i];
        FieldInfo info;
        m_codec->decode(reinterpret_cast<const std::uint8_t*>(descriptor.rawName.data()),
                        descriptor.rawName.size(), info.name);
        while (!info.name.empty() && info.name.back() == ' ') info.name.pop_back();
        if (info.name.empty()) info.name = "F" + std::to_string(i + 1);
        // Duplicates get a suffix so that every field can be named.
        std::string base = info.name;
        for (int n = 2;; ++n) {
            bool taken = false;
            for (const FieldInfo& other : m_fields) {
                if (base::equalsIgnoringCase(other.name, info.name)) taken = true;
            }
            if (!taken) break;
            info.name = base + "_" + std::to_string(n);
        }
        info.typeLetter = descriptor.type;
        info.type = typeFor(descriptor.type);
        info.length = descriptor.length;
        info.decimals = descriptor.decimals;
        info.available = descriptor.type != 'B' && descriptor.type != 'G';
        m_fields.push_back(std::move(info));
    }
}

void DbfTable::reconcileCount(std::uint64_t fileSize) {
    const std::uint64_t headerLength = m_header.headerLength;
    const std::uint64_t recordLength = m_header.recordLength;
    const std::uint64_t declared = m_header.declaredCount;
    const std::uint64_t present = (fileSize - headerLength) / recordLength;
    if (declared > present) {
        m_count = static_cast<std::uint32_t>(present);
        makeReadOnly("the file is shorter than its header says",
                     m_name + " is shorter than its header says (" + std::to_string(declared) +
                         " records stated, " + std::to_string(present) +
                         " present); it may have been cut short. The records present are "
                         "shown and the table is open read-only.");
        return;
    }
    m_count = static_cast<std::uint32_t>(declared);
    std::uint64_t end = headerLength + declared * recordLength;
    if (end >= fileSize) {
        m_warnings.push_back(m_name + " has no end-of-file mark after its last record.");
        return;
    }
    std::vector<std::uint8_t> tail(
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize - end, 64 * 1024)));
    tail.resize(m_file->readAt(end, tail.data(), tail.size()));
    bool onlyMarkers =
        std::all_of(tail.begin(), tail.end(), [](std::uint8_t b) { return b == kEndOfFile; });
    if (onlyMarkers) return;
    bool moreRecords =
        present > declared && !tail.empty() && (tail[0] == kLiveFlag || tail[0] == kDeletedFlag);
    if (moreRecords && declared == 0) {
        m_count = static_cast<std::uint32_t>(present);
        makeReadOnly("its header's record count is 0 although it holds records",
                     "The header of " + m_name + " says it holds no records, but the file holds " +
                         std::to_string(present) + "; they are shown and the table is open " +
                         "read-only.");
    } else if (moreRecords) {
        m_warnings.push_back(m_name + " holds more records than its header counts (perhaps " +
                             "from an interrupted append); only the " + std::to_string(declared) +
                             " counted are shown.");
    } else {
        m_warnings.push_back(m_name + " has data after its last record; it was ignored.");
    }
}

void DbfTable::openMemoFile(bool writable, const FileSystem& files) {
    std::optional<std::string> memoPath = files.findCompanion(m_path, ".dbt");
    auto markUnavailable = [this] {
        for (FieldInfo& field : m_fields) {
            if (field.type == FieldType::Memo) field.available = false;
        }
    };
    if (!memoPath) {
        markUnavailable();
        makeReadOnly("its memo file is missing",
                     "The memo file of " + m_name + " (" +
                         std::filesystem::path(m_path).stem().string() +
                         ".dbt) is missing: memo fields are shown empty and the table is open "
                         "read-only.");
        return;
    }
    bool memoWritable = writable && m_writable && files.writeAccess(*memoPath) == 0;
    try {
        m_memo = openDbtMemo(
            files.open(*memoPath, memoWritable ? File::Mode::ReadWrite : File::Mode::ReadOnly),
            m_header.versionInfo.memoStyle);
    } catch (const EngineError& error) {
        markUnavailable();
        makeReadOnly("its memo file cannot be read", std::string(error.what()) +
                                                         " Memo fields are shown empty and the "
                                                         "table is open read-only.");
        return;
    }
    if (!memoWritable && m_writable) {
        makeReadOnly(
            "its memo file cannot be written",
            "The memo file " + *memoPath + " cannot be written; the table is open " + "read-only.");
    }
}

std::vector<std::uint32_t> DbfTable::deletedRecords() const {
    std::vector<std::uint32_t> deleted;
    const std::uint64_t recordLength = m_header.recordLength;
    const std::uint64_t perBlock = std::max<std::uint64_t>(1, kScanBytes / recordLength);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(perBlock * recordLength));
    bool oddFlags = false;
    for (std::uint64_t first = 0; first < m_count; first += perBlock) {
        std::uint64_t count = std::min<std::uint64_t>(perBlock, m_count - first);
        std::size_t bytes = static_cast<std::size_t>(count * recordLength);
        m_file->readExactly(recordOffset(static_cast<std::uint32_t>(first)), block.data(), bytes);
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint8_t flag = block[static_cast<std::size_t>(i * recordLength)];
            if (flag == kDeletedFlag) {
                deleted.push_back(static_cast<std::uint32_t>(first + i));
            } else if (flag != kLiveFlag) {
                oddFlags = true;
            }
        }
    }
    if (oddFlags && !m_flagsWarned) {
        m_flagsWarned = true;
        m_warnings.push_back("Some records of " + m_name +
                             " have an unusual deletion mark; they are shown as live records.");
    }
    return deleted;
}

std::uint64_t DbfTable::recordOffset(std::uint32_t physical) const {
    return m_header.headerLength + std::uint64_t{physical} * m_header.recordLength;
}

void DbfTable::warnBadValue(int field, std::uint32_t physical, const char* what) const {
    auto index = static_cast<std::size_t>(field);
    if (m_fieldWarned[index]) return;
    m_fieldWarned[index] = true;
    m_warnings.push_back("Field " + m_fields[index].name + " of " + m_name + " holds " + what +
                         " (first in record " + std::to_string(physical + 1) +
                         "); such values are shown empty.");
}

void DbfTable::decodeField(const std::uint8_t* record, std::uint32_t physical, int field,
                           Value& out) const {
    const FieldDescriptor& descriptor = m_header.fields[static_cast<std::size_t>(field)];
    const std::uint8_t* bytes = record + descriptor.offset;
    const auto width = static_cast<std::size_t>(descriptor.length);
    switch (descriptor.type) {
        case 'C':
            decodeCharacter(bytes, width, *m_codec, out);
            return;
        case 'N':
        case 'F':
            if (!decodeNumber(bytes, width, out))
                warnBadValue(field, physical, "values that are not numbers");
            return;
        case 'L':
            if (width == 0) {
                out.setNull();
            } else if (!decodeLogical(bytes[0], out)) {
                warnBadValue(field, physical, "values that are not logical values");
            }
            return;
        case 'D':
            if (!decodeDate(bytes, width, out))
                warnBadValue(field, physical, "values that are not valid dates");
            return;
        case 'M': {
            out.setNull();
            if (!m_fields[static_cast<std::size_t>(field)].available || !m_memo) return;
            std::uint32_t block = 0;
            if (!decodeMemoPointer(bytes, width, block)) {
                warnBadValue(field, physical, "memo pointers that are not block numbers");
                return;
            }
            if (block == 0) return;
            MemoStore::ReadStatus status = m_memo->read(block, m_memoBytes);
            switch (status) {
                case MemoStore::ReadStatus::PastEnd:
                case MemoStore::ReadStatus::InHeader:
                    warnBadValue(field, physical, "memo pointers past the end of the memo file");
                    return;
                case MemoStore::ReadStatus::Cut:
                    warnBadValue(field, physical, "memos cut short by the end of the memo file");
                    break;
                case MemoStore::ReadStatus::NotIvStyle:
                    warnBadValue(field, physical, "memos without their dBASE IV block header");
                    break;
                case MemoStore::ReadStatus::Ok:
                    break;
            }
            if (!m_memoBytes.empty()) {
                m_codec->decode(reinterpret_cast<const std::uint8_t*>(m_memoBytes.data()),
                                m_memoBytes.size(), out.assignText());
            }
            return;
        }
        default:  // B and G: recognised, never read
            out.setNull();
            return;
    }
}

void DbfTable::readRecord(std::uint32_t physical, std::vector<Value>& values) const {
    const std::uint8_t* record = m_cache->record(physical);
    values.resize(m_fields.size());
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        decodeField(record, physical, static_cast<int>(i), values[i]);
    }
}

Value DbfTable::readField(std::uint32_t physical, int field) const {
    Value value;
    readFieldInto(physical, field, value);
    return value;
}

void DbfTable::readFieldInto(std::uint32_t physical, int field, Value& out) const {
    if (field < 0 || static_cast<std::size_t>(field) >= m_fields.size()) {
        throw EngineError("Field number " + std::to_string(field) + " does not exist in " + m_path +
                          ".");
    }
    decodeField(m_cache->record(physical), physical, field, out);
}

void DbfTable::refuseValue(int field, const Value& value, const std::string& why) const {
    const FieldInfo& info = m_fields[static_cast<std::size_t>(field)];
    throw EngineError("Cannot store " + quoted(value) + " in field " + info.name + ": " + why +
                      ".");
}

Value DbfTable::prepareValue(int field, const Value& value) const {
    if (field < 0 || static_cast<std::size_t>(field) >= m_fields.size()) {
        throw EngineError("Field number " + std::to_string(field) + " does not exist in " + m_path +
                          ".");
    }
    const FieldInfo& info = m_fields[static_cast<std::size_t>(field)];
    std::string reason;
    Value prepared;
    switch (info.typeLetter) {
        case 'N':
        case 'F': {
            if (!toNumberValue(value, prepared, reason)) refuseValue(field, value, reason);
            if (prepared.isNull()) return prepared;
            std::string text;
            if (!formatNumber(prepared, info.length, info.decimals, text, reason)) {
                refuseValue(field, value,
                            reason + " (" + std::string(1, info.typeLetter) + "(" +
                                std::to_string(info.length) + "," + std::to_string(info.decimals) +
                                "))");
            }
            // The pending value is what will be stored, rounded to the field's decimals.
            Value stored;
            decodeNumber(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), stored);
            return stored;
        }
        case 'L':
            if (!toLogicalValue(value, prepared, reason)) refuseValue(field, value, reason);
            return prepared;
        case 'D':
            if (!toDateValue(value, prepared, reason)) refuseValue(field, value, reason);
            return prepared;
        case 'B':
        case 'G':
            refuseValue(field, value,
                        "the field holds binary data, which this program cannot "
                        "change");
        default: {
            prepared = toTextValue(value);
            if (prepared.isNull() || prepared.asText().empty()) return Value();
            std::string bytes;
            char32_t bad = 0;
            if (!m_codec->encode(prepared.asText(), bytes, bad)) {
                refuseValue(field, value,
                            "the character " + describeCharacter(bad) +
                                " does not exist in the table's code page " + m_codePage.name);
            }
            if (info.typeLetter == 'M') {
                if (m_memo && !m_memo->canHold(bytes)) {
                    refuseValue(field, value, "dBASE III memos cannot hold the character U+001A");
                }
            } else if (bytes.size() > static_cast<std::size_t>(info.length)) {
                refuseValue(field, value,
                            "it takes " + std::to_string(bytes.size()) + " bytes in code page " +
                                m_codePage.name + " and the field holds " +
                                std::to_string(info.length));
            }
            return prepared;
        }
    }
}

std::string DbfTable::encodeField(int field, const Value& prepared) const {
    const FieldInfo& info = m_fields[static_cast<std::size_t>(field)];
    const auto width = static_cast<std::size_t>(info.length);
    std::string bytes;
    std::string reason;
    if (prepared.isNull()) return std::string(width, ' ');
    switch (info.typeLetter) {
        case 'N':
        case 'F':
            if (!formatNumber(prepared, info.length, info.decimals, bytes, reason)) {
                refuseValue(field, prepared, reason);
            }
            return bytes;
        case 'L':
            bytes.assign(width, ' ');
            if (width > 0) bytes[0] = prepared.asBoolean() ? 'T' : 'F';
            return bytes;
        case 'D':
            bytes.assign(width, ' ');
            if (width >= 8)
                formatDate(prepared.asDate(), reinterpret_cast<std::uint8_t*>(bytes.data()));
            return bytes;
        default: {
            char32_t bad = 0;
            if (!m_codec->encode(prepared.asText(), bytes, bad) || bytes.size() > width) {
                refuseValue(field, prepared, "it does not fit the field");
            }
            bytes.resize(width, ' ');
            return bytes;
        }
    }
}

std::string DbfTable::storeMemo(int field, const Value& prepared) {
    const auto width = static_cast<std::size_t>(m_fields[static_cast<std::size_t>(field)].length);
    if (prepared.isNull() || prepared.asText().empty()) return std::string(width, ' ');
    std::string bytes;
    char32_t bad = 0;
    if (!m_codec->encode(prepared.asText(), bytes, bad)) {
        refuseValue(field, prepared, "it does not fit the table's code page");
    }
    std::string pointer = std::to_string(m_memo->append(bytes, MemoStore::Content::Text));
    if (pointer.size() > width) refuseValue(field, prepared, "the memo file is too large");
    return std::string(width - pointer.size(), ' ') + pointer;
}

void DbfTable::requireWritable() const {
    if (m_writable) return;
    std::string message = "Cannot update " + m_name + ": the table is open read-only";
    if (!m_readOnlyReason.empty()) message += " (" + m_readOnlyReason + ")";
    throw EngineError(message + ".");
}

void DbfTable::updateRecord(std::uint32_t physical, const Assignments& assigned) {
    requireWritable();
    if (physical >= m_count) {
        throw EngineError("Record " + std::to_string(physical + 1) + " of " + m_path +
                          " does not exist.");
    }
    // Encode everything that can fail before the first byte is written.
    std::vector<std::pair<int, std::string>> writes;
    std::vector<std::pair<int, const Value*>> memos;
    for (const auto& [field, value] : assigned) {
        if (m_header.fields[static_cast<std::size_t>(field)].type == 'M') {
            memos.emplace_back(field, &value);
        } else {
            writes.emplace_back(field, encodeField(field, value));
        }
    }
    ByteLock lock(*m_file, recordLockOffset(physical), kLockedMessage);
    // The record as it is now, under the lock, with the new fields put in: the bytes from the
    // first changed field to the end of the last go out in one write, so that a failing write
    // leaves the record whole, old or new.
    std::vector<std::uint8_t> record(m_header.recordLength);
    m_file->readExactly(recordOffset(physical), record.data(), record.size());
    if (record[0] == kDeletedFlag) throw EngineError("Record is deleted.");
    for (const auto& [field, value] : memos) writes.emplace_back(field, storeMemo(field, *value));
    if (writes.empty()) return;
    std::size_t first = record.size(), end = 0;
    for (const auto& [field, bytes] : writes) {
        std::size_t offset = m_header.fields[static_cast<std::size_t>(field)].offset;
        std::copy(bytes.begin(), bytes.end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
        first = std::min(first, offset);
        end = std::max(end, offset + bytes.size());
    }
    m_file->writeAt(recordOffset(physical) + first, record.data() + first, end - first);
    m_cache->patch(physical, first, record.data() + first, end - first);
}

std::uint32_t DbfTable::appendRecord(const Assignments& assigned) {
    requireWritable();
    const std::size_t recordLength = m_header.recordLength;
    std::vector<std::uint8_t> record(recordLength + 1, ' ');
    record[recordLength] = kEndOfFile;
    std::vector<std::pair<int, const Value*>> memos;
    for (const auto& [field, value] : assigned) {
        const FieldDescriptor& descriptor = m_header.fields[static_cast<std::size_t>(field)];
        if (descriptor.type == 'M') {
            memos.emplace_back(field, &value);
            continue;
        }
        std::string bytes = encodeField(field, value);
        std::copy(bytes.begin(), bytes.end(),
                  record.begin() + static_cast<std::ptrdiff_t>(descriptor.offset));
    }

    ByteLock lock(*m_file, kHeaderLockOffset, kLockedMessage);
    std::uint8_t countBytes[4];
    m_file->readExactly(kOffsetRecordCount, countBytes, sizeof countBytes);
    std::uint32_t slot = base::loadLittle<std::uint32_t>(countBytes);
    if (slot < m_count) {
        throw EngineError("Cannot add a record to " + m_path + ": another program removed " +
                          "records from the table since it was opened; open it again.");
    }
    std::uint64_t end = recordOffset(slot) + recordLength + 1;
    if (end > kMaxFileSize || slot == 0xFFFF'FFFFu) {
        throw EngineError("Cannot add a record to " + m_path + ": the table would grow past 2 GB.");
    }
    for (const auto& [field, value] : memos) {
        std::string pointer = storeMemo(field, *value);
        std::size_t offset = m_header.fields[static_cast<std::size_t>(field)].offset;
        std::copy(pointer.begin(), pointer.end(),
                  record.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    // The record and the end mark first, the count after: a process killed in between leaves a
    // table whose header still describes whole records.
    m_file->writeAt(recordOffset(slot), record.data(), record.size());

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::uint8_t update[7];
    update[0] = static_cast<std::uint8_t>(std::clamp(local.tm_year, 0, 255));
    update[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    update[2] = static_cast<std::uint8_t>(local.tm_mday);
    base::storeLittle<std::uint32_t>(update + 3, slot + 1);
    m_file->writeAt(kOffsetUpdateDate, update, sizeof update);

    m_count = slot + 1;
    m_cache->setCount(m_count);
    m_cache->drop();
    return slot;
}

void DbfTable::deleteRecord(std::uint32_t physical) {
    requireWritable();
    if (physical >= m_count) {
        throw EngineError("Record " + std::to_string(physical + 1) + " of " + m_path +
                          " does not exist.");
    }
    ByteLock lock(*m_file, recordLockOffset(physical), kLockedMessage);
    const std::uint8_t flag = kDeletedFlag;
    m_file->writeAt(recordOffset(physical), &flag, 1);
    m_cache->patch(physical, 0, &flag, 1);
}

std::vector<std::string> DbfTable::files() const {
    if (m_memo) return {m_path, m_memo->path()};
    return {m_path, std::filesystem::path(m_path).replace_extension(".dbt").string()};
}

std::vector<std::pair<std::string, std::string>> DbfTable::properties() const {
    std::vector<std::pair<std::string, std::string>> out;
    out.emplace_back("Format", m_header.versionInfo.description + " (version byte " +
                                   hexByte(m_header.version) + ")");
    out.emplace_back("Code page", m_codePage.name + ", " + m_codePageSource);
    std::string updated = "unknown";
    if (m_header.updateYear != 0) {
        DateTime date;
        date.year = m_header.updateYear;
        date.month = m_header.updateMonth;
        date.day = m_header.updateDay;
        updated = date.toIsoString();
    }
    out.emplace_back("Last update", updated);
    out.emplace_back("Record length", std::to_string(m_header.recordLength) + " bytes");
    out.emplace_back("Header length", std::to_string(m_header.headerLength) + " bytes");
    if (m_memo) {
        out.emplace_back("Memo file", m_memo->path() + " (" + m_memo->description() + ")");
    }
    out.emplace_back("Access", m_writable ? "read and write"
                                          : (m_readOnlyReason.empty()
                                                 ? std::string("read-only (opened for reading)")
                                                 : "read-only: " + m_readOnlyReason));
    return out;
}

}  // namespace engine::dbf
