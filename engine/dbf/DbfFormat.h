// The dBASE table and memo formats in numbers: version bytes, header offsets, type letters,
// widths, limits and lock offsets. docs/formats/dbf.md describes the bytes in prose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine::dbf {

// Table header (the first 32 bytes).
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kOffsetVersion = 0;
inline constexpr std::size_t kOffsetUpdateDate = 1;     // year - 1900, month, day
inline constexpr std::size_t kOffsetRecordCount = 4;    // uint32 LE
inline constexpr std::size_t kOffsetHeaderLength = 8;   // uint16 LE: where record 1 starts
inline constexpr std::size_t kOffsetRecordLength = 10;  // uint16 LE: deletion flag + fields
inline constexpr std::size_t kOffsetTransaction = 14;   // 1 while a transaction is incomplete
inline constexpr std::size_t kOffsetEncryption = 15;    // 1 when the records are encrypted
inline constexpr std::size_t kOffsetIndexFlag = 28;     // 1 when a production .mdx exists
// FoxPro's table flags at offset 28: a structural .cdx, memo fields, a database container.
inline constexpr std::uint8_t kTableFlagIndex = 0x01;
inline constexpr std::size_t kOffsetLanguageDriver = 29;

// Field descriptors (32 bytes each, from offset 32: the dBASE layout below).
inline constexpr std::size_t kDescriptorSize = 32;
inline constexpr std::size_t kDescriptorNameSize = 11;  // up to 10 characters and a NUL
inline constexpr std::size_t kDescriptorType = 11;
inline constexpr std::size_t kDescriptorLength = 16;
inline constexpr std::size_t kDescriptorDecimals = 17;
inline constexpr std::size_t kMaxFieldNameLength = 10;
// Visual FoxPro's descriptor bytes: the field's offset in the record (a cross-check only), its
// flags, and an autoincrement field's next value (uint32 LE) and step.
inline constexpr std::size_t kDescriptorFlags = 18;
inline constexpr std::size_t kDescriptorAutoNext = 19;
inline constexpr std::size_t kDescriptorAutoStep = 23;
inline constexpr std::uint8_t kFieldSystem = 0x01;         // hidden: never shown, bytes kept
inline constexpr std::uint8_t kFieldNullable = 0x02;       // one bit in _NullFlags says null
inline constexpr std::uint8_t kFieldBinary = 0x04;         // bytes without code page translation
inline constexpr std::uint8_t kFieldAutoIncrement = 0x08;  // with kFieldBinary
// After a Visual FoxPro table's field terminator: the database container's path, NUL-padded.
inline constexpr std::size_t kBacklinkSize = 263;
inline constexpr char kNullFlagsName[] = "_NullFlags";

inline constexpr std::uint8_t kFieldTerminator = 0x0D;
inline constexpr std::uint8_t kOldFieldTerminator = 0x0A;  // some 1990s writers
inline constexpr std::uint8_t kEndOfFile = 0x1A;
inline constexpr std::uint8_t kLiveFlag = ' ';
inline constexpr std::uint8_t kDeletedFlag = '*';

// Version bytes this engine reads and writes.
inline constexpr std::uint8_t kVersionPlain = 0x03;
inline constexpr std::uint8_t kVersionMemoIII = 0x83;
inline constexpr std::uint8_t kVersionMemoIV = 0x8B;

// The largest file the engine lets a table grow to: many readers use signed 32-bit offsets.
inline constexpr std::uint64_t kMaxFileSize = 0x7FFF'FFFF;

// Widths of the fixed-width types and the limits the engine enforces when it creates a field.
inline constexpr int kLogicalWidth = 1;
inline constexpr int kDateWidth = 8;
inline constexpr int kMemoWidth = 10;
inline constexpr int kMaxCharacterWidth = 254;
inline constexpr int kMaxNumericWidth = 20;  // 19 in dBASE III
inline constexpr int kMaxNumericWidthIII = 19;

// Memo files (.dbt).
inline constexpr std::uint32_t kMemoBlockSize = 512;     // dBASE III; the IV default
inline constexpr std::size_t kMemoHeaderNextFree = 0;    // uint32 LE
inline constexpr std::size_t kMemoHeaderName = 8;        // IV: table name, 8 bytes
inline constexpr std::size_t kMemoHeaderBlockSize = 20;  // IV: uint16 LE
inline constexpr std::size_t kMemoBlockHeaderSize = 8;   // IV: FF FF 08 00 + uint32 length
inline constexpr std::uint8_t kMemoSignature[4] = {0xFF, 0xFF, 0x08, 0x00};

// Byte-range locks, at the offsets dBASE uses: far past any data, so no byte is really locked.
inline constexpr std::uint64_t kHeaderLockOffset = 0xEFFF'FFFE;
// Record n (1-based) locks the byte kHeaderLockOffset - n.
inline constexpr std::uint64_t recordLockOffset(std::uint32_t physical) {
    return kHeaderLockOffset - (std::uint64_t{physical} + 1);
}

enum class MemoStyle {
    None,
    III,  // text ended by 0x1A, 512-byte blocks
    IV,   // FF FF 08 00 + length header, block size from the file header
    Fpt,  // FoxPro .fpt: big-endian header and block headers
};

// The xBase dialects, as bits of a set (which field kinds a table may hold).
using Dialects = std::uint16_t;
inline constexpr Dialects kDbaseIII = 1 << 0;
inline constexpr Dialects kDbaseIV = 1 << 1;
inline constexpr Dialects kDbase5 = 1 << 2;
// The dialects a table of version 0x03, 0x83 or 0x8B may be: the version byte cannot tell
// dBASE IV from dBASE 5.
inline constexpr Dialects kDbaseIIIto5 = kDbaseIII | kDbaseIV | kDbase5;
// FoxBASE+ and FoxPro 2.x (memo pointers of ten digits, .fpt memo files), and Visual FoxPro
// (field flags, null flags, binary memo pointers, the database container's backlink).
inline constexpr Dialects kFoxPro = 1 << 8;
inline constexpr Dialects kVisualFoxPro = 1 << 9;
inline constexpr Dialects kFoxFamily = kFoxPro | kVisualFoxPro;

// Where a header's field descriptors start and how one is laid out: the 32-byte descriptors after
// a 32-byte header of dBASE III, IV and 5. (dBASE 7 has 48-byte descriptors after 68 bytes,
// dBASE II 16-byte ones.) Visual FoxPro's descriptors add flags and autoincrement counters, and
// its field list is followed by the database container's backlink.
struct HeaderLayout {
    std::size_t fieldsStart;
    std::size_t descriptorSize;
    std::size_t nameSize;  // the name's bytes, NUL-padded
    std::size_t typeAt;
    std::size_t lengthAt;
    std::size_t decimalsAt;
    bool fieldFlags = false;  // flags and autoincrement counters at kDescriptorFlags..
    std::size_t backlinkSize = 0;
};
inline constexpr HeaderLayout kDbaseLayout{kHeaderSize,     kDescriptorSize,   kDescriptorNameSize,
                                           kDescriptorType, kDescriptorLength, kDescriptorDecimals};
inline constexpr HeaderLayout kVisualFoxProLayout{kHeaderSize,
                                                  kDescriptorSize,
                                                  kDescriptorNameSize,
                                                  kDescriptorType,
                                                  kDescriptorLength,
                                                  kDescriptorDecimals,
                                                  true,
                                                  kBacklinkSize};

enum class VersionSupport { ReadWrite, ReadOnly, Refused };

struct VersionInfo {
    VersionSupport support = VersionSupport::Refused;
    MemoStyle memoStyle = MemoStyle::None;  // the style a memo file of this version uses
    // For the user: "dBASE III with memo", or why the table is refused or read-only.
    std::string description;
    // Every version read today is a dBASE III, IV or 5 table with their header layout.
    Dialects dialects = kDbaseIIIto5;
    HeaderLayout layout = kDbaseLayout;
};

// What the engine makes of a version byte (offset 0).
VersionInfo describeVersion(std::uint8_t version);

// "0x8B": a byte as the messages show version and language driver bytes.
std::string hexByte(std::uint8_t byte);

// The highest field count and record length a version allows when creating a table.
struct VersionLimits {
    int maxFields;
    int maxRecordLength;
};
inline constexpr VersionLimits kLimitsIII{128, 4000};
inline constexpr VersionLimits kLimitsIV{255, 4000};
inline constexpr VersionLimits kLimitsV{1024, 32767};

}  // namespace engine::dbf
