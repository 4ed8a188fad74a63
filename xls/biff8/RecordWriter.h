// The writer's lowest layer: little-endian encoding and record framing.
#pragma once

#include "base/Endian.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace xls::biff8 {

using Bytes = std::vector<std::uint8_t>;

// A stream being written: records are appended to a buffer, which is handed to the sink in large
// pieces between records, so that a whole workbook stream is never held in memory. Without a
// sink the bytes are dropped and only counted, which measures a layout before it is written.
class StreamBuffer {
public:
    using Sink = std::function<void(std::span<const std::uint8_t>)>;

    // startPosition: the stream position of the first byte appended.
    explicit StreamBuffer(Sink sink = {}, std::size_t startPosition = 0);

    // The bytes not handed on yet; record encoders append here. Positions in it are valid until
    // the next recordEnded() or flush().
    Bytes& bytes() { return m_buffer; }
    // The stream position of the end of bytes().
    std::size_t position() const { return m_handedOn + m_buffer.size(); }
    // True when the bytes go nowhere: only positions matter, not what the bytes are.
    bool measuring() const { return !m_sink; }
    // Call between records, never inside one (a record's length is filled in at its end): hands
    // the buffer on once it is large.
    void recordEnded() {
        if (m_buffer.size() >= kHandOnSize) flush();
    }
    // Hands on everything appended so far. The sink's exceptions pass to the caller.
    void flush();

private:
    static constexpr std::size_t kHandOnSize = 256 * 1024;

    Sink m_sink;
    Bytes m_buffer;
    std::size_t m_handedOn = 0;
};

inline void putU8(Bytes& out, std::uint8_t value) { out.push_back(value); }
inline void putU16(Bytes& out, std::uint16_t value) {
    const std::size_t at = out.size();
    out.resize(at + 2);
    base::storeLittle(out.data() + at, value);
}
inline void putU32(Bytes& out, std::uint32_t value) {
    const std::size_t at = out.size();
    out.resize(at + 4);
    base::storeLittle(out.data() + at, value);
}
void patchU16(Bytes& out, std::size_t position, std::uint16_t value);

// Starts a record: appends its id and a length to be filled in by endRecord. Returns the
// position of the record's header.
std::size_t beginRecord(Bytes& out, std::uint16_t id);
// Ends the record begun at headerPosition: everything appended since is its body. Throws
// std::logic_error if the body exceeds kMaxRecordBody (the encoders never let that happen).
void endRecord(Bytes& out, std::size_t headerPosition);

// True when every code unit fits in one byte, so the string can be stored compressed.
bool isCompressible(std::u16string_view units);
// Appends code units compressed (low bytes) or as UTF-16LE.
void putUnits(Bytes& out, std::u16string_view units, bool compressed);
// Appends bytes as they are (one-byte characters).
inline void putBytes(Bytes& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
// A string with an 8-bit character count (FONT and BOUNDSHEET names): count, flags, units.
// The caller ensures units.size() <= 255.
void putShortString(Bytes& out, std::u16string_view units);

}  // namespace xls::biff8
