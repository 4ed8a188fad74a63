// Reading RFC 4180 CSV one record at a time, for the import: fields split by commas, quoted
// fields holding commas, quotes (doubled) and line breaks, records ended by CR LF or LF.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace engine {

class CsvReader {
public:
    // Reads from in, which must outlive the reader. A UTF-8 byte order mark at the start is
    // skipped.
    explicit CsvReader(std::istream& in);

    // The next record's fields; false at the end of the input. Lines with nothing on them are
    // passed over. Throws EngineError "Line N: why." for a quoted field that never ends or text
    // after a closing quote.
    bool next(std::vector<std::string>& fields);
    // The line (from 1) on which the record next returned starts.
    long line() const { return m_recordLine; }

private:
    int get();
    int peek();

    std::istream& m_in;
    long m_line = 1;
    long m_recordLine = 0;
};

}  // namespace engine
