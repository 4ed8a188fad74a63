// The value a caller hands to the spreadsheet (a cell's content, a sheet's name or position):
// empty, null, a boolean, a number, text, a date, an object that has a default value, or a
// date-time (a date that always shows its time of day, midnight included).
#pragma once

#include "spreadsheet/CellValue.h"

#include <memory>
#include <string>
#include <variant>

namespace spreadsheet {

class VariantObject;

class Variant {
public:
    enum class Kind { Empty, Null, Boolean, Number, Text, Date, Object, DateTime };

    Variant() = default;  // Empty
    static Variant null();
    static Variant boolean(bool value);
    static Variant number(double value);
    static Variant text(std::string utf8);
    static Variant date(const DateTime& value);
    // The variant shares the object; it must not be null.
    static Variant object(std::shared_ptr<const VariantObject> value);
    static Variant dateTime(const DateTime& value);

    Kind kind() const { return static_cast<Kind>(m_data.index()); }

    // Accessors; each throws SpreadsheetError (13) when the variant holds another kind. They
    // compile inline: typed input reads every assigned value through them.
    bool asBoolean() const { return get<bool>("a boolean"); }
    double asNumber() const { return get<double>("a number"); }
    const std::string& asText() const { return get<std::string>("text"); }
    const DateTime& asDate() const { return get<DateTime>("a date"); }
    const DateTime& asDateTime() const { return get<Moment>("a date-time").value; }
    const VariantObject& asObject() const {
        return *get<std::shared_ptr<const VariantObject>>("an object");
    }
    // Moves the text out of a Text variant.
    std::string takeText() &&;

    // The plain value: an object is replaced by its default value, repeatedly when that is an
    // object again. Throws SpreadsheetError (13) after 16 levels of objects.
    Variant resolved() const;
    // The same without a copy: this variant itself, or the current value an object keeps
    // (VariantObject::currentValue), valid until that object is asked again.
    const Variant& plainValue() const;

    // Assignment in place, for a value refilled again and again: a variant that holds text keeps
    // its string's capacity, so refilling it with text of similar length allocates nothing.
    void setNull() { m_data = NullTag{}; }
    void setBoolean(bool value) { m_data = value; }
    void setNumber(double value) { m_data = value; }
    void setDate(const DateTime& value) { m_data = value; }
    void setDateTime(const DateTime& value) { m_data = Moment{value}; }
    // Makes the variant an empty text and returns its string to fill.
    std::string& assignText();

private:
    template <typename T>
    const T& get(const char* wanted) const {
        if (const T* value = std::get_if<T>(&m_data)) return *value;
        refuseKind(wanted);
    }
    [[noreturn]] static void refuseKind(const char* wanted);

    struct NullTag {};
    struct Moment {
        DateTime value;
    };
    // The order of the alternatives is that of Kind.
    std::variant<std::monostate, NullTag, bool, double, std::string, DateTime,
                 std::shared_ptr<const VariantObject>, Moment>
        m_data;
};

// An object passed as a value. Wherever the component needs a plain value it asks the object for
// its default value at that moment; an object whose value changes (a record set's field, whose
// value is that of the current record) gives its current value each time.
class VariantObject {
public:
    virtual ~VariantObject() = default;
    // The default value; may throw (the object's own failure passes to the caller).
    virtual Variant defaultValue() const = 0;
    // The default value, kept in the object until it is asked again. An object that is read over
    // and over (a field, record after record) can refill one kept value in place instead of
    // making a new one each time. By default, defaultValue() stored in the object. Not for use
    // from several threads at once.
    virtual const Variant& currentValue() const;

private:
    mutable Variant m_current;
};

}  // namespace spreadsheet
