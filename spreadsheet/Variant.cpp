#include "spreadsheet/Variant.h"

#include "spreadsheet/SpreadsheetError.h"

namespace spreadsheet {

void Variant::refuseKind(const char* wanted) {
    throw SpreadsheetError::typeMismatch(std::string("the value is not ") + wanted + ".");
}

Variant Variant::null() {
    Variant v;
    v.m_data = NullTag{};
    return v;
}

Variant Variant::boolean(bool value) {
    Variant v;
    v.m_data = value;
    return v;
}

Variant Variant::number(double value) {
    Variant v;
    v.m_data = value;
    return v;
}

Variant Variant::text(std::string utf8) {
    Variant v;
    v.m_data = std::move(utf8);
    return v;
}

Variant Variant::date(const DateTime& value) {
    Variant v;
    v.m_data = value;
    return v;
}

Variant Variant::dateTime(const DateTime& value) {
    Variant v;
    v.m_data = Moment{value};
    return v;
}

Variant Variant::object(std::shared_ptr<const VariantObject> value) {
    if (!value) throw SpreadsheetError::objectNotSet("the object passed as a value is not set.");
    Variant v;
    v.m_data = std::move(value);
    return v;
}

std::string Variant::takeText() && {
    if (std::string* s = std::get_if<std::string>(&m_data)) return std::move(*s);
    refuseKind("text");
}

const Variant& Variant::plainValue() const {
    const Variant* value = this;
    for (int depth = 0; value->kind() == Kind::Object; ++depth) {
        if (depth == 16) {
            throw SpreadsheetError::typeMismatch(
                "the object's default value is an object again, 16 levels deep.");
        }
        value = &value->asObject().currentValue();
    }
    return *value;
}

Variant Variant::resolved() const { return plainValue(); }

std::string& Variant::assignText() {
    if (std::string* text = std::get_if<std::string>(&m_data)) {
        text->clear();
        return *text;
    }
    return m_data.emplace<std::string>();
}

const Variant& VariantObject::currentValue() const {
    m_current = defaultValue();
    return m_current;
}

}  // namespace spreadsheet
