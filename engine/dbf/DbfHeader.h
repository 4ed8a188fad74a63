// The table header and field descriptors of a .dbf file, read with the tolerance real files need.
#pragma once

#include "engine/Warning.h"
#include "engine/dbf/DbfFormat.h"
#include "engine/dbf/FieldProperties.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::dbf {

struct FieldKind;

struct FieldDescriptor {
    std::string rawName;     // the name's bytes up to the first NUL, in the table's code page
    char type = 'C';         // the type letter
    int length = 0;          // bytes in the record (long character fields resolved)
    int decimals = 0;        // 0 for long character fields
    std::size_t offset = 0;  // from the start of the record (the deletion flag is byte 0)
    const FieldKind* kind = nullptr;  // never null in a parsed header
    std::size_t descriptorAt = 0;     // where its descriptor starts in the file
    // An autoincrement field: the table numbers its records itself, and (in dBASE 7 and Visual
    // FoxPro) its descriptor holds the next number (and in Visual FoxPro the step).
    bool autoincrement = false;
    std::uint32_t nextAutoincrement = 0;
    std::uint8_t autoincrementStep = 1;
    bool required = false;  // dBASE 7: a field property forbids blank values
    // Visual FoxPro only: the descriptor's flags (kFieldNullable, ...); the bit of the record's
    // null flags that says the value is null, and (V, Q) the bit that says it is shorter than
    // the field (-1: none).
    std::uint8_t flags = 0;
    int nullBit = -1;
    int lengthBit = -1;
};

struct TableHeader {
    std::uint8_t version = 0;
    VersionInfo versionInfo;
    int updateYear = 0;  // 0 when the header's date is not a date
    int updateMonth = 0;
    int updateDay = 0;
    std::uint32_t declaredCount = 0;  // the record count the header states
    std::uint16_t headerLength = 0;   // where record 1 starts
    std::uint16_t recordLength = 0;   // stride between records
    bool incompleteTransaction = false;
    bool indexFlag = false;  // the header says a production index exists
    std::uint8_t languageDriver = 0;
    std::string languageDriverName;  // dBASE 7: "DB437US0", "DBWINUS0", ... ("" when none)
    // Tolerated oddities that make writing unsafe: a record length one byte short of the fields
    // (read with the fields' length), an autoincrement field in a table that cannot keep its
    // counter.
    bool mendedRecordLength = false;
    bool foreignAutoincrement = false;
    std::uint8_t tableFlags = 0;  // byte 28 as it is
    // The fields shown, in order; Visual FoxPro's system fields (_NullFlags) are hidden: never
    // shown and never written, except the null flags' bits.
    std::vector<FieldDescriptor> fields;
    FieldProperties properties;  // dBASE 7
    std::vector<FieldDescriptor> hiddenFields;
    // Where the record's null flags are and how many bytes they take (0: none).
    std::size_t nullFlagsOffset = 0;
    std::size_t nullFlagsSize = 0;
    // Some field marked nullable or of varying length has no bit in the null flags.
    bool nullFlagsIncomplete = false;
    // Visual FoxPro: the database container's path, its bytes up to the first NUL (empty for a
    // free table).
    std::string backlink;
    // The first field of a type this program does not know (FoxPro tables open read-only with
    // such fields shown as bytes; other tables are refused), as the user reads it.
    std::string unknownField;

    // Some field points into a memo file.
    bool hasMemoFields() const;
};

// How many bytes from the start of a table file its header takes, judged from its first
// kHeaderSize bytes (fewer when the file is shorter).
std::size_t headerSpan(const std::uint8_t* first, std::size_t size);

// Parses the first `size` bytes of a table file of fileSize bytes. Throws EngineError
// ("Cannot open PATH: why.") for a table the engine refuses: an unknown or unsupported version,
// encryption, a header that does not fit the file, fields that need more than the record length,
// or a field of a type (or width) that the version's dialects do not have (FoxPro tables show
// such fields as bytes instead). The version byte decides the header's layout. Oddities it
// tolerates go to warnings as sentences.
TableHeader parseHeader(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize,
                        const std::string& path, std::vector<Warning>& warnings);

// The year the header's year byte means: dBASE writes year - 1900, some writers year mod 100.
int displayYear(std::uint8_t yearByte);

}  // namespace engine::dbf
