// The storage behind a record set: a dBASE table file or a worksheet. Engine-internal seam.
#pragma once

#include "engine/EngineError.h"
#include "engine/FieldInfo.h"
#include "engine/Value.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace engine {

// Records are addressed by physical number (0-based slot in the file, deleted ones included).
// Every method throws EngineError on failure.
class TableSource {
public:
    using Assignments = std::vector<std::pair<int, Value>>;  // field index, prepared value

    virtual ~TableSource() = default;

    virtual const std::vector<FieldInfo>& fields() const = 0;
    // Physical record slots, live and deleted.
    virtual std::uint32_t physicalCount() const = 0;
    // Physical numbers of the records marked deleted, ascending. One sequential pass over the
    // deletion flags in large blocks, never a read per record.
    virtual std::vector<std::uint32_t> deletedRecords() const = 0;

    virtual void readRecord(std::uint32_t physical, std::vector<Value>& values) const = 0;
    virtual Value readField(std::uint32_t physical, int field) const = 0;
    // readField into a value the caller keeps, refilling its text in place where the source can.
    virtual void readFieldInto(std::uint32_t physical, int field, Value& out) const {
        out = readField(physical, field);
    }

    virtual bool isWritable() const = 0;
    // Converts a value to what the field will hold (text parsed as number, date or logical;
    // blank text to null) and checks that it can be stored; throws EngineError if not.
    virtual Value prepareValue(int field, const Value& value) const = 0;
    // Takes the record's lock for an edit and reads the record again, so that what the edit reads
    // and what it stores start from the record as the file holds it now (another program may
    // have changed it since it was read); the lock stays until releaseRecord, or until the next
    // holdRecord gives it up for another record. Throws EngineError, holding nothing new, when
    // another program holds the lock ("Record is locked by another user."), has deleted the record
    // or cut the file before it. Sources that are never written hold nothing.
    virtual void holdRecord(std::uint32_t /*physical*/) {}
    // Gives up the lock holdRecord took, if any.
    virtual void releaseRecord() {}
    // Rewrites only the assigned fields of one record, onto the bytes the file holds under the
    // record's lock (the one holdRecord took, or one of its own); all other bytes stay as they
    // are.
    virtual void updateRecord(std::uint32_t physical, const Assignments& assigned) = 0;
    // Appends a record (unassigned fields blank) and returns its physical number. The record is
    // written before the header's count is raised.
    virtual std::uint32_t appendRecord(const Assignments& assigned) = 0;
    virtual void deleteRecord(std::uint32_t physical) = 0;
    // Clears the deletion mark of a record (nothing when it has none).
    virtual void recallRecord(std::uint32_t /*physical*/) {
        throw EngineError("Records of " + description() + " cannot be recalled.");
    }

    // Oddities met while opening, each a sentence for the user. A source may add more while it
    // reads (a field holding values that are not what its type says, once per field).
    virtual const std::vector<std::string>& warnings() const = 0;
    // Those of the warnings that change what the user sees or may do (see WarningSeverity), for
    // the window to show when the table opens; by default all of them.
    virtual const std::vector<std::string>& importantWarnings() const { return warnings(); }
    // The file behind the source, for messages.
    virtual std::string description() const = 0;
    // The files behind the source, which nothing may be written over while it is open: the table
    // file (or the workbook) first, then the companion files (a dBASE table's memo file, whether
    // it has one or not).
    virtual std::vector<std::string> files() const = 0;

    // Why the source cannot be written ("its memo file is missing"), when isWritable() is false
    // for a reason of the file's own; empty otherwise.
    virtual std::string readOnlyReason() const { return {}; }
    // What the table-information command shows about the file, in order: label and value
    // ("Format", "dBASE IV/5 table with memo (0x8B)"), ("Code page", "1252 (Windows ANSI)").
    virtual std::vector<std::pair<std::string, std::string>> properties() const { return {}; }
};

}  // namespace engine
