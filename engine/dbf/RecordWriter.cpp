#include "engine/dbf/RecordWriter.h"

#include "base/Endian.h"
#include "engine/EngineError.h"
#include "engine/dbf/RecordCells.h"

#include <algorithm>
#include <ctime>

namespace engine::dbf {

namespace {

constexpr const char* kLockedMessage = "Record is locked by another user.";
// The numbers an autoincrement field can take: those of a dBASE 7 long integer, and of a Visual
// FoxPro integer.
constexpr std::uint32_t kAutoincrementLimit = 2'147'483'647;

std::string quoted(const Value& value) {
    std::string text = value.toString();
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return value.kind() == Value::Kind::Text ? "\"" + text + "\"" : text;
}

}  // namespace

void RecordWriter::refuse(int field, const Value& value, const std::string& why) const {
    const FieldInfo& info = m_table.fields[static_cast<std::size_t>(field)];
    throw EngineError("Cannot store " + quoted(value) + " in field " + info.name + ": " + why +
                      ".");
}

Value RecordWriter::prepare(int field, const Value& value) const {
    if (field < 0 || static_cast<std::size_t>(field) >= m_table.fields.size()) {
        throw EngineError("Field number " + std::to_string(field) + " does not exist in " +
                          m_table.path + ".");
    }
    const FieldDescriptor& descriptor = m_table.header.fields[static_cast<std::size_t>(field)];
    Value prepared;
    std::string reason;
    if (!descriptor.kind->prepare(descriptor, m_context, value, prepared, reason)) {
        refuse(field, value, reason);
    }
    const bool blank =
        prepared.isNull() || (prepared.kind() == Value::Kind::Text &&
                              prepared.asText().find_first_not_of(' ') == std::string::npos);
    if (descriptor.required && blank) refuse(field, value, "the field is required");
    return prepared;
}

void RecordWriter::requireAssignable(const Assignments& assigned) const {
    for (const auto& [field, value] : assigned) {
        if (field < 0 || static_cast<std::size_t>(field) >= m_table.fields.size()) {
            throw EngineError("Field number " + std::to_string(field) + " does not exist in " +
                              m_table.path + ".");
        }
        if (!m_table.fields[static_cast<std::size_t>(field)].editable) {
            const FieldDescriptor& descriptor =
                m_table.header.fields[static_cast<std::size_t>(field)];
            refuse(field, value,
                   descriptor.autoincrement ? "the table numbers this field itself"
                                            : "the field holds binary data, which this program "
                                              "cannot change");
        }
    }
}

bool RecordWriter::isMemo(int field) const {
    const FieldKind& kind = *m_table.header.fields[static_cast<std::size_t>(field)].kind;
    return kind.pointer != MemoPointer::None && kind.readable;
}

std::string RecordWriter::encode(int field, const Value& prepared) const {
    const FieldDescriptor& descriptor = m_table.header.fields[static_cast<std::size_t>(field)];
    std::string bytes;
    std::string reason;
    if (!descriptor.kind->encode(descriptor, m_context, prepared, bytes, reason)) {
        refuse(field, prepared, reason);
    }
    return bytes;
}

std::string RecordWriter::storeMemo(int field, const Value& prepared) {
    const FieldDescriptor& descriptor = m_table.header.fields[static_cast<std::size_t>(field)];
    const auto width = static_cast<std::size_t>(descriptor.length);
    std::uint32_t block = 0;
    if (!prepared.isNull() && !prepared.asText().empty()) {
        std::string bytes;
        char32_t bad = 0;
        if (!m_table.codec->encode(prepared.asText(), bytes, bad)) {
            refuse(field, prepared, "it does not fit the table's code page");
        }
        block = m_table.memo->append(bytes, MemoStore::Content::Text);
    }
    std::string pointer;
    if (!encodePointer(descriptor.kind->pointer, block, width, pointer)) {
        refuse(field, prepared, "the memo file is too large");
    }
    return pointer;
}

void RecordWriter::requireWritable() const {
    if (m_table.writable) return;
    std::string message = "Cannot update " + m_table.name + ": the table is open read-only";
    if (!m_table.readOnlyReason.empty()) message += " (" + m_table.readOnlyReason + ")";
    throw EngineError(message + ".");
}

void RecordWriter::requireRecord(std::uint32_t physical) const {
    if (physical >= m_table.count) {
        throw EngineError("Record " + std::to_string(physical + 1) + " of " + m_table.path +
                          " does not exist.");
    }
}

std::uint64_t RecordWriter::recordOffset(std::uint32_t physical) const {
    return m_table.header.headerLength + std::uint64_t{physical} * m_table.header.recordLength;
}

void RecordWriter::refuseCut(std::uint32_t physical, const char* verb) const {
    throw EngineError("Cannot " + std::string(verb) + " record " + std::to_string(physical + 1) +
                      " of " + m_table.path +
                      ": the file now ends before it (another program may have cut the table "
                      "short); nothing was written.");
}

void RecordWriter::requireInFile(std::uint32_t physical, const char* verb) const {
    // Its last byte read is cheaper than the file's size.
    std::uint8_t last = 0;
    if (m_table.file->readAt(recordOffset(physical) + m_table.header.recordLength - 1, &last, 1) !=
        1) {
        refuseCut(physical, verb);
    }
}

std::vector<std::uint8_t> RecordWriter::readLocked(std::uint32_t physical) const {
    std::vector<std::uint8_t> record(m_table.header.recordLength);
    if (m_table.file->readAt(recordOffset(physical), record.data(), record.size()) !=
        record.size()) {
        refuseCut(physical, "change");
    }
    if (record[0] == kDeletedFlag) throw EngineError("Record is deleted.");
    return record;
}

void RecordWriter::hold(std::uint32_t physical) {
    requireWritable();
    requireRecord(physical);
    File& file = *m_table.file;
    // A lock taken again by the open file that holds it is the same lock: taken once, given up
    // once.
    const bool again = m_held == physical;
    if (!again) file.lockByte(recordLockOffset(physical), kLockedMessage);
    try {
        m_heldRecord = readLocked(physical);
        m_cache.patch(physical, 0, m_heldRecord.data(), m_heldRecord.size());
    } catch (...) {
        if (!again) file.unlockByte(recordLockOffset(physical));
        throw;
    }
    if (m_held && !again) file.unlockByte(recordLockOffset(*m_held));
    m_held = physical;
}

void RecordWriter::release() {
    if (m_held) m_table.file->unlockByte(recordLockOffset(*m_held));
    m_held.reset();
}

void RecordWriter::update(std::uint32_t physical, const Assignments& assigned) {
    requireWritable();
    requireRecord(physical);
    requireAssignable(assigned);
    const TableHeader& header = m_table.header;
    // Encode everything that can fail before the first byte is written.
    std::vector<Cell> writes;
    std::vector<std::pair<int, const Value*>> memos;
    for (const auto& [field, value] : assigned) {
        if (isMemo(field)) {
            memos.emplace_back(field, &value);
        } else {
            writes.push_back({field, encode(field, value), value.isNull()});
        }
    }
    File& file = *m_table.file;
    // The record as it is now, under the lock (as hold read it, or read here), with the new
    // fields put in: the bytes from the first changed field to the end of the last go out in one
    // write, so that a failing write leaves the record whole, old or new, and the fields between
    // keep what the file holds.
    const bool held = m_held == physical;
    std::optional<ByteLock> lock;
    if (!held) lock.emplace(file, recordLockOffset(physical), kLockedMessage);
    std::vector<std::uint8_t> record = held ? m_heldRecord : readLocked(physical);
    keepRoundedCells(record, assigned, writes);
    for (const auto& [field, value] : memos) {
        writes.push_back({field, storeMemo(field, *value), value->isNull()});
    }
    if (writes.empty()) {
        m_cache.patch(physical, 0, record.data(), record.size());
        return;
    }
    std::size_t first = record.size(), end = 0;
    for (const Cell& cell : writes) {
        const FieldDescriptor& descriptor = header.fields[static_cast<std::size_t>(cell.field)];
        placeCell(header, descriptor, cell.bytes, cell.null, record.data());
        first = std::min(first, descriptor.offset);
        end = std::max(end, descriptor.offset + static_cast<std::size_t>(descriptor.length));
        if (usesNullFlags(descriptor)) {
            first = std::min(first, header.nullFlagsOffset);
            end = std::max(end, header.nullFlagsOffset + header.nullFlagsSize);
        }
    }
    // A record read just now was in the file; one read by hold may have been cut off since.
    if (held) requireInFile(physical, "change");
    file.writeAt(recordOffset(physical) + first, record.data() + first, end - first);
    m_cache.patch(physical, 0, record.data(), record.size());
    if (held) m_heldRecord = std::move(record);
}

void RecordWriter::keepRoundedCells(const std::vector<std::uint8_t>& record,
                                    const Assignments& assigned, std::vector<Cell>& writes) const {
    // A date-time reads rounded to the second: assigning the value read changes nothing.
    for (const auto& [field, value] : assigned) {
        const FieldDescriptor& descriptor = m_table.header.fields[static_cast<std::size_t>(field)];
        if ((descriptor.kind->traits & kRoundedOnRead) == 0 || value.isNull()) continue;
        Value stored;
        decodeCell(m_table.header, descriptor, record.data(), m_context, stored);
        if (stored != value) continue;
        std::erase_if(writes, [field = field](const Cell& cell) { return cell.field == field; });
    }
}

std::vector<std::uint8_t> RecordWriter::blankRecord(
    const Assignments& assigned, std::vector<std::pair<int, const Value*>>& memos) const {
    const TableHeader& header = m_table.header;
    const std::size_t recordLength = header.recordLength;
    std::vector<std::uint8_t> record(recordLength + 1, ' ');
    record[recordLength] = kEndOfFile;
    for (const FieldDescriptor& hidden : header.hiddenFields) {
        std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(hidden.offset), hidden.length, 0);
    }
    std::vector<const Value*> values(header.fields.size(), nullptr);
    for (const auto& [field, value] : assigned) values[static_cast<std::size_t>(field)] = &value;
    const Value none;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const int field = static_cast<int>(i);
        const FieldDescriptor& descriptor = header.fields[i];
        std::string bytes, reason;
        if (values[i] != nullptr && isMemo(field)) {
            memos.emplace_back(field, values[i]);
            continue;  // its pointer is placed when the memo is stored
        }
        if (values[i] != nullptr) {
            bytes = encode(field, *values[i]);
        } else if (descriptor.kind->pointer != MemoPointer::None) {
            encodePointer(descriptor.kind->pointer, 0, static_cast<std::size_t>(descriptor.length),
                          bytes);
        } else if (!descriptor.kind->encode(descriptor, m_context, none, bytes, reason)) {
            bytes.assign(static_cast<std::size_t>(descriptor.length), ' ');
        }
        placeCell(header, descriptor, bytes, values[i] == nullptr || values[i]->isNull(),
                  record.data());
    }
    return record;
}

std::uint32_t RecordWriter::append(const Assignments& assigned) {
    requireWritable();
    requireAssignable(assigned);
    const TableHeader& header = m_table.header;
    const std::size_t recordLength = header.recordLength;
    std::vector<std::pair<int, const Value*>> memos;
    std::vector<std::uint8_t> record = blankRecord(assigned, memos);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const FieldDescriptor& descriptor = header.fields[i];
        bool given = std::any_of(assigned.begin(), assigned.end(), [&](const auto& a) {
            return static_cast<std::size_t>(a.first) == i && !a.second.isNull();
        });
        if (descriptor.required && !descriptor.autoincrement && !given) {
            throw EngineError("Cannot add a record to " + m_table.path + ": field " +
                              m_table.fields[i].name + " is required.");
        }
    }

    File& file = *m_table.file;
    ByteLock lock(file, kHeaderLockOffset, kLockedMessage);
    std::uint8_t countBytes[4];
    file.readExactly(kOffsetRecordCount, countBytes, sizeof countBytes);
    std::uint32_t slot = base::loadLittle<std::uint32_t>(countBytes);
    if (slot < m_table.count) {
        throw EngineError("Cannot add a record to " + m_table.path +
                          ": another program removed records from the table since it was "
                          "opened; open it again.");
    }
    // Written past the end of a file another program cut short, the record would leave zeros
    // where the records counted before it were.
    if (file.size() < recordOffset(slot)) {
        throw EngineError("Cannot add a record to " + m_table.path +
                          ": the file now ends before the records its header counts (another "
                          "program may have cut the table short); nothing was written.");
    }
    std::uint64_t end = recordOffset(slot) + recordLength + 1;
    if (end > kMaxFileSize || slot == 0xFFFF'FFFFu) {
        throw EngineError("Cannot add a record to " + m_table.path +
                          ": the table would grow past 2 GB.");
    }
    std::vector<Counter> counters = takeCounters(record);
    for (const auto& [field, value] : memos) {
        const FieldDescriptor& descriptor = header.fields[static_cast<std::size_t>(field)];
        placeCell(header, descriptor, storeMemo(field, *value), value->isNull(), record.data());
    }
    // The record and the end mark first, the counters and the count after: a process killed in
    // between leaves a table whose header still describes whole records, and whose counters
    // give the next append the numbers this one would have taken.
    file.writeAt(recordOffset(slot), record.data(), record.size());
    for (const Counter& counter : counters) {
        FieldDescriptor& descriptor = m_table.header.fields[counter.field];
        std::uint8_t next[4];
        base::storeLittle(next, counter.next);
        file.writeAt(descriptor.descriptorAt + header.versionInfo.layout.counterAt, next,
                     sizeof next);
        descriptor.nextAutoincrement = counter.next;
        m_table.fields[counter.field].autoIncrementNext = counter.next;
    }

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::uint8_t update[7];
    // FoxPro writes the year modulo 100, dBASE the years since 1900.
    const bool foxPro = (header.versionInfo.dialects & kFoxFamily) != 0;
    update[0] = static_cast<std::uint8_t>(foxPro ? (local.tm_year + 1900) % 100
                                                 : std::clamp(local.tm_year, 0, 255));
    update[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    update[2] = static_cast<std::uint8_t>(local.tm_mday);
    base::storeLittle<std::uint32_t>(update + 3, slot + 1);
    file.writeAt(kOffsetUpdateDate, update, sizeof update);

    m_table.count = slot + 1;
    m_cache.setCount(m_table.count);
    m_cache.drop();
    return slot;
}

std::vector<RecordWriter::Counter> RecordWriter::takeCounters(std::vector<std::uint8_t>& record) {
    // Another program may have appended since the table was opened: each counter is read again
    // from the file, under the header lock the caller holds. dBASE 7 steps by 1; Visual FoxPro
    // keeps the step beside the counter.
    std::vector<Counter> counters;
    const TableHeader& header = m_table.header;
    const HeaderLayout& layout = header.versionInfo.layout;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const FieldDescriptor& descriptor = header.fields[i];
        if (!descriptor.autoincrement || layout.counterAt == 0) continue;
        std::uint8_t stored[4];
        m_table.file->readExactly(descriptor.descriptorAt + layout.counterAt, stored,
                                  sizeof stored);
        const std::uint32_t value = base::loadLittle<std::uint32_t>(stored);
        std::uint8_t step = 1;
        if (layout.fieldFlags) {
            m_table.file->readExactly(descriptor.descriptorAt + kDescriptorAutoStep, &step, 1);
        }
        const std::string& field = m_table.fields[i].name;
        if (step == 0) {
            throw EngineError("Cannot add a record to " + m_table.path +
                              ": the autoincrement field " + field + " has a step of 0.");
        }
        if (value > kAutoincrementLimit - step) {
            throw EngineError("Cannot add a record to " + m_table.path + ": the counter of field " +
                              field + " has reached its limit.");
        }
        const Value number = Value::number(value, std::to_string(value));
        placeCell(header, descriptor, encode(static_cast<int>(i), number), false, record.data());
        counters.push_back({i, value + step});
    }
    return counters;
}

void RecordWriter::remove(std::uint32_t physical) {
    requireWritable();
    requireRecord(physical);
    std::optional<ByteLock> lock;
    if (m_held != physical) lock.emplace(*m_table.file, recordLockOffset(physical), kLockedMessage);
    requireInFile(physical, "delete");
    const std::uint8_t flag = kDeletedFlag;
    m_table.file->writeAt(recordOffset(physical), &flag, 1);
    m_cache.patch(physical, 0, &flag, 1);
}

void RecordWriter::recall(std::uint32_t physical) {
    requireWritable();
    requireRecord(physical);
    ByteLock lock(*m_table.file, recordLockOffset(physical), kLockedMessage);
    requireInFile(physical, "recall");
    std::uint8_t flag = 0;
    m_table.file->readExactly(recordOffset(physical), &flag, 1);
    if (flag != kDeletedFlag) return;
    flag = kLiveFlag;
    m_table.file->writeAt(recordOffset(physical), &flag, 1);
    m_cache.patch(physical, 0, &flag, 1);
}

}  // namespace engine::dbf
