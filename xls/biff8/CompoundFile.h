// The compound-file (OLE2) container of an .xls file, over libgsf. The only place that sees
// libgsf and glib: their errors become XlsError here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xls::biff8 {

struct CompoundContent {
    std::vector<std::uint8_t> workbook;  // the bytes of the workbook stream
    // The names of the container's other top-level streams and storages, as UTF-8 (a leading
    // control character, as in "\005SummaryInformation", kept).
    std::vector<std::string> otherEntries;
};

// Reads the workbook stream of the compound file at path: the top-level stream named
// "Workbook" or, failing that, "Book", either without regard to case. Throws XlsError for a
// missing or unreadable file, a file that is not a compound file (saying what it looks like:
// an .xlsx/ZIP file, a BIFF2-4 worksheet, a bare BIFF stream, a file too short), a damaged
// container, or one without a workbook stream.
CompoundContent readCompoundFile(const std::string& path);

// Writes a new compound file at path holding the single stream "Workbook". libgsf writes a
// temporary file in the same folder and renames it over path only once everything is written, so
// the file appears whole or not at all, and a file already at path stays as it was on failure.
// Throws XlsError when the folder is missing or the file cannot be written.
void writeCompoundFile(const std::string& path, std::span<const std::uint8_t> workbookStream);

}  // namespace xls::biff8
