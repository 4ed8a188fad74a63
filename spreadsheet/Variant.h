// The value a caller hands to the spreadsheet (a cell's content, a sheet's name or position):
// empty, null, a boolean, a number, text, a date, or an object that has a default value.
#pragma once

#include "spreadsheet/CellValue.h"

#include <memory>
#include <string>
#include <variant>

namespace spreadsheet {

class Variant;

// An object passed as a value. Wherever the component needs a plain value it asks the object for
// its default value at that moment; an object whose value changes (a record set's field, whose
// value is that of the current record) gives its current value each time.
class VariantObject {
public:
    virtual ~VariantObject() = default;
    // The default value; may throw (the object's own failure passes to the caller).
    virtual Variant defaultValue() const = 0;
};

class Variant {
public:
    enum class Kind { Empty, Null, Boolean, Number, Text, Date, Object };

    Variant() = default;  // Empty
    static Variant null();
    static Variant boolean(bool value);
    static Variant number(double value);
    static Variant text(std::string utf8);
    static Variant date(const DateTime& value);
    // The variant shares the object; it must not be null.
    static Variant object(std::shared_ptr<const VariantObject> value);

    Kind kind() const { return static_cast<Kind>(m_data.index()); }

    // Accessors; each throws SpreadsheetError (13) when the variant holds another kind.
    bool asBoolean() const;
    double asNumber() const;
    const std::string& asText() const;
    const DateTime& asDate() const;
    const VariantObject& asObject() const;
    // Moves the text out of a Text variant.
    std::string takeText() &&;

    // The plain value: an object is replaced by its default value, repeatedly when that is an
    // object again. Throws SpreadsheetError (13) after 16 levels of objects.
    Variant resolved() const;

private:
    struct NullTag {};
    // The order of the alternatives is that of Kind.
    std::variant<std::monostate, NullTag, bool, double, std::string, DateTime,
                 std::shared_ptr<const VariantObject>>
        m_data;
};

}  // namespace spreadsheet
