// The field-properties area a dBASE 7 header may hold after its field terminator: required
// fields, value constraints, descriptive custom properties and referential-integrity rules. The
// engine reads what it must respect when writing and never changes the area's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace engine::dbf {

struct FieldProperties {
    bool present = false;               // the header holds such an area
    std::vector<std::size_t> required;  // fields (counted from 0) that may not be blank
    int constraints = 0;      // minimum, maximum, default and validity entries (not enforced here)
    int rules = 0;            // referential-integrity entries (not enforced here)
    bool unreadable = false;  // its own header points outside the area
};

// Reads the area of `size` bytes at `area` (the bytes after the terminator up to the first
// record) of a table with fieldCount fields. An area too short for its 16-byte header, or all
// zero, holds no properties.
FieldProperties parseFieldProperties(const std::uint8_t* area, std::size_t size,
                                     std::size_t fieldCount);

}  // namespace engine::dbf
