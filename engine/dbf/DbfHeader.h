// The table header and field descriptors of a .dbf file, read with the tolerance real files need.
#pragma once

#include "engine/dbf/DbfFormat.h"

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
    std::vector<FieldDescriptor> fields;

    // Some field points into a memo file.
    bool hasMemoFields() const;
};

// Parses the first `size` bytes of a table file of fileSize bytes. Throws EngineError
// ("Cannot open PATH: why.") for a table the engine refuses: an unknown or unsupported version,
// encryption, a header that does not fit the file, fields that need more than the record length,
// or a field of a type (or width) that the version's dialects do not have. The version byte
// decides the header's layout. Oddities it tolerates go to warnings as sentences.
TableHeader parseHeader(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize,
                        const std::string& path, std::vector<std::string>& warnings);

// The year the header's year byte means: dBASE writes year - 1900, some writers year mod 100.
int displayYear(std::uint8_t yearByte);

}  // namespace engine::dbf
