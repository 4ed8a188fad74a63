// The writer's lowest layer: little-endian encoding and record framing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace xls::biff8 {

using Bytes = std::vector<std::uint8_t>;

inline void putU8(Bytes& out, std::uint8_t value) { out.push_back(value); }
inline void putU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void putU32(Bytes& out, std::uint32_t value) {
    putU16(out, static_cast<std::uint16_t>(value));
    putU16(out, static_cast<std::uint16_t>(value >> 16));
}
void putF64(Bytes& out, double value);
void patchU16(Bytes& out, std::size_t position, std::uint16_t value);
void patchU32(Bytes& out, std::size_t position, std::uint32_t value);

// Starts a record: appends its id and a length to be filled in by endRecord. Returns the
// position of the record's header.
std::size_t beginRecord(Bytes& out, std::uint16_t id);
// Ends the record begun at headerPosition: everything appended since is its body. Throws
// std::logic_error if the body exceeds kMaxRecordBody (the encoders never let that happen).
void endRecord(Bytes& out, std::size_t headerPosition);
// Appends a whole record.
void appendRecord(Bytes& out, std::uint16_t id, std::span<const std::uint8_t> body);

// True when every code unit fits in one byte, so the string can be stored compressed.
bool isCompressible(std::u16string_view units);
// Appends code units compressed (low bytes) or as UTF-16LE.
void putUnits(Bytes& out, std::u16string_view units, bool compressed);
// A string with an 8-bit character count (FONT and BOUNDSHEET names): count, flags, units.
// The caller ensures units.size() <= 255.
void putShortString(Bytes& out, std::u16string_view units);
// A string with a 16-bit character count (FORMAT, LABEL, SST entries): count, flags, units. The
// caller ensures units.size() <= 65535.
void putString(Bytes& out, std::u16string_view units);

}  // namespace xls::biff8
