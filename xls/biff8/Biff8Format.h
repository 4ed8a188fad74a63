// Record identifiers, sizes and fixed values of the BIFF8 workbook stream (docs/formats/biff8.md).
#pragma once

#include <cstddef>
#include <cstdint>

namespace xls::biff8 {

// Record framing: 2-byte id, 2-byte body length, body of at most kMaxRecordBody bytes. Longer
// content continues in CONTINUE records.
inline constexpr std::size_t kRecordHeaderSize = 4;
inline constexpr std::size_t kMaxRecordBody = 8224;

namespace record {
inline constexpr std::uint16_t kFormula = 0x0006;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kProtect = 0x0012;
inline constexpr std::uint16_t kHeader = 0x0014;
inline constexpr std::uint16_t kFooter = 0x0015;
inline constexpr std::uint16_t kExternName = 0x0023;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kName = 0x0018;
inline constexpr std::uint16_t kNote = 0x001C;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kFont = 0x0031;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kObj = 0x005D;
inline constexpr std::uint16_t kColInfo = 0x007D;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kAutoFilterInfo = 0x009D;
inline constexpr std::uint16_t kMulRk = 0x00BD;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kRString = 0x00D6;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kMergedCells = 0x00E5;
inline constexpr std::uint16_t kMsoDrawing = 0x00EC;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kExtSst = 0x00FF;
inline constexpr std::uint16_t kCondFmt = 0x01B0;
inline constexpr std::uint16_t kDataValidations = 0x01B2;
inline constexpr std::uint16_t kHyperlink = 0x01B8;
inline constexpr std::uint16_t kDataValidation = 0x01BE;
inline constexpr std::uint16_t kDimensions = 0x0200;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kString = 0x0207;
inline constexpr std::uint16_t kRow = 0x0208;
inline constexpr std::uint16_t kArray = 0x0221;
inline constexpr std::uint16_t kWindow2 = 0x023E;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kStyle = 0x0293;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kSharedFormula = 0x04BC;
inline constexpr std::uint16_t kBof = 0x0809;
// BOF ids of the BIFF2, BIFF3 and BIFF4 formats (bare streams, never in a compound file).
inline constexpr std::uint16_t kBofBiff2 = 0x0009;
inline constexpr std::uint16_t kBofBiff3 = 0x0209;
inline constexpr std::uint16_t kBofBiff4 = 0x0409;
}  // namespace record

// BOF version and substream types.
inline constexpr std::uint16_t kBiff8Version = 0x0600;
inline constexpr std::uint16_t kBiff5Version = 0x0500;
namespace substream {
inline constexpr std::uint16_t kGlobals = 0x0005;
inline constexpr std::uint16_t kVbModule = 0x0006;
inline constexpr std::uint16_t kWorksheet = 0x0010;
inline constexpr std::uint16_t kChart = 0x0020;
inline constexpr std::uint16_t kMacroSheet = 0x0040;
}  // namespace substream

// BOUNDSHEET sheet types.
namespace sheettype {
inline constexpr std::uint8_t kWorksheet = 0;
inline constexpr std::uint8_t kMacroSheet = 1;
inline constexpr std::uint8_t kChart = 2;
inline constexpr std::uint8_t kVbModule = 6;
}  // namespace sheettype

// Flags byte of a BIFF8 string.
inline constexpr std::uint8_t kStringHighByte = 0x01;  // UTF-16LE; else one byte per unit (Latin-1)
inline constexpr std::uint8_t kStringPhonetic = 0x04;  // East Asian phonetic block follows
inline constexpr std::uint8_t kStringRich = 0x08;      // formatting runs follow

// Built-in number formats the writer uses for dates and times.
inline constexpr std::uint16_t kFormatGeneral = 0;
inline constexpr std::uint16_t kFormatDate = 14;      // short date
inline constexpr std::uint16_t kFormatTime = 21;      // h:mm:ss
inline constexpr std::uint16_t kFormatDateTime = 22;  // m/d/yy h:mm

// The writer's XF table: 15 style XFs, the default cell XF, then one cell XF per date format.
inline constexpr std::uint16_t kStyleXfCount = 15;
inline constexpr std::uint16_t kXfDefaultCell = 15;
inline constexpr std::uint16_t kXfDate = 16;
inline constexpr std::uint16_t kXfDateTime = 17;
inline constexpr std::uint16_t kXfTime = 18;

// BOOLERR error codes and their display texts.
struct ErrorCode {
    std::uint8_t code;
    const char* text;
};
inline constexpr ErrorCode kErrorCodes[] = {
    {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
    {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"},
};

}  // namespace xls::biff8
