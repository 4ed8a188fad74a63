// The CSV form of a record set, one writer for quillon-cli dump and the export to .csv, so that
// the two give the same bytes.
#pragma once

#include "engine/Progress.h"

#include <functional>
#include <string_view>

namespace engine {

class Recordset;

// Writes the set as RFC 4180 CSV in UTF-8: a header line of the field names, then one line per
// live record in record-set order, lines ended by CR LF. A text is quoted when it holds a comma,
// a quote or a line break (quotes doubled); null is an empty field; numbers, dates and booleans
// are their plain text form (Value::toString), never quoted. The records are read by position:
// the set does not move and raises no event. Bytes go to write in pieces of about a megabyte.
// progress hears of every record written; when it answers false the writing stops there, what
// is not handed to write yet is dropped, and false is returned. Passes on what the record set or
// write throws.
//
// withDeleted writes the deleted records too, every record in table order, after a first column
// "_deleted" that is true or false.
bool writeCsv(const Recordset& recordset, const std::function<void(std::string_view)>& write,
              const Progress& progress = {}, bool withDeleted = false);

}  // namespace engine
