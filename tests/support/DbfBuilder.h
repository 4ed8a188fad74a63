// Builds dBASE tables (and their memo files) in memory for tests, so that each case can start
// from a valid file and then damage exactly the bytes it is about.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

class DbfBuilder {
public:
    enum class MemoStyle { Auto, III, IV };

    // A table of this version byte (0x03, 0x83, 0x8B, ...), language driver 0x03, no fields.
    // Versions 0x04 and 0x8C get dBASE 7's layout (language driver name DBWINUS0, byte 29 0),
    // 0x02 dBASE II's.
    explicit DbfBuilder(std::uint8_t version = 0x03);

    DbfBuilder& field(const std::string& name, char type, int length, int decimals = 0);
    DbfBuilder& languageDriver(std::uint8_t id);
    // dBASE 7: the language driver name, the last field's autoincrement counter (descriptor
    // bytes 42-45), and the bytes of a field-properties area after the terminator.
    DbfBuilder& driverName(const std::string& name);
    DbfBuilder& counter(std::uint32_t next);
    DbfBuilder& fieldProperties(const Bytes& area);
    // Values as they read, one per field: C left-aligned and N/F right-aligned in their width,
    // L and D as given, M (and dBASE 7's B and G) the memo's bytes (written to the memo file;
    // "" for no memo), dBASE 7's I and + as decimal integers, O as decimal numbers and @ as
    // "YYYY-MM-DD HH:MM:SS[.mmm]" ("" for blank: zero bytes).
    DbfBuilder& record(const std::vector<std::string>& values, bool deleted = false);
    // A record given as its exact bytes after the deletion flag (padded with spaces).
    DbfBuilder& rawRecord(const std::string& bytes, std::uint8_t flag = ' ');

    // Memo file layout: III (0x1A-ended, 512-byte blocks) or IV (block header, blockSize).
    // Auto follows the version byte (0x83 and 0x87 III, else IV).
    DbfBuilder& memoStyle(MemoStyle style, std::uint16_t blockSize = 512);
    // Oddities: count stated in the header, the field terminator byte, bytes between the
    // terminator and the first record, record length beyond the fields, the end mark.
    DbfBuilder& declaredCount(std::uint32_t count);
    DbfBuilder& terminator(std::uint8_t byte);
    DbfBuilder& headerPadding(int bytes);
    DbfBuilder& recordSlack(int bytes);
    DbfBuilder& endMark(bool present);
    DbfBuilder& headerByte(std::size_t offset, std::uint8_t value);

    Bytes dbf() const;
    Bytes dbt() const;  // empty when there are no memo fields
    bool hasMemo() const;

    // Writes NAME.dbf (and NAME.dbt when there are memo fields) into folder; returns the
    // table's path.
    std::filesystem::path write(const std::filesystem::path& folder, const std::string& name) const;

private:
    struct Field {
        std::string name;
        char type;
        int length;
        int decimals;
        std::size_t offset;
        std::uint32_t counter = 0;
    };
    int recordLength() const;
    bool dbase7() const { return m_version == 0x04 || m_version == 0x8C; }
    bool dbaseII() const { return m_version == 0x02; }
    bool memoField(char type) const;
    std::string binaryValue(char type, const std::string& value) const;
    Bytes dbaseIIHeader() const;
    std::uint16_t memoBlockSize() const;
    bool ivMemo() const;

    std::uint8_t m_version;
    std::uint8_t m_languageDriver = 0x03;
    std::vector<Field> m_fields;
    std::vector<std::pair<std::uint8_t, std::string>> m_records;  // flag, bytes after the flag
    Bytes m_memo;                                                 // blocks after the header block
    MemoStyle m_memoStyle = MemoStyle::Auto;
    std::uint16_t m_blockSize = 512;
    std::optional<std::uint32_t> m_declaredCount;
    std::uint8_t m_terminator = 0x0D;
    int m_headerPadding = 0;
    int m_recordSlack = 0;
    bool m_endMark = true;
    std::vector<std::pair<std::size_t, std::uint8_t>> m_headerBytes;
    std::string m_driverName = "DBWINUS0";
    Bytes m_properties;
};

// A dBASE 7 field-properties area with standard entries (field number from 1, property: 1 makes
// the field required) and rule entries.
Bytes dbase7Properties(const std::vector<std::pair<int, int>>& standard, int rules = 0);

Bytes readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const Bytes& bytes);
// Cuts a file to size bytes.
void truncateFile(const std::filesystem::path& path, std::uintmax_t size);

}  // namespace testsupport
