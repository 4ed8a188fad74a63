// Builds FoxPro 2 and Visual FoxPro tables (and their .fpt memo files) in memory for tests: the
// cells are given as their exact bytes, so that a test states what the file holds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;
class MemoryFileSystem;

class FoxBuilder {
public:
    // A table of this version byte (0x30, 0x31, 0x32: Visual FoxPro, with the backlink; 0xF5:
    // FoxPro 2), code page mark 0x03, no fields.
    explicit FoxBuilder(std::uint8_t version = 0x30);

    // flags: the descriptor's flags (0x02 nullable, 0x04 binary, 0x0C autoincrement, whose
    // counter is next and step). A _NullFlags field is added after the last field when some
    // field is nullable or V or Q.
    FoxBuilder& field(const std::string& name, char type, int length, int decimals = 0,
                      std::uint8_t flags = 0, std::uint32_t next = 0, std::uint8_t step = 0);
    FoxBuilder& backlink(const std::string& path);
    FoxBuilder& headerByte(std::size_t offset, std::uint8_t value);
    // One cell per field, each its exact bytes (padded with spaces to the width); nullFlags the
    // bits of the _NullFlags field.
    FoxBuilder& record(const std::vector<std::string>& cells, std::uint32_t nullFlags = 0,
                       bool deleted = false);
    // Adds a memo block (type 1 text, 0 binary) to the .fpt file and returns the pointer to it
    // of that width (4 bytes, or 10 digits).
    std::string memo(const std::string& data, int width = 4, std::uint32_t type = 1);

    Bytes dbf() const;
    Bytes fpt() const;  // empty when no memo was added
    bool hasMemo() const { return !m_memo.empty(); }
    // Writes NAME.dbf (and NAME.fpt) into folder; returns the table's path.
    std::filesystem::path write(const std::filesystem::path& folder, const std::string& name) const;
    // Stores base + ".dbf" (and ".fpt"); returns the table's path.
    std::string put(MemoryFileSystem& files, const std::string& base) const;

    // Cells in the binary forms: little-endian integers, and a date-time from its Julian day
    // number and milliseconds.
    static std::string le32(std::int32_t value);
    static std::string le64(std::int64_t value);
    static std::string dateTime(std::int32_t julianDay, std::int32_t milliseconds);

private:
    struct Field {
        std::string name;
        char type;
        int length;
        int decimals;
        std::uint8_t flags;
        std::uint32_t next;
        std::uint8_t step;
    };
    std::vector<Field> allFields() const;  // with the _NullFlags field when there is one
    bool visual() const { return m_version != 0xF5; }

    std::uint8_t m_version;
    std::vector<Field> m_fields;
    std::string m_backlink;
    std::vector<std::pair<std::size_t, std::uint8_t>> m_headerBytes;
    std::vector<std::pair<std::string, std::uint32_t>> m_records;  // flag and cells, null flags
    Bytes m_memo;                                                  // blocks after the header
};

}  // namespace testsupport
