#include "xls/biff8/RecordWriter.h"

#include "xls/biff8/Biff8Format.h"

#include <bit>
#include <stdexcept>
#include <string>

namespace xls::biff8 {

void putF64(Bytes& out, double value) {
    auto bits = std::bit_cast<std::uint64_t>(value);
    putU32(out, static_cast<std::uint32_t>(bits));
    putU32(out, static_cast<std::uint32_t>(bits >> 32));
}

void patchU16(Bytes& out, std::size_t position, std::uint16_t value) {
    out.at(position) = static_cast<std::uint8_t>(value);
    out.at(position + 1) = static_cast<std::uint8_t>(value >> 8);
}

void patchU32(Bytes& out, std::size_t position, std::uint32_t value) {
    patchU16(out, position, static_cast<std::uint16_t>(value));
    patchU16(out, position + 2, static_cast<std::uint16_t>(value >> 16));
}

std::size_t beginRecord(Bytes& out, std::uint16_t id) {
    std::size_t header = out.size();
    putU16(out, id);
    putU16(out, 0);
    return header;
}

void endRecord(Bytes& out, std::size_t headerPosition) {
    std::size_t length = out.size() - headerPosition - kRecordHeaderSize;
    if (length > kMaxRecordBody) {
        throw std::logic_error("BIFF8 record body of " + std::to_string(length) + " bytes");
    }
    patchU16(out, headerPosition + 2, static_cast<std::uint16_t>(length));
}

void appendRecord(Bytes& out, std::uint16_t id, std::span<const std::uint8_t> body) {
    std::size_t header = beginRecord(out, id);
    out.insert(out.end(), body.begin(), body.end());
    endRecord(out, header);
}

bool isCompressible(std::u16string_view units) {
    for (char16_t unit : units) {
        if (unit > 0xFF) return false;
    }
    return true;
}

void putUnits(Bytes& out, std::u16string_view units, bool compressed) {
    for (char16_t unit : units) {
        if (compressed) {
            putU8(out, static_cast<std::uint8_t>(unit));
        } else {
            putU16(out, unit);
        }
    }
}

void putShortString(Bytes& out, std::u16string_view units) {
    bool compressed = isCompressible(units);
    putU8(out, static_cast<std::uint8_t>(units.size()));
    putU8(out, compressed ? 0 : kStringHighByte);
    putUnits(out, units, compressed);
}

void putString(Bytes& out, std::u16string_view units) {
    bool compressed = isCompressible(units);
    putU16(out, static_cast<std::uint16_t>(units.size()));
    putU8(out, compressed ? 0 : kStringHighByte);
    putUnits(out, units, compressed);
}

}  // namespace xls::biff8
