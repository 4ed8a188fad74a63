// The compound-file (OLE2) container of an .xls file, over libgsf. The only place that sees
// libgsf and glib: their errors become XlsError here.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace xls::biff8 {

struct CompoundContent {
    std::vector<std::uint8_t> workbook;  // the bytes of the workbook stream
    // The names of the container's other top-level streams and storages, as UTF-8 (a leading
    // control character, as in "\005SummaryInformation", kept).
    std::vector<std::string> otherEntries;
    // libgsf read past damage in the container to get here (what it said is not shown: nothing
    // that libgsf or glib logs while a compound file is read or written reaches standard error).
    bool damaged = false;
};

// Reads the workbook stream of the compound file at path: the top-level stream named
// "Workbook" or, failing that, "Book", either without regard to case. Throws XlsError for a
// missing or unreadable file, a file that is not a compound file (saying what it looks like:
// an .xlsx/ZIP file, a BIFF2-4 worksheet, a bare BIFF stream, a file too short), a damaged
// container, or one without a workbook stream. A container damaged in parts that libgsf reads
// past gives its content with damaged set.
CompoundContent readCompoundFile(const std::string& path);

// A new compound file at path holding the single stream "Workbook", whose bytes are appended
// piece by piece. libgsf writes into a temporary file of the same folder
// (base/TemporaryFile.h), put in place of path only when commit() succeeds, so the file
// appears whole or not at all, a file already at path stays as it was on failure, and a save
// that is killed leaves nothing to see. Every failure throws XlsError naming the file.
class CompoundFileWriter {
public:
    // Starts the temporary file. Throws when the folder is missing, path is a folder, or the
    // file cannot be created.
    explicit CompoundFileWriter(const std::string& path);
    // Without a successful commit(), removes the temporary file; path is left untouched.
    ~CompoundFileWriter();
    CompoundFileWriter(const CompoundFileWriter&) = delete;
    CompoundFileWriter& operator=(const CompoundFileWriter&) = delete;

    // Appends to the workbook stream. Throws when the bytes cannot be written (a full disk).
    void append(std::span<const std::uint8_t> bytes);
    // Completes the container and puts the file in place. Throws when that fails.
    void commit();

private:
    struct Handles;
    [[noreturn]] void fail(const std::string& why) const;

    std::string m_path;
    std::unique_ptr<Handles> m_handles;
};

}  // namespace xls::biff8
