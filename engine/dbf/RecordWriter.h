// Changing a table's records: values checked and encoded before anything is written, then, under
// the record's (or the header's) byte lock, only the bytes that change (in Visual FoxPro tables,
// with the field's bits of the null flags), put onto the record as the file holds it then. An
// edit may hold the record's lock from the read it depends on to its store. Every write is
// preceded, under the lock, by a look at the file's end: a record past the end of a file that
// another program cut short is refused, never written (which would grow the file with zeros). An
// append writes the record and the end mark before it raises the header's count, and numbers
// autoincrement fields from their counters; a memo goes to fresh blocks of the memo file before
// the record points at it.
#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/FieldKinds.h"
#include "engine/dbf/RecordCache.h"
#include "engine/dbf/TableOpen.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace engine::dbf {

class RecordWriter {
public:
    using Assignments = TableSource::Assignments;

    // table, cache and context must outlive the writer.
    RecordWriter(OpenedTable& table, RecordCache& cache, const CellContext& context)
        : m_table(table), m_cache(cache), m_context(context) {}

    // As TableSource::prepareValue, holdRecord, releaseRecord, updateRecord, appendRecord,
    // deleteRecord and recallRecord. A write to the held record uses the lock held.
    Value prepare(int field, const Value& value) const;
    void hold(std::uint32_t physical);
    void release();
    void update(std::uint32_t physical, const Assignments& assigned);
    std::uint32_t append(const Assignments& assigned);
    void remove(std::uint32_t physical);
    // Clears the record's deletion mark (a record already live is left as it is).
    void recall(std::uint32_t physical);

private:
    // A field's new bytes, and whether its value is null.
    struct Cell {
        int field;
        std::string bytes;
        bool null;
    };
    // An autoincrement field's counter after an append.
    struct Counter {
        std::size_t field;
        std::uint32_t next;
    };

    void requireWritable() const;
    // Refuses assignments to fields the table keeps itself or that hold binary data.
    void requireAssignable(const Assignments& assigned) const;
    void requireRecord(std::uint32_t physical) const;
    // Throws, saying that nothing was written, when the file now ends before the record's last
    // byte (another program cut it short). verb: "change", "delete".
    void requireInFile(std::uint32_t physical, const char* verb) const;
    [[noreturn]] void refuseCut(std::uint32_t physical, const char* verb) const;
    // The record as the file holds it now, read under its lock (which the caller holds). Throws
    // when the file ends before it, or when it is marked deleted.
    std::vector<std::uint8_t> readLocked(std::uint32_t physical) const;
    std::uint64_t recordOffset(std::uint32_t physical) const;
    bool isMemo(int field) const;
    // The bytes a field that is not a memo stores for a prepared value.
    std::string encode(int field, const Value& prepared) const;
    // Writes a memo value to the memo file and returns the field's pointer bytes.
    std::string storeMemo(int field, const Value& prepared);
    // Drops the writes of date-times assigned the value they read as (their stored bytes stay).
    void keepRoundedCells(const std::vector<std::uint8_t>& record, const Assignments& assigned,
                          std::vector<Cell>& writes) const;
    // A new record (and its end mark): the assigned values, every other field blank (null where
    // it can be); memos to store are left to the caller.
    std::vector<std::uint8_t> blankRecord(const Assignments& assigned,
                                          std::vector<std::pair<int, const Value*>>& memos) const;
    // Puts the next number of every autoincrement field into a new record; the counters to
    // write back. Throws EngineError when a counter cannot advance.
    std::vector<Counter> takeCounters(std::vector<std::uint8_t>& record);
    [[noreturn]] void refuse(int field, const Value& value, const std::string& why) const;

    OpenedTable& m_table;
    RecordCache& m_cache;
    const CellContext& m_context;
    // The record whose lock an edit holds, and its bytes as read under the lock (and as
    // written since).
    std::optional<std::uint32_t> m_held;
    std::vector<std::uint8_t> m_heldRecord;
};

}  // namespace engine::dbf
