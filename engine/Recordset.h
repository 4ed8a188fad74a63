// A record set over one table: a cursor with moves, edits and the fields of the current record.
#pragma once

#include "engine/FieldInfo.h"
#include "engine/Value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class Recordset;
class RecordsetListener;
class TableSource;

// One column of a record set. Its value is always that of the record set's current record (or
// of the pending edit), so holding a Field and reading it after a move gives the new record.
class Field {
public:
    Field(Recordset& owner, int index);

    const std::string& Name() const;
    const FieldInfo& info() const;
    int index() const { return m_index; }

    // The current record's value (during Edit or AddNew, the pending value).
    // Throws EngineError "No current record." at BOF/EOF or with no record,
    // "Record is deleted." on a deleted current record.
    Value GetValue() const;
    // GetValue into a value the caller keeps from record to record: its text is refilled in
    // place, so reading a field record after record does not allocate once the value has grown.
    // Fails as GetValue does; out is then unspecified.
    void GetValueInto(Value& out) const;
    // Assigns the pending value of an Edit or AddNew; converts text to the field's type
    // (numbers, dates, logicals). Throws EngineError when no Edit or AddNew is pending, when the
    // record set is not updatable, or when the value cannot be stored in the field (too long in
    // the table's code page, a character the code page lacks, wider than N(w,d), not a date...).
    // A refused value leaves the pending edit as it was.
    void SetValue(const Value& value);

private:
    Recordset* m_owner;
    int m_index;
};

// The fields of a record set in table order; lookups by name ignore case.
class FieldCollection {
public:
    explicit FieldCollection(Recordset& owner, int count);

    int Count() const { return static_cast<int>(m_fields.size()); }
    // Throws EngineError when the index is out of range or no field has that name.
    Field& Item(int index);
    Field& Item(std::string_view name);
    const Field& Item(int index) const;
    const Field& Item(std::string_view name) const;
    Field& operator[](int index) { return Item(index); }
    Field& operator[](std::string_view name) { return Item(name); }

private:
    std::vector<std::unique_ptr<Field>> m_fields;
};

// The record set of the data control: a dynaset (updatable unless opened read-only) or a
// snapshot (never updatable). Deleted records are hidden. Records are read on demand through a
// small page cache; the table is never loaded whole.
//
// Positions are zero-based over the live records. The rules callers rely on:
// - A set opens on its first record, or with BOF and EOF both true when it is empty.
// - MoveFirst, MoveNext, MoveLast (and MovePrevious) on an empty set throw "No current record.",
//   as do MoveNext past EOF and MovePrevious before BOF.
// - RecordCount is always the full live count.
// - After Delete: RecordCount drops at once, AbsolutePosition is -1, BOF and EOF stay false, no
//   record-position event is raised; reading a field, Edit or a second Delete throw "Record is
//   deleted."; MoveNext and MovePrevious continue from where the deleted record stood.
// - A move drops a pending Edit or AddNew without writing it.
// - Character values come back without their trailing pad spaces; blank is null.
//
// Every method that fails throws EngineError with a description and leaves the set as it was.
class Recordset {
public:
    enum class Kind { Dynaset, Snapshot };
    enum class EditMode { None, Edit, AddNew };

    Recordset(std::unique_ptr<TableSource> source, Kind kind, bool readOnly);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // BOF and EOF: before the first and past the last record (EOF is a C macro, hence the
    // Is prefix).
    bool IsBOF() const;
    bool IsEOF() const;
    long RecordCount() const;
    long AbsolutePosition() const;
    // Moves to that position and raises the record-position event.
    void SetAbsolutePosition(long position);

    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast(int options = 0);

    void AddNew();
    // Begins an edit of the current record: takes the record's lock, held until Update stores
    // the edit, CancelUpdate, a move or Delete ends it, and reads the record again, so that its
    // fields read as the file holds them now. Throws "Record is locked by another user." when
    // another program holds the lock (after about half a second), "Record is deleted." when it
    // has deleted the record.
    void Edit();
    // Stores the pending Edit or AddNew. Only the fields assigned are written; the others keep
    // their bytes. Update after AddNew with nothing assigned appends a blank record. The current
    // record does not change. updateType 1 and force false are the plain store.
    void Update(int updateType = 1, bool force = false);
    void CancelUpdate();
    // Marks the current record deleted; the position does not move.
    void Delete();

    FieldCollection& Fields();
    const FieldCollection& Fields() const;

    Kind kind() const;
    bool Updatable() const;
    EditMode editMode() const;
    const std::vector<FieldInfo>& fieldInfos() const;

    // For views: the values of any live record by position, without moving and without events.
    // Throws EngineError when the position is out of range.
    std::vector<Value> readRow(long position) const;
    Value readValue(long position, int fieldIndex) const;
    // readValue into a value the caller keeps from record to record (its text refilled in place),
    // for scans of one column over a whole table. Fails as readValue does.
    void readValueInto(long position, int fieldIndex, Value& out) const;
    // readRow into a buffer the caller keeps from row to row: once warmed up, reading a table
    // this way does not allocate (the dump of the command-line tool relies on it).
    void readRowInto(long position, std::vector<Value>& row) const;

    // The check a store makes, without storing: converts value to what the field would hold
    // and returns it. Throws EngineError as Field::SetValue would (a read-only set, an unknown
    // field, a value the field cannot hold), so that a block of values can be checked whole
    // before the first of them is written.
    Value prepareValue(int fieldIndex, const Value& value) const;

    // Oddities met while opening (record count repaired, memo file missing, ...), for display.
    const std::vector<std::string>& warnings() const;
    // Those that change what the user sees or may do (see WarningSeverity).
    const std::vector<std::string>& importantWarnings() const;
    // Where the table lives, for messages.
    std::string sourceDescription() const;
    // The files the set was opened from, which nothing may be written over while it is open:
    // the table file (or the workbook) first, then a dBASE table's memo file.
    std::vector<std::string> sourceFiles() const;
    // Records of the table marked deleted (hidden from the set): those found at open and those
    // this set deleted.
    long deletedCount() const;

    // Deleted records, reached by record number: a record's 0-based slot in the table, deleted
    // ones included (people count them from 1). None of these moves the set or changes its
    // positions, except Recall.
    //
    // The numbers of the deleted records (deletedCount of them), ascending.
    const std::vector<std::uint32_t>& deletedRecordNumbers() const;
    // The number of the live record at position; throws EngineError when there is none.
    std::uint32_t recordNumber(long position) const;
    // How many live records come before that record number in table order.
    long livePositionsBefore(std::uint32_t recordNumber) const;
    // A deleted record's values; throws EngineError "Record N is not deleted." (N from 1) when
    // it is not one of deletedRecordNumbers.
    void readDeletedRowInto(std::uint32_t recordNumber, std::vector<Value>& row) const;
    Value readDeletedValue(std::uint32_t recordNumber, int fieldIndex) const;
    // Marks a deleted record live again: it takes its place among the live records in table
    // order (the positions from it on move up by one), becomes the current record, and its
    // position is returned. Throws EngineError, leaving the set as it was, when the set cannot
    // be updated or the record is not deleted ("Record N is not deleted.").
    long Recall(std::uint32_t recordNumber);
    // The storage behind the set, for the table-information call.
    const TableSource& source() const;

    // The one listener (the data control); may be null.
    void setListener(RecordsetListener* listener);

private:
    friend class Field;
    class Impl;
    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<FieldCollection> m_fields;
};

}  // namespace engine
