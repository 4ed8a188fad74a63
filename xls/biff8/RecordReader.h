// The reader's lowest layer: records of a workbook stream, and bounds-checked reading of their
// bodies, strings included, across CONTINUE records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace xls::biff8 {

// Thrown when a read would go past the end of a record (and its continuations). Callers turn it
// into an XlsError that names the file, or treat it as the end of a list.
class RecordTooShort : public std::runtime_error {
public:
    RecordTooShort() : std::runtime_error("record too short") {}
};

// One record and the CONTINUE records that follow it.
struct Record {
    std::uint16_t id = 0;
    std::size_t offset = 0;                               // of the record's header in the stream
    std::vector<std::span<const std::uint8_t>> segments;  // the body, then each CONTINUE body

    std::span<const std::uint8_t> body() const { return segments.front(); }
};

// Walks the records of a stream from a position. Never reads outside the stream.
class RecordReader {
public:
    RecordReader(std::span<const std::uint8_t> stream, std::size_t position);

    // Reads the next record and the CONTINUE records right after it. Returns false at the end of
    // the stream (fewer than 4 bytes left). Throws RecordTooShort when a record's length runs
    // past the end of the stream.
    bool next(Record& record);
    // Reads only the next record's header and skips its body (no continuations gathered).
    bool skip(std::uint16_t& id);
    std::size_t position() const { return m_position; }

private:
    bool header(std::size_t at, std::uint16_t& id, std::size_t& length) const;
    bool fits(std::size_t at, std::size_t length) const;

    std::span<const std::uint8_t> m_stream;
    std::size_t m_position;
};

// Reads a record's bytes in order, crossing from the body into its CONTINUE records as a plain
// byte sequence; strings honour the flags byte that starts each continuation of their characters.
// Every read throws RecordTooShort instead of going past the last segment.
class BodyReader {
public:
    explicit BodyReader(const Record& record);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    double f64();
    void skip(std::size_t count);
    // Bytes left in the current segment and in all segments; whether none is left at all.
    std::size_t leftInSegment() const;
    std::size_t left() const;
    bool atEnd() const;

    // A BIFF8 string as UTF-8: an 8-bit (countBytes 1) or 16-bit (countBytes 2) character count,
    // a flags byte, the optional run count and phonetic size, the characters, then the runs and
    // the phonetic block (skipped). A zero count with nothing after it reads as an empty string.
    // rich and phonetic report whether the string carried them.
    std::string string(int countBytes, bool* rich = nullptr, bool* phonetic = nullptr);

private:
    void nextSegment();
    // The next sizeof(T) bytes as a little-endian integer, across segments if need be.
    template <typename T>
    T little();

    const Record& m_record;
    std::size_t m_segment = 0;
    std::size_t m_offset = 0;
};

}  // namespace xls::biff8
