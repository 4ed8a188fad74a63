#include "xls/biff8/RecordWriter.h"

#include "xls/biff8/Biff8Format.h"

#include <stdexcept>
#include <string>

namespace xls::biff8 {

StreamBuffer::StreamBuffer(Sink sink, std::size_t startPosition)
    : m_sink(std::move(sink)), m_handedOn(startPosition) {
    // Records never exceed a few kilobytes, so the buffer never grows past this.
    m_buffer.reserve(kHandOnSize + 2 * (kRecordHeaderSize + kMaxRecordBody));
}

void StreamBuffer::flush() {
    if (m_sink && !m_buffer.empty()) m_sink(m_buffer);
    m_handedOn += m_buffer.size();
    m_buffer.clear();
}

void patchU16(Bytes& out, std::size_t position, std::uint16_t value) {
    if (out.size() < 2 || position > out.size() - 2) throw std::out_of_range("patchU16");
    base::storeLittle(out.data() + position, value);
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

bool isCompressible(std::u16string_view units) {
    for (char16_t unit : units) {
        if (unit > 0xFF) return false;
    }
    return true;
}

void putUnits(Bytes& out, std::u16string_view units, bool compressed) {
    std::size_t at = out.size();
    out.resize(at + units.size() * (compressed ? 1 : 2));
    std::uint8_t* to = out.data() + at;
    for (char16_t unit : units) {
        if (compressed) {
            *to++ = static_cast<std::uint8_t>(unit);
        } else {
            base::storeLittle(to, static_cast<std::uint16_t>(unit));
            to += 2;
        }
    }
}

void putShortString(Bytes& out, std::u16string_view units) {
    bool compressed = isCompressible(units);
    putU8(out, static_cast<std::uint8_t>(units.size()));
    putU8(out, compressed ? 0 : kStringHighByte);
    putUnits(out, units, compressed);
}

}  // namespace xls::biff8
