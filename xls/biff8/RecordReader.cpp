#include "xls/biff8/RecordReader.h"

#include "base/Endian.h"
#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/Utf16.h"

#include <bit>

namespace xls::biff8 {

RecordReader::RecordReader(std::span<const std::uint8_t> stream, std::size_t position)
    : m_stream(stream), m_position(position) {}

bool RecordReader::header(std::size_t at, std::uint16_t& id, std::size_t& length) const {
    if (at > m_stream.size() || m_stream.size() - at < kRecordHeaderSize) return false;
    const std::uint8_t* p = m_stream.data() + at;
    id = base::loadLittle<std::uint16_t>(p);
    length = base::loadLittle<std::uint16_t>(p + 2);
    return true;
}

bool RecordReader::fits(std::size_t at, std::size_t length) const {
    return m_stream.size() - at - kRecordHeaderSize >= length;
}

bool RecordReader::skip(std::uint16_t& id) {
    std::size_t length = 0;
    if (!header(m_position, id, length)) return false;
    if (!fits(m_position, length)) throw RecordTooShort();
    m_position += kRecordHeaderSize + length;
    return true;
}

bool RecordReader::next(Record& record) {
    std::size_t length = 0;
    record.segments.clear();
    if (!header(m_position, record.id, length)) return false;
    if (!fits(m_position, length)) throw RecordTooShort();
    record.offset = m_position;
    record.segments.push_back(m_stream.subspan(m_position + kRecordHeaderSize, length));
    m_position += kRecordHeaderSize + length;
    // Only a following CONTINUE belongs to this record; any other record is left for the next
    // call, which judges it.
    std::uint16_t id = 0;
    while (header(m_position, id, length) && id == record::kContinue) {
        if (!fits(m_position, length)) throw RecordTooShort();
        record.segments.push_back(m_stream.subspan(m_position + kRecordHeaderSize, length));
        m_position += kRecordHeaderSize + length;
    }
    return true;
}

BodyReader::BodyReader(const Record& record) : m_record(record) {}

void BodyReader::nextSegment() {
    if (m_segment + 1 >= m_record.segments.size()) throw RecordTooShort();
    ++m_segment;
    m_offset = 0;
}

std::size_t BodyReader::leftInSegment() const {
    return m_record.segments[m_segment].size() - m_offset;
}

std::size_t BodyReader::left() const {
    std::size_t total = leftInSegment();
    for (std::size_t s = m_segment + 1; s < m_record.segments.size(); ++s) {
        total += m_record.segments[s].size();
    }
    return total;
}

bool BodyReader::atEnd() const {
    if (leftInSegment() > 0) return false;
    for (std::size_t s = m_segment + 1; s < m_record.segments.size(); ++s) {
        if (!m_record.segments[s].empty()) return false;
    }
    return true;
}

std::uint8_t BodyReader::u8() {
    while (leftInSegment() == 0) nextSegment();
    return m_record.segments[m_segment][m_offset++];
}

template <typename T>
T BodyReader::little() {
    if (leftInSegment() >= sizeof(T)) {
        const std::uint8_t* p = m_record.segments[m_segment].data() + m_offset;
        m_offset += sizeof(T);
        return base::loadLittle<T>(p);
    }
    std::uint8_t bytes[sizeof(T)];
    for (std::uint8_t& byte : bytes) byte = u8();
    return base::loadLittle<T>(bytes);
}

std::uint16_t BodyReader::u16() { return little<std::uint16_t>(); }

std::uint32_t BodyReader::u32() { return little<std::uint32_t>(); }

double BodyReader::f64() { return std::bit_cast<double>(little<std::uint64_t>()); }

void BodyReader::skip(std::size_t count) {
    while (count > 0) {
        while (leftInSegment() == 0) nextSegment();
        std::size_t step = std::min(count, leftInSegment());
        m_offset += step;
        count -= step;
    }
}

std::string BodyReader::string(int countBytes, bool* rich, bool* phonetic) {
    std::size_t count = countBytes == 1 ? u8() : u16();
    if (rich != nullptr) *rich = false;
    if (phonetic != nullptr) *phonetic = false;
    if (count == 0 && atEnd()) return {};
    std::uint8_t flags = u8();
    std::size_t runs = 0;
    std::size_t phoneticSize = 0;
    if ((flags & kStringRich) != 0) runs = u16();
    if ((flags & kStringPhonetic) != 0) phoneticSize = u32();
    if (rich != nullptr) *rich = runs > 0;
    if (phonetic != nullptr) *phonetic = phoneticSize > 0;

    std::u16string units;
    units.reserve(count);
    bool wide = (flags & kStringHighByte) != 0;
    while (units.size() < count) {
        if (leftInSegment() == 0) {
            // The characters go on in the next CONTINUE, which starts with its own flags byte:
            // the encoding may change there.
            nextSegment();
            if (leftInSegment() == 0) continue;
            wide = (u8() & kStringHighByte) != 0;
            continue;
        }
        const std::uint8_t* p = m_record.segments[m_segment].data() + m_offset;
        std::size_t wanted = count - units.size();
        if (wide) {
            std::size_t available = leftInSegment() / 2;
            if (available == 0) {
                // A unit split across records: not valid, and not worth guessing at.
                throw RecordTooShort();
            }
            std::size_t take = std::min(wanted, available);
            for (std::size_t i = 0; i < take; ++i) {
                units.push_back(static_cast<char16_t>(base::loadLittle<std::uint16_t>(p + 2 * i)));
            }
            m_offset += 2 * take;
        } else {
            std::size_t take = std::min(wanted, leftInSegment());
            units.append(p, p + take);
            m_offset += take;
        }
    }
    skip(4 * runs);
    skip(phoneticSize);
    std::string utf8;
    appendUtf16AsUtf8(units, utf8);
    return utf8;
}

}  // namespace xls::biff8
