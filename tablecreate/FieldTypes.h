// The field types a new table offers, the length text's conversion, and the messages that refuse
// an incomplete field. Shared by the new-table window and quillon-cli. No Qt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tablecreate {

struct FieldTypeEntry {
    std::string_view name;  // as offered in the type list
    std::int16_t code;      // the engine's type code (engine::DataTypeCode)
    // The length this type always takes, as the window shows it; empty when the user types it.
    std::string fixedLength;
};

// The types in the order of the type list, their codes and lengths from the engine.
const std::array<FieldTypeEntry, 6>& fieldTypes();
// The entry of that exact name, or null.
const FieldTypeEntry* findFieldType(std::string_view name);

inline constexpr const char* kFieldNameIsNull = "The Field Name value can not be null";
inline constexpr const char* kLengthIsNull = "The Length value can not be null";
inline constexpr const char* kTypeIsNull = "The Type value can not be null";

// Converts a length text to a signed 16-bit integer. Accepted: optional spaces, an optional sign,
// digits with an optional fraction after a point ("12", " -3 ", "+7.5", ".5", "8."), read in the
// same way whatever the user's locale. A fraction rounds to the nearest whole number, a half to
// the even neighbour (2.5 gives 2, 3.5 gives 4). Throws std::invalid_argument, naming the text,
// for anything else, and std::out_of_range when the rounded number is outside -32768..32767.
std::int16_t convertLength(const std::string& text);

}  // namespace tablecreate
