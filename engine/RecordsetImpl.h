// The state of a record set, shared by the files that implement Recordset. Engine-internal.
#pragma once

#include "engine/EngineError.h"
#include "engine/Recordset.h"
#include "engine/RecordsetListener.h"
#include "engine/TableSource.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine {

inline constexpr const char* kNoCurrentRecord = "No current record.";
inline constexpr const char* kRecordDeleted = "Record is deleted.";
inline constexpr const char* kNotEditing = "Update or CancelUpdate without AddNew or Edit.";

class Recordset::Impl {
public:
    // Where the cursor stands: on a live record, before the first, after the last, or on the
    // record this set has just deleted (until the next move).
    enum class Cursor { Record, Before, After, Deleted };

    Impl(std::unique_ptr<TableSource> tableSource, Kind setKind, bool readOnly)
        : source(std::move(tableSource)), kind(setKind) {
        updatable = kind == Kind::Dynaset && !readOnly && source->isWritable();
        if (kind == Kind::Snapshot) {
            whyReadOnly = "a snapshot cannot be changed";
        } else if (readOnly) {
            whyReadOnly = "it was opened read-only";
        } else if (!source->isWritable()) {
            whyReadOnly = source->readOnlyReason();
        }
        physicalCount = source->physicalCount();
        hidden = source->deletedRecords();
        deletedList = hidden;
        cursor = liveCount() > 0 ? Cursor::Record : Cursor::Before;
        position = liveCount() > 0 ? 0 : -1;
    }

    long liveCount() const {
        return static_cast<long>(physicalCount) - static_cast<long>(hidden.size());
    }

    // Position -> physical number: the position plus the hidden slots before the record. The
    // hidden list is ascending, so hidden[i] - i (live records before hidden[i]) is too.
    std::uint32_t toPhysical(long pos) const {
        std::size_t low = 0, high = hidden.size();
        while (low < high) {
            std::size_t mid = (low + high) / 2;
            if (static_cast<long>(hidden[mid]) - static_cast<long>(mid) <= pos) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        return static_cast<std::uint32_t>(pos + static_cast<long>(low));
    }

    long toPosition(std::uint32_t physical) const {
        auto before = std::lower_bound(hidden.begin(), hidden.end(), physical) - hidden.begin();
        return static_cast<long>(physical) - static_cast<long>(before);
    }

    void hide(std::uint32_t physical) {
        hidden.insert(std::lower_bound(hidden.begin(), hidden.end(), physical), physical);
    }

    bool isDeleted(std::uint32_t physical) const {
        return std::binary_search(deletedList.begin(), deletedList.end(), physical);
    }

    void checkPosition(long pos) const {
        if (pos < 0 || pos >= liveCount()) {
            throw EngineError("There is no record at position " + std::to_string(pos) +
                              " (the record set has " + std::to_string(liveCount()) + " records).");
        }
    }

    void requireUpdatable() const {
        if (updatable) return;
        std::string message = "Cannot update: the record set is read-only";
        if (!whyReadOnly.empty()) message += " (" + whyReadOnly + ")";
        throw EngineError(message + ".");
    }

    void requireCurrent() const {
        if (cursor == Cursor::Deleted) throw EngineError(kRecordDeleted);
        if (cursor != Cursor::Record) throw EngineError(kNoCurrentRecord);
    }

    // Ends a pending Edit (giving up the record's lock) or AddNew.
    void dropPending() {
        if (mode == EditMode::Edit) source->releaseRecord();
        mode = EditMode::None;
        pending.clear();
    }

    void moveTo(Cursor where, long pos) {
        dropPending();
        cursor = where;
        position = where == Cursor::Record ? pos : -1;
        if (listener != nullptr) listener->recordPositionChanged();
    }

    std::unique_ptr<TableSource> source;
    Kind kind;
    bool updatable = false;
    std::string whyReadOnly;
    std::uint32_t physicalCount = 0;
    // Physical numbers this set does not show, ascending: records marked deleted, and slots
    // other programs appended after the set was opened.
    std::vector<std::uint32_t> hidden;
    // Of those, the records marked deleted (found at open, deleted by this set), ascending.
    std::vector<std::uint32_t> deletedList;

    Cursor cursor = Cursor::Before;
    long position = -1;  // on a record: its position; after Delete: where it stood
    long deletedAt = -1;

    EditMode mode = EditMode::None;
    std::vector<std::optional<Value>> pending;

    RecordsetListener* listener = nullptr;
};

}  // namespace engine
