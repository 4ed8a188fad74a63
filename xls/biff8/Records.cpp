#include "xls/biff8/Records.h"

#include "base/Endian.h"
#include "xls/biff8/Biff8Format.h"

#include <bit>
#include <cmath>

namespace xls::biff8 {

namespace {

// The BOF build and year words of the first BIFF8 release; readers only check the version.
constexpr std::uint16_t kBofBuild = 0x0DBB;
constexpr std::uint16_t kBofYear = 0x07CC;
// Lowest BIFF version that reads every record of the file.
constexpr std::uint32_t kBofLowestVersion = 0x00000006;

// Alignment byte of the Normal style: general horizontal, bottom vertical.
constexpr std::uint8_t kAlignGeneralBottom = 0x20;
// Default pattern colours: system foreground 64, background 65.
constexpr std::uint16_t kDefaultPatternColours = 0x20C0;

// A small record assembled on the stack and appended in one go: cell records are most of a
// workbook stream.
class CellRecord {
public:
    // recordLength: header included.
    CellRecord(std::uint16_t id, std::size_t recordLength, std::uint16_t row, std::uint16_t column,
               std::uint16_t xf) {
        u16(id);
        u16(static_cast<std::uint16_t>(recordLength - kRecordHeaderSize));
        u16(row);
        u16(column);
        u16(xf);
    }
    void u8(std::uint8_t value) { m_bytes[m_size++] = value; }
    void u16(std::uint16_t value) {
        base::storeLittle(m_bytes + m_size, value);
        m_size += 2;
    }
    void u32(std::uint32_t value) {
        base::storeLittle(m_bytes + m_size, value);
        m_size += 4;
    }
    void appendTo(Bytes& out) const { out.insert(out.end(), m_bytes, m_bytes + m_size); }

private:
    std::uint8_t m_bytes[kNumberRecordLength];
    std::size_t m_size = 0;
};

void putXf(Bytes& out, std::uint16_t numberFormat, std::uint16_t typeAndParent,
           std::uint8_t usedAttributes) {
    std::size_t header = beginRecord(out, record::kXf);
    putU16(out, 0);  // font 0
    putU16(out, numberFormat);
    putU16(out, typeAndParent);
    putU8(out, kAlignGeneralBottom);
    putU8(out, 0);  // rotation
    putU8(out, 0);  // indent, shrink, reading order
    putU8(out, usedAttributes);
    putU32(out, 0);  // no borders
    putU32(out, 0);  // no border colours, no fill
    putU16(out, kDefaultPatternColours);
    endRecord(out, header);
}

}  // namespace

void appendBof(Bytes& out, std::uint16_t substreamType) {
    std::size_t header = beginRecord(out, record::kBof);
    putU16(out, kBiff8Version);
    putU16(out, substreamType);
    putU16(out, kBofBuild);
    putU16(out, kBofYear);
    putU32(out, 0);  // file history flags
    putU32(out, kBofLowestVersion);
    endRecord(out, header);
}

void appendEof(Bytes& out) { endRecord(out, beginRecord(out, record::kEof)); }

void appendCodePage(Bytes& out) {
    std::size_t header = beginRecord(out, record::kCodePage);
    putU16(out, 1200);
    endRecord(out, header);
}

void appendWindow1(Bytes& out, std::uint16_t activeSheet, std::uint16_t selectedSheets) {
    std::size_t header = beginRecord(out, record::kWindow1);
    putU16(out, 0x01E0);  // left, in twips
    putU16(out, 0x005A);  // top
    putU16(out, 0x3FCF);  // width
    putU16(out, 0x2A4E);  // height
    putU16(out, 0x0038);  // scroll bars and sheet tabs shown
    putU16(out, activeSheet);
    putU16(out, 0);  // first visible tab
    putU16(out, selectedSheets);
    putU16(out, 0x0258);  // tab bar width: 600/1000 of the window
    endRecord(out, header);
}

void appendDateMode(Bytes& out, bool date1904) {
    std::size_t header = beginRecord(out, record::kDateMode);
    putU16(out, date1904 ? 1 : 0);
    endRecord(out, header);
}

void appendFont(Bytes& out) {
    std::size_t header = beginRecord(out, record::kFont);
    putU16(out, 200);     // 10 pt, in twentieths of a point
    putU16(out, 0);       // no italic, strikeout, outline or shadow
    putU16(out, 0x7FFF);  // automatic colour
    putU16(out, 400);     // normal weight
    putU16(out, 0);       // no escapement
    putU8(out, 0);        // no underline
    putU8(out, 0);        // family: don't care
    putU8(out, 0);        // ANSI character set
    putU8(out, 0);
    putShortString(out, u"Arial");
    endRecord(out, header);
}

void appendStyleXf(Bytes& out, bool normal) {
    // Style XF: locked, style bit, parent 0xFFF. The outline styles say they define nothing of
    // their own beyond the number format.
    putXf(out, kFormatGeneral, 0xFFF5, normal ? 0x00 : 0xF4);
}

void appendCellXf(Bytes& out, std::uint16_t numberFormat) {
    // Cell XF: locked, parent style 0; a date format is flagged as set by the XF itself.
    putXf(out, numberFormat, 0x0001, numberFormat == kFormatGeneral ? 0x00 : 0x04);
}

void appendStyle(Bytes& out) {
    std::size_t header = beginRecord(out, record::kStyle);
    putU16(out, 0x8000);  // built-in style, XF 0
    putU8(out, 0);        // Normal
    putU8(out, 0xFF);     // not an outline style
    endRecord(out, header);
}

void appendBoundSheet(Bytes& out, std::uint32_t sheetOffset, std::u16string_view name,
                      std::uint8_t visibility) {
    std::size_t header = beginRecord(out, record::kBoundSheet);
    putU32(out, sheetOffset);
    putU8(out, visibility);
    putU8(out, sheettype::kWorksheet);
    putShortString(out, name);
    endRecord(out, header);
}

void appendDimensions(Bytes& out, std::uint32_t firstRow, std::uint32_t lastRowPlusOne,
                      std::uint16_t firstColumn, std::uint16_t lastColumnPlusOne) {
    std::size_t header = beginRecord(out, record::kDimensions);
    putU32(out, firstRow);
    putU32(out, lastRowPlusOne);
    putU16(out, firstColumn);
    putU16(out, lastColumnPlusOne);
    putU16(out, 0);
    endRecord(out, header);
}

void appendWindow2(Bytes& out, bool selected, bool active) {
    // Gridlines, headings, zeros, automatic gridline colour, outline symbols.
    std::uint16_t flags = 0x00B6;
    if (selected || active) flags |= 0x0200;
    if (active) flags |= 0x0400;
    std::size_t header = beginRecord(out, record::kWindow2);
    putU16(out, flags);
    putU16(out, 0);   // first visible row
    putU16(out, 0);   // first visible column
    putU16(out, 64);  // automatic gridline colour
    putU16(out, 0);
    putU16(out, 0);  // default zoom in page break preview
    putU16(out, 0);  // default zoom in normal view
    putU32(out, 0);
    endRecord(out, header);
}

void appendNumber(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                  double value) {
    CellRecord cell(record::kNumber, kNumberRecordLength, row, column, xf);
    auto bits = std::bit_cast<std::uint64_t>(value);
    cell.u32(static_cast<std::uint32_t>(bits));
    cell.u32(static_cast<std::uint32_t>(bits >> 32));
    cell.appendTo(out);
}

void appendRk(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
              std::uint32_t rk) {
    CellRecord cell(record::kRk, kRkRecordLength, row, column, xf);
    cell.u32(rk);
    cell.appendTo(out);
}

void appendLabelSst(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                    std::uint32_t stringIndex) {
    CellRecord cell(record::kLabelSst, kLabelSstRecordLength, row, column, xf);
    cell.u32(stringIndex);
    cell.appendTo(out);
}

void appendBoolErr(Bytes& out, std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                   std::uint8_t value, bool isError) {
    CellRecord cell(record::kBoolErr, kBoolErrRecordLength, row, column, xf);
    cell.u8(value);
    cell.u8(isError ? 1 : 0);
    cell.appendTo(out);
}

double decodeRk(std::uint32_t rk) {
    double value = 0;
    if ((rk & 0x02) != 0) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        value = std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    }
    return (rk & 0x01) != 0 ? value / 100.0 : value;
}

bool encodeRk(double value, std::uint32_t& rk) {
    auto exact = [value](std::uint32_t candidate) {
        return std::bit_cast<std::uint64_t>(decodeRk(candidate)) ==
               std::bit_cast<std::uint64_t>(value);
    };
    if (!std::isfinite(value)) return false;
    // This runs twice for every number written (once to measure, once to write): the tests are
    // plain comparisons, and the exact decode settles every doubt (-0, rounding of the hundredths).
    const double candidates[] = {value, value * 100.0};
    // A signed 30-bit integer, as is or times 100.
    constexpr double kMin = -536870912.0, kMax = 536870911.0;
    for (std::uint32_t scaled : {0u, 1u}) {
        double candidate = candidates[scaled];
        if (candidate >= kMin && candidate <= kMax) {
            auto integer = static_cast<std::int32_t>(candidate);
            if (static_cast<double>(integer) == candidate) {
                std::uint32_t code = (static_cast<std::uint32_t>(integer) << 2) | 0x02u | scaled;
                if (exact(code)) {
                    rk = code;
                    return true;
                }
            }
        }
    }
    // The high 30 bits of the double, as is or times 100.
    for (std::uint32_t scaled : {0u, 1u}) {
        auto bits = std::bit_cast<std::uint64_t>(candidates[scaled]);
        if ((bits & 0x3FFFFFFFFull) == 0) {
            std::uint32_t code = static_cast<std::uint32_t>(bits >> 32) | scaled;
            if (exact(code)) {
                rk = code;
                return true;
            }
        }
    }
    return false;
}

}  // namespace xls::biff8
