// The Replace scan shared by the main window and quillon-cli.
#pragma once

#include <string>

namespace engine {

class Recordset;
class Value;

// From the first record to past the last: every record whose named field holds exactly the text
// oldText (a text value; case and spaces count; null and non-text values never match) gets
// newValue, each stored at once by its own Edit and Update. Returns the number of records
// changed. Throws EngineError from the first failing step (an empty set fails at MoveFirst, an
// unknown field name at the first lookup, a read-only set at the first match's Edit, a value the
// field cannot hold at its store); records changed before stay changed. The set is left past
// its last record.
long ReplaceValues(Recordset& recordset, const std::string& fieldName, const std::string& oldText,
                   const Value& newValue);

}  // namespace engine
