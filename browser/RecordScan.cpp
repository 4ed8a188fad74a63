#include "browser/RecordScan.h"

#include "base/CivilDate.h"
#include "engine/Recordset.h"
#include "engine/Value.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace browser {

namespace {

// Kinds in their ascending order.
enum Rank : std::uint8_t { kNull, kBoolean, kNumber, kDate, kText, kBinary };

// A record's place in the sort: the first 8 bytes of its normalised key (big-endian, split so
// that the entry packs into 12 bytes) and its position.
struct SortEntry {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    std::uint32_t position = 0;
};

void setKey(SortEntry& entry, std::uint64_t key) {
    entry.high = static_cast<std::uint32_t>(key >> 32);
    entry.low = static_cast<std::uint32_t>(key);
}

// Bytes [8 * depth, 8 * depth + 8) of the text, big-endian, zero past its end (text holds no
// zero bytes, so a shorter text sorts before a longer one it begins).
std::uint64_t textChunk(const std::string& text, std::size_t depth) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const std::size_t at = depth * 8 + i;
        const auto byte = at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
        key = key << 8 | byte;
    }
    return key;
}

// An unsigned key that orders as the signed number does.
std::uint64_t signedKey(std::int64_t value) {
    return static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
}

Rank rankAndKey(const engine::Value& value, SortEntry& entry) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            setKey(entry, 0);
            return kNull;
        case engine::Value::Kind::Boolean:
            setKey(entry, value.asBoolean() ? 1 : 0);
            return kBoolean;
        case engine::Value::Kind::Number: {
            const double number = value.asNumber() == 0 ? 0.0 : value.asNumber();
            const auto bits = std::bit_cast<std::uint64_t>(number);
            setKey(entry, bits >> 63 ? ~bits : bits | std::uint64_t{1} << 63);
            return kNumber;
        }
        case engine::Value::Kind::Date:
        case engine::Value::Kind::DateTime: {
            const base::DateTime& date =
                value.kind() == engine::Value::Kind::Date ? value.asDate() : value.asDateTime();
            setKey(entry, signedKey(base::daysSince1970(date.year, date.month, date.day) *
                                        base::kMicrosecondsPerDay +
                                    date.microsecondsOfDay));
            return kDate;
        }
        case engine::Value::Kind::Binary:
            // Bytes are not compared; binary data sorts last, by its size.
            setKey(entry, value.asBinary().size());
            return kBinary;
        case engine::Value::Kind::Text:
            setKey(entry, textChunk(value.asText(), 0));
            return kText;
    }
    return kNull;
}

bool sameKey(const SortEntry& a, const SortEntry& b) { return a.high == b.high && a.low == b.low; }

// Orders by key (reversed when descending), then by position.
struct KeyOrder {
    bool descending;
    bool operator()(const SortEntry& a, const SortEntry& b) const {
        if (!sameKey(a, b)) {
            const bool less = a.high != b.high ? a.high < b.high : a.low < b.low;
            return descending ? !less : less;
        }
        return a.position < b.position;
    }
};

// Calls visit(position) for each candidate, or each record of the set, in ascending order.
template <typename Visit>
void forEachCandidate(const engine::Recordset& set, const Positions* candidates, Visit&& visit) {
    if (candidates != nullptr) {
        for (std::uint32_t position : *candidates) visit(position);
        return;
    }
    const auto count = static_cast<std::uint32_t>(set.RecordCount());
    for (std::uint32_t position = 0; position < count; ++position) visit(position);
}

// Texts whose first 8 * (depth + 1) bytes are equal: orders each such run by its next 8 bytes,
// again and again, until the runs end or their texts do. Each round reads the run's records in
// position order, so no more than 12 bytes per record are kept whatever the texts' length.
void refineTextRuns(const engine::Recordset& set, int column, bool descending,
                    std::vector<SortEntry>& entries, std::size_t begin, std::size_t end) {
    struct Run {
        std::size_t begin, end, depth;
    };
    std::vector<Run> pending;
    auto queueRuns = [&](std::size_t from, std::size_t to, std::size_t depth) {
        for (std::size_t first = from; first < to;) {
            std::size_t last = first + 1;
            while (last < to && sameKey(entries[last], entries[first])) ++last;
            // A chunk that ends in a zero byte ends the texts: the run's texts are equal.
            if (last - first > 1 && (entries[first].low & 0xFF) != 0) {
                pending.push_back({first, last, depth + 1});
            }
            first = last;
        }
    };
    queueRuns(begin, end, 0);
    engine::Value value;
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        // Within a run the positions ascend: the reads go forward through the table.
        for (std::size_t i = run.begin; i < run.end; ++i) {
            set.readValueInto(entries[i].position, column, value);
            setKey(entries[i], textChunk(value.asText(), run.depth));
        }
        std::sort(entries.begin() + static_cast<std::ptrdiff_t>(run.begin),
                  entries.begin() + static_cast<std::ptrdiff_t>(run.end), KeyOrder{descending});
        queueRuns(run.begin, run.end, run.depth);
    }
}

}  // namespace

Positions sortedPositions(const engine::Recordset& set, int column, bool descending,
                          const Positions* candidates) {
    std::vector<SortEntry> entries;
    std::vector<std::uint8_t> ranks(static_cast<std::size_t>(set.RecordCount()), kNull);
    entries.reserve(candidates != nullptr ? candidates->size() : ranks.size());
    engine::Value value;
    forEachCandidate(set, candidates, [&](std::uint32_t position) {
        set.readValueInto(position, column, value);
        SortEntry entry;
        entry.position = position;
        ranks[position] = rankAndKey(value, entry);
        entries.push_back(entry);
    });
    const KeyOrder byKey{descending};
    std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        const std::uint8_t rankA = ranks[a.position];
        const std::uint8_t rankB = ranks[b.position];
        if (rankA != rankB) return descending ? rankA > rankB : rankA < rankB;
        return byKey(a, b);
    });
    const auto isText = [&](const SortEntry& entry) { return ranks[entry.position] == kText; };
    const auto textBegin = std::find_if(entries.begin(), entries.end(), isText);
    const auto textEnd = std::find_if_not(textBegin, entries.end(), isText);
    std::vector<std::uint8_t>().swap(ranks);
    refineTextRuns(set, column, descending, entries,
                   static_cast<std::size_t>(textBegin - entries.begin()),
                   static_cast<std::size_t>(textEnd - entries.begin()));

    Positions positions;
    positions.reserve(entries.size());
    for (const SortEntry& entry : entries) positions.push_back(entry.position);
    return positions;
}

Positions matchingPositions(const engine::Recordset& set, int column, const engine::Value& value,
                            const Positions* candidates) {
    Positions matches;
    engine::Value read;
    forEachCandidate(set, candidates, [&](std::uint32_t position) {
        set.readValueInto(position, column, read);
        if (read == value) matches.push_back(position);
    });
    return matches;
}

TextMatcher::TextMatcher(const QString& text, bool matchCase)
    : m_needle((matchCase ? text : text.toCaseFolded()).toStdString()), m_matchCase(matchCase) {}

bool TextMatcher::matches(const engine::Value& value) {
    if (value.isNull()) return false;
    m_text.clear();
    value.appendTo(m_text);
    if (!m_matchCase) {
        if (std::all_of(m_text.begin(), m_text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            for (char& c : m_text) {
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            }
        } else {
            m_text = QString::fromStdString(m_text).toCaseFolded().toStdString();
        }
    }
    return m_text.find(m_needle) != std::string::npos;
}

std::optional<long> findRow(const engine::Recordset& set, const RowOrder& order, long fromRow,
                            int column, TextMatcher& matcher) {
    const long rows = order.size();
    if (rows == 0) return std::nullopt;
    std::vector<engine::Value> record;
    engine::Value cell;
    auto holdsMatch = [&](long position) {
        if (column >= 0) {
            set.readValueInto(position, column, cell);
            return matcher.matches(cell);
        }
        set.readRowInto(position, record);
        return std::any_of(record.begin(), record.end(),
                           [&](const engine::Value& value) { return matcher.matches(value); });
    };
    const long start = std::clamp(fromRow + 1, 0L, rows) % rows;
    if (order.isAscending()) {
        // Rows in record order: from the row after fromRow to the end, then from the top.
        for (long step = 0; step < rows; ++step) {
            const long row = (start + step) % rows;
            if (holdsMatch(order.positionAt(row))) return row;
        }
        return std::nullopt;
    }
    // Another order: every record in record order, keeping the match nearest after fromRow.
    std::optional<long> best;
    long bestDistance = rows;
    for (long position = 0; position < set.RecordCount(); ++position) {
        const long row = order.rowOf(position);
        if (row < 0) continue;
        const long distance = (row - start + rows) % rows;
        if (distance < bestDistance && holdsMatch(position)) {
            best = row;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace browser
