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
// A table open for writing holds a shared lock on this byte for as long as it is open, so that a
// tool that rewrites the table whole can tell, by an exclusive lock over the whole file, that no
// one else has it open for writing.
inline constexpr std::uint64_t kOpenLockOffset = kHeaderLockOffset + 1;
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
// dBASE 7 has the kinds of dBASE IV and its own (binary integers, doubles, timestamps, binary
// memos); dBASE II only character, numeric and logical fields, as dBASE III has them.
inline constexpr Dialects kDbase7 = 1 << 8;
inline constexpr Dialects kDbase7Table = kDbaseIV | kDbase7;
// FoxBASE+ and FoxPro 2.x (memo pointers of ten digits, .fpt memo files), and Visual FoxPro
// (field flags, null flags, binary memo pointers, the database container's backlink).
inline constexpr Dialects kFoxPro = 1 << 9;
inline constexpr Dialects kVisualFoxPro = 1 << 10;
inline constexpr Dialects kFoxFamily = kFoxPro | kVisualFoxPro;

// How the first bytes of a header are laid out: count, lengths and date at the offsets above
// (dBASE III to 7, FoxPro), or dBASE II's (below).
enum class HeaderForm { Standard, DbaseII };

// Where a header's field descriptors start and how one is laid out: the 32-byte descriptors after
// a 32-byte header of dBASE III, IV and 5; 48-byte ones after 68 bytes in dBASE 7; 16-byte ones
// in dBASE II's fixed header. Visual FoxPro's descriptors add flags and autoincrement counters,
// and its field list is followed by the database container's backlink.
struct HeaderLayout {
    std::size_t fieldsStart;
    std::size_t descriptorSize;
    std::size_t nameSize;  // the name's bytes, NUL-padded
    std::size_t typeAt;
    std::size_t lengthAt;
    std::size_t decimalsAt;
    HeaderForm form = HeaderForm::Standard;
    std::size_t counterAt = 0;     // autoincrement next value (uint32 LE) in a descriptor; 0: none
    std::size_t driverNameAt = 0;  // the language driver's name in the header; 0: none
    bool fieldFlags = false;       // Visual FoxPro's flags and autoincrement steps in descriptors
    std::size_t backlinkSize = 0;
};
inline constexpr HeaderLayout kDbaseLayout{kHeaderSize,     kDescriptorSize,   kDescriptorNameSize,
                                           kDescriptorType, kDescriptorLength, kDescriptorDecimals};
// Visual FoxPro: the dBASE III layout, with flags, an autoincrement counter (next value at 19,
// step at 23) in each descriptor and the backlink after the terminator.
inline constexpr HeaderLayout kVisualFoxProLayout{kHeaderSize,
                                                  kDescriptorSize,
                                                  kDescriptorNameSize,
                                                  kDescriptorType,
                                                  kDescriptorLength,
                                                  kDescriptorDecimals,
                                                  HeaderForm::Standard,
                                                  kDescriptorAutoNext,
                                                  0,
                                                  true,
                                                  kBacklinkSize};

// dBASE 7: a 68-byte header with the language driver's name at 32 (32 bytes, NUL-padded), then
// 48-byte descriptors: name 0-31, type 32, length 33, decimals 34, index tag flag 37,
// autoincrement next value 42-45. After the terminator a field-properties area may follow.
inline constexpr std::size_t kDbase7HeaderSize = 68;
inline constexpr std::size_t kDbase7DriverNameSize = 32;
inline constexpr HeaderLayout kDbase7Layout{kDbase7HeaderSize,    48, 32, 32, 33, 34,
                                            HeaderForm::Standard, 42, 32};

// dBASE II: count (uint16) at 1, month, day and year at 3-5, record length (uint16) at 6, up to
// 32 descriptors of 16 bytes from 8 (name 0-10, type 11, length 12, decimals 15; a 0x0D at the
// start of the first unused one), and the records from 521 whatever the fields.
inline constexpr std::size_t kDbaseIIRecordCount = 1;
inline constexpr std::size_t kDbaseIIUpdateDate = 3;
inline constexpr std::size_t kDbaseIIRecordLength = 6;
inline constexpr std::size_t kDbaseIIMaxFields = 32;
inline constexpr std::size_t kDbaseIIHeaderLength = 521;
inline constexpr HeaderLayout kDbaseIILayout{8, 16, 11, 11, 12, 15, HeaderForm::DbaseII};

enum class VersionSupport { ReadWrite, ReadOnly, Refused };

struct VersionInfo {
    VersionSupport support = VersionSupport::Refused;
    MemoStyle memoStyle = MemoStyle::None;  // the style a memo file of this version uses
    // For the user: "dBASE III with memo", or why the table is refused or read-only.
    std::string description;
    // The kinds of field its tables may hold, and how their headers are laid out.
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
