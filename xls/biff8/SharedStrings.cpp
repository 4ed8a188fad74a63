#include "xls/biff8/SharedStrings.h"

#include "xls/biff8/Biff8Format.h"

#include <algorithm>

namespace xls::biff8 {

namespace {

constexpr std::size_t kStringHeader = 3;  // 16-bit count and flags byte

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// How many units, starting at position, fit into room units without splitting a surrogate pair.
std::size_t unitsThatFit(std::u16string_view text, std::size_t position, std::size_t room) {
    std::size_t take = std::min(room, text.size() - position);
    std::size_t end = position + take;
    if (take > 0 && end < text.size() && isHighSurrogate(text[end - 1]) &&
        isLowSurrogate(text[end])) {
        --take;
    }
    return take;
}

// The record boundaries a string crosses when its header starts with `capacity` body bytes left
// in the current record.
std::size_t boundariesCrossed(std::u16string_view text, std::size_t capacity,
                              std::size_t unitSize) {
    std::size_t position = unitsThatFit(text, 0, (capacity - kStringHeader) / unitSize);
    std::size_t crossed = 0;
    while (position < text.size()) {
        ++crossed;
        position += unitsThatFit(text, position, (kMaxRecordBody - 1) / unitSize);
    }
    return crossed;
}

// The SST and its CONTINUE records as they are being filled.
class RecordSequence {
public:
    explicit RecordSequence(Bytes& out) : m_out(out) { m_header = beginRecord(out, record::kSst); }

    std::size_t room() const { return kMaxRecordBody - (m_out.size() - m_header - 4); }
    std::size_t header() const { return m_header; }
    void startContinue() {
        endRecord(m_out, m_header);
        m_header = beginRecord(m_out, record::kContinue);
    }
    void finish() { endRecord(m_out, m_header); }

private:
    Bytes& m_out;
    std::size_t m_header;
};

}  // namespace

std::uint32_t SharedStrings::add(std::u16string_view text) {
    ++m_total;
    m_strings.emplace_back(text);
    return static_cast<std::uint32_t>(m_strings.size() - 1);
}

std::uint16_t SharedStrings::bucketSize(std::size_t uniqueCount) {
    // About 128 buckets for large tables; the record cannot be continued.
    if (uniqueCount < 1024) return 8;
    return static_cast<std::uint16_t>(std::min<std::size_t>(1 + uniqueCount / 128, 0xFFFF));
}

void SharedStrings::appendRecords(Bytes& out) const {
    struct Bucket {
        std::uint32_t streamPosition;
        std::uint16_t offsetInRecord;
    };
    std::vector<Bucket> buckets;
    std::uint16_t perBucket = bucketSize(m_strings.size());

    RecordSequence records(out);
    putU32(out, m_total);
    putU32(out, uniqueCount());
    for (std::size_t index = 0; index < m_strings.size(); ++index) {
        const std::u16string& text = m_strings[index];
        bool compressed = isCompressible(text);
        std::size_t unitSize = compressed ? 1 : 2;
        std::size_t firstCharacter =
            text.size() >= 2 && isHighSurrogate(text[0]) && isLowSurrogate(text[1]) ? 2
            : text.empty()                                                          ? 0
                                                                                    : 1;
        if (records.room() < kStringHeader + firstCharacter * unitSize) {
            records.startContinue();
        } else {
            std::size_t here = boundariesCrossed(text, records.room(), unitSize);
            if (here >= 2 && boundariesCrossed(text, kMaxRecordBody, unitSize) <= 1) {
                records.startContinue();
            }
        }
        if (index % perBucket == 0) {
            buckets.push_back({static_cast<std::uint32_t>(out.size()),
                               static_cast<std::uint16_t>(out.size() - records.header())});
        }
        std::uint8_t flags = compressed ? 0 : kStringHighByte;
        putU16(out, static_cast<std::uint16_t>(text.size()));
        putU8(out, flags);
        std::size_t position = 0;
        while (true) {
            std::size_t take = unitsThatFit(text, position, records.room() / unitSize);
            putUnits(out, std::u16string_view(text).substr(position, take), compressed);
            position += take;
            if (position == text.size()) break;
            records.startContinue();
            putU8(out, flags);
        }
    }
    records.finish();

    std::size_t header = beginRecord(out, record::kExtSst);
    putU16(out, perBucket);
    for (const Bucket& bucket : buckets) {
        putU32(out, bucket.streamPosition);
        putU16(out, bucket.offsetInRecord);
        putU16(out, 0);
    }
    endRecord(out, header);
}

}  // namespace xls::biff8
