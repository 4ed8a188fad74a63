// Notifications a record set gives its owner (the data control), and the data control its views.
#pragma once

namespace engine {

class RecordsetListener {
public:
    virtual ~RecordsetListener() = default;

    // The record-position event: raised after every move (MoveFirst, MoveNext, MovePrevious,
    // MoveLast, setting AbsolutePosition), whether it lands on a record, on BOF or on EOF.
    virtual void recordPositionChanged() {}
    // A record was appended at this position (Update after AddNew).
    virtual void recordAppended(long /*position*/) {}
    // The record at this position was deleted; the positions after it moved down by one.
    virtual void recordRemoved(long /*position*/) {}
    // The record at this position was stored (Update after Edit).
    virtual void recordChanged(long /*position*/) {}
    // A deleted record was recalled and is now at this position; the positions from it on moved
    // up by one.
    virtual void recordRecalled(long /*position*/) {}
};

}  // namespace engine
