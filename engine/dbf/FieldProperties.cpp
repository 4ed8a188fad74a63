#include "engine/dbf/FieldProperties.h"

#include "base/Endian.h"

#include <algorithm>

namespace engine::dbf {

namespace {

// The area's header: six uint16 pairs and counts (standard count and start, custom count and
// start, rule count and start), then the start of the data and the size in use. Starts count
// from the beginning of the area.
constexpr std::size_t kAreaHeaderSize = 16;
constexpr std::size_t kStandardCountAt = 0;
constexpr std::size_t kStandardStartAt = 2;
constexpr std::size_t kRuleCountAt = 8;
constexpr std::size_t kRuleStartAt = 10;

// A standard property: generation 2, field number 2 (from 1; 0 for the whole table), property 1,
// field type 1, a mark 1, reserved 4, data offset 2, data size 2.
constexpr std::size_t kStandardEntrySize = 15;
constexpr std::size_t kEntryFieldAt = 2;
constexpr std::size_t kEntryPropertyAt = 4;
constexpr std::uint8_t kPropertyRequired = 1;

constexpr std::size_t kRuleEntrySize = 22;

}  // namespace

FieldProperties parseFieldProperties(const std::uint8_t* area, std::size_t size,
                                     std::size_t fieldCount) {
    FieldProperties properties;
    if (size < kAreaHeaderSize ||
        std::all_of(area, area + kAreaHeaderSize, [](std::uint8_t b) { return b == 0; })) {
        return properties;
    }
    properties.present = true;
    auto entries = [&](std::size_t countAt, std::size_t startAt, std::size_t entrySize,
                       std::size_t& start) {
        const std::size_t count = base::loadLittle<std::uint16_t>(area + countAt);
        start = base::loadLittle<std::uint16_t>(area + startAt);
        if (count != 0 && (start < kAreaHeaderSize || start + count * entrySize > size)) {
            properties.unreadable = true;
            return std::size_t{0};
        }
        return count;
    };
    std::size_t start = 0;
    properties.rules = static_cast<int>(entries(kRuleCountAt, kRuleStartAt, kRuleEntrySize, start));
    const std::size_t standard =
        entries(kStandardCountAt, kStandardStartAt, kStandardEntrySize, start);
    for (std::size_t i = 0; i < standard; ++i) {
        const std::uint8_t* entry = area + start + i * kStandardEntrySize;
        const std::size_t field = base::loadLittle<std::uint16_t>(entry + kEntryFieldAt);
        if (entry[kEntryPropertyAt] == kPropertyRequired && field >= 1 && field <= fieldCount) {
            if (std::find(properties.required.begin(), properties.required.end(), field - 1) ==
                properties.required.end()) {
                properties.required.push_back(field - 1);
            }
        } else {
            // Minimum, maximum, default, a validity constraint, or a property of the whole table.
            ++properties.constraints;
        }
    }
    std::sort(properties.required.begin(), properties.required.end());
    return properties;
}

}  // namespace engine::dbf
