// The texts the navigation bar shows.
#pragma once

#include <string>

namespace browser {

// The bar's caption with no table: at start, and (with a final full stop) after Close.
inline constexpr const char* kStartCaption = "Clic the Open button to open a dbf or xls file";
inline constexpr const char* kClosedCaption = "Clic the Open button to open a dbf or xls file.";

// "Record: p/n", followed by " (read only)" when readOnly and " (filtered)" when filtered. p is
// the zero-based position as the record set reports it (-1 with no current record) and n the
// record count (while the grid shows only some records, their count), both in plain decimal.
std::string recordCaption(long position, long count, bool readOnly, bool filtered = false);

}  // namespace browser
