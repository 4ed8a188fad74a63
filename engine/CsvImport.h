// Appending the rows of a CSV file to a table, all of them or none.
#pragma once

#include <string>

namespace engine {

class Recordset;

// Appends the rows of the CSV file at csvPath (RFC 4180, UTF-8, a byte order mark allowed) to
// the set as new records and returns how many. The first row names a field of the table in each
// column, without regard to case; fields it does not name are left blank. Each value is stored as
// a value typed into the grid is (Recordset::prepareValue: text parsed as the field's type,
// blank as null).
//
// Every row is checked before the first is appended: a refusal throws EngineError
// "Nothing was imported. Line N, field F: why." (or "Nothing was imported: why." for the file or
// its header: an unknown or repeated field name, a field the table fills itself, a required
// field without a column, a row with more or fewer values than the header) and the table is
// unchanged. A failure while appending (a full disk) throws partlyDoneMessage's description: how
// many rows were appended before it, which stay.
long importCsv(Recordset& set, const std::string& csvPath);

}  // namespace engine
