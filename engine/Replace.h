// The Replace scan shared by the main window and quillon-cli.
#pragma once

#include "engine/Progress.h"

#include <string>

namespace engine {

class Recordset;
class Value;

// How far a scan got: the records visited and the records changed among them, counted here
// alone, and whether it stopped because progress asked it to.
struct ReplaceOutcome {
    long visited = 0;
    long replaced = 0;
    bool cancelled = false;
};

// From the first record to past the last: every record whose named field holds exactly the text
// oldText (a text value; case and spaces count; null and non-text values never match) gets
// newValue, each stored at once by its own Edit and Update. A record that matches as read is
// matched again under its lock (Edit), so that of two scans at once, or a scan and another
// program's store, each record is changed by one: the one that locked it first while it
// matched. progress hears of every record
// visited; when it answers false the scan stops there, between two records, the set standing on
// the next one (past the last when there is none). Throws EngineError from the first failing
// step (an empty set fails at MoveFirst, an unknown field name at the first lookup, a read-only
// set at the first match's Edit, a value the field cannot hold at its store); records changed
// before stay changed, and once one has been, the description says how many first
// (partlyDoneMessage: "Replaced 14 of the matching records, then: ..."). A scan that is not
// stopped leaves the set past its last record.
ReplaceOutcome ReplaceValues(Recordset& recordset, const std::string& fieldName,
                             const std::string& oldText, const Value& newValue,
                             const Progress& progress = {});

}  // namespace engine
