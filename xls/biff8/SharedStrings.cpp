#include "xls/biff8/SharedStrings.h"

#include "xls/biff8/Biff8Format.h"
#include "xls/biff8/Utf16.h"

#include <algorithm>
#include <bit>
#include <string>

namespace xls::biff8 {

namespace {

constexpr std::size_t kStringHeader = 3;  // 16-bit count and flags byte

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One string's characters in the form they are stored in: one byte each, or UTF-16 units.
class StoredUnits {
public:
    // Fills in the characters of a text of the table, converting through the scratch strings
    // (kept from string to string) unless the text is ASCII, whose UTF-8 is its one-byte form.
    // With lengthOnly, a text stored one byte a character is not read at all: its length alone
    // says where it goes, and put() appends zero bytes in its place.
    void load(const StringTable& texts, std::uint32_t id, bool lengthOnly) {
        m_wide = !texts.singleByte(id);
        m_lengthOnly = lengthOnly && !m_wide;
        if (m_lengthOnly) {
            m_narrow = {};
            m_narrowSize = texts.units(id);
            return;
        }
        std::string_view utf8 = texts.text(id);
        if (texts.ascii(id)) {
            m_narrow = {reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()};
            m_narrowSize = m_narrow.size();
            return;
        }
        m_units.clear();
        utf8ToUtf16(utf8, m_units);  // the table holds valid UTF-8 only
        if (m_wide) return;
        m_bytes.resize(m_units.size());
        std::transform(m_units.begin(), m_units.end(), m_bytes.begin(),
                       [](char16_t unit) { return static_cast<std::uint8_t>(unit); });
        m_narrow = m_bytes;
        m_narrowSize = m_narrow.size();
    }

    bool wide() const { return m_wide; }
    std::size_t unitSize() const { return m_wide ? 2 : 1; }
    std::size_t size() const { return m_wide ? m_units.size() : m_narrowSize; }
    // How many units of a record's room (in units) a string's first piece needs: its first
    // character, which a surrogate pair makes two.
    std::size_t firstCharacter() const {
        if (size() == 0) return 0;
        return m_wide && size() >= 2 && isHighSurrogate(m_units[0]) && isLowSurrogate(m_units[1])
                   ? 2
                   : 1;
    }
    // How many units, starting at position, fit into room units without splitting a pair.
    std::size_t fit(std::size_t position, std::size_t room) const {
        std::size_t take = std::min(room, size() - position);
        std::size_t end = position + take;
        if (m_wide && take > 0 && end < size() && isHighSurrogate(m_units[end - 1]) &&
            isLowSurrogate(m_units[end])) {
            --take;
        }
        return take;
    }
    void put(Bytes& out, std::size_t position, std::size_t count) const {
        if (m_wide) {
            putUnits(out, std::u16string_view(m_units).substr(position, count), false);
        } else if (m_lengthOnly) {
            out.resize(out.size() + count);
        } else {
            putBytes(out, m_narrow.subspan(position, count));
        }
    }

private:
    bool m_wide = false;
    bool m_lengthOnly = false;
    std::span<const std::uint8_t> m_narrow;
    std::size_t m_narrowSize = 0;
    std::u16string m_units;
    std::vector<std::uint8_t> m_bytes;
};

// The record boundaries a string crosses when its header starts with `capacity` body bytes left
// in the current record.
std::size_t boundariesCrossed(const StoredUnits& text, std::size_t capacity) {
    std::size_t unitSize = text.unitSize();
    std::size_t position = text.fit(0, (capacity - kStringHeader) / unitSize);
    std::size_t crossed = 0;
    while (position < text.size()) {
        ++crossed;
        position += text.fit(position, (kMaxRecordBody - 1) / unitSize);
    }
    return crossed;
}

// The SST and its CONTINUE records as they are being filled. The stream buffer hands its bytes
// on only between records.
class RecordSequence {
public:
    explicit RecordSequence(StreamBuffer& out) : m_out(out) {
        m_header = beginRecord(out.bytes(), record::kSst);
    }

    std::size_t room() const {
        return kMaxRecordBody - (m_out.bytes().size() - m_header - kRecordHeaderSize);
    }
    std::size_t offsetInRecord() const { return m_out.bytes().size() - m_header; }
    void startContinue() {
        endRecord(m_out.bytes(), m_header);
        m_out.recordEnded();
        m_header = beginRecord(m_out.bytes(), record::kContinue);
    }
    void finish() {
        endRecord(m_out.bytes(), m_header);
        m_out.recordEnded();
    }

private:
    StreamBuffer& m_out;
    std::size_t m_header;
};

}  // namespace

SharedStrings::SharedStrings(const StringTable& texts)
    : m_texts(&texts), m_indexPlusOne(texts.size(), 0) {}

void SharedStrings::merge() {
    const StringTable& texts = *m_texts;
    const std::size_t n = m_order.size();
    // Equal texts are found with an index of a few kilobytes at a time: the texts are spread by
    // the top bits of their hashes into partitions of about kPartitionSize, each searched on its
    // own. One index over all texts would be reached at random for every text, which for a large
    // table costs a trip to main memory each time.
    constexpr std::size_t kPartitionSize = 2048;
    const std::size_t partitions = std::bit_ceil(std::max<std::size_t>(1, n / kPartitionSize));
    const int partitionBits = std::countr_zero(partitions);
    auto partitionOf = [&](std::uint32_t hash) -> std::size_t {
        return partitionBits == 0 ? 0 : hash >> (32 - partitionBits);
    };
    // The texts in use, each with its hash, grouped by partition in order of first use. The
    // scatter writes to one place per partition, which stays in the cache.
    struct Item {
        std::uint32_t position;  // in m_order
        std::uint32_t hash;
    };
    std::vector<std::uint32_t> start(partitions + 1, 0);
    for (std::uint32_t id : m_order) ++start[partitionOf(texts.hash(id)) + 1];
    for (std::size_t p = 0; p < partitions; ++p) start[p + 1] += start[p];
    std::vector<Item> items(n);
    {
        std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t hash = texts.hash(m_order[i]);
            items[next[partitionOf(hash)]++] = {static_cast<std::uint32_t>(i), hash};
        }
    }

    // first[i]: the position of the first text equal to the one at position i. Texts are looked
    // at only where hashes agree.
    std::vector<std::uint32_t> first(n);
    std::vector<Item> slots;  // position plus one (0: free) and hash
    for (std::size_t p = 0; p < partitions; ++p) {
        const std::size_t size = start[p + 1] - start[p];
        slots.assign(std::bit_ceil(std::max<std::size_t>(16, size * 2)), Item{0, 0});
        const std::size_t mask = slots.size() - 1;
        for (std::size_t k = start[p]; k < start[p + 1]; ++k) {
            const Item item = items[k];
            std::size_t at = item.hash & mask;
            first[item.position] = item.position;
            for (;; at = (at + 1) & mask) {
                const Item& slot = slots[at];
                if (slot.position == 0) {
                    slots[at] = {item.position + 1, item.hash};
                    break;
                }
                const std::uint32_t earlier = slot.position - 1;
                if (slot.hash == item.hash &&
                    texts.text(m_order[earlier]) == texts.text(m_order[item.position])) {
                    first[item.position] = earlier;
                    break;
                }
            }
        }
    }

    m_unique.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t id = m_order[i];
        if (first[i] == i) {
            m_unique.push_back(id);
            m_indexPlusOne[id] = static_cast<std::uint32_t>(m_unique.size());
        } else {
            m_indexPlusOne[id] = m_indexPlusOne[m_order[first[i]]];
        }
    }
}

std::uint16_t SharedStrings::bucketSize(std::size_t uniqueCount) {
    // About 128 buckets for large tables; the record cannot be continued.
    if (uniqueCount < 1024) return 8;
    return static_cast<std::uint16_t>(std::min<std::size_t>(1 + uniqueCount / 128, 0xFFFF));
}

void SharedStrings::appendRecords(StreamBuffer& out) const {
    struct Bucket {
        std::uint32_t streamPosition;
        std::uint16_t offsetInRecord;
    };
    std::vector<Bucket> buckets;
    std::uint16_t perBucket = bucketSize(m_unique.size());

    RecordSequence records(out);
    putU32(out.bytes(), m_total);
    putU32(out.bytes(), uniqueCount());
    StoredUnits text;
    for (std::size_t index = 0; index < m_unique.size(); ++index) {
        text.load(*m_texts, m_unique[index], out.measuring());
        std::size_t unitSize = text.unitSize();
        if (records.room() < kStringHeader + text.firstCharacter() * unitSize) {
            records.startContinue();
        } else if (text.size() * unitSize + kStringHeader > records.room()) {
            std::size_t here = boundariesCrossed(text, records.room());
            if (here >= 2 && boundariesCrossed(text, kMaxRecordBody) <= 1) {
                records.startContinue();
            }
        }
        if (index % perBucket == 0) {
            buckets.push_back({static_cast<std::uint32_t>(out.position()),
                               static_cast<std::uint16_t>(records.offsetInRecord())});
        }
        std::uint8_t flags = text.wide() ? kStringHighByte : 0;
        putU16(out.bytes(), static_cast<std::uint16_t>(text.size()));
        putU8(out.bytes(), flags);
        std::size_t position = 0;
        while (true) {
            std::size_t take = text.fit(position, records.room() / unitSize);
            text.put(out.bytes(), position, take);
            position += take;
            if (position == text.size()) break;
            records.startContinue();
            putU8(out.bytes(), flags);
        }
    }
    records.finish();

    std::size_t header = beginRecord(out.bytes(), record::kExtSst);
    putU16(out.bytes(), perBucket);
    for (const Bucket& bucket : buckets) {
        putU32(out.bytes(), bucket.streamPosition);
        putU16(out.bytes(), bucket.offsetInRecord);
        putU16(out.bytes(), 0);
    }
    endRecord(out.bytes(), header);
    out.recordEnded();
}

void SharedStrings::appendRecords(Bytes& out) const {
    StreamBuffer buffer(
        [&out](std::span<const std::uint8_t> piece) {
            out.insert(out.end(), piece.begin(), piece.end());
        },
        out.size());
    appendRecords(buffer);
    buffer.flush();
}

}  // namespace xls::biff8
