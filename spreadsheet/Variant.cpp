#include "spreadsheet/Variant.h"

#include "spreadsheet/SpreadsheetError.h"

namespace spreadsheet {

namespace {

SpreadsheetError wrongKind(const char* wanted) {
    return SpreadsheetError::typeMismatch(std::string("the value is not ") + wanted + ".");
}

}  // namespace

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

Variant Variant::object(std::shared_ptr<const VariantObject> value) {
    if (!value) throw SpreadsheetError::objectNotSet("the object passed as a value is not set.");
    Variant v;
    v.m_data = std::move(value);
    return v;
}

bool Variant::asBoolean() const {
    if (const bool* b = std::get_if<bool>(&m_data)) return *b;
    throw wrongKind("a boolean");
}

double Variant::asNumber() const {
    if (const double* d = std::get_if<double>(&m_data)) return *d;
    throw wrongKind("a number");
}

const std::string& Variant::asText() const {
    if (const std::string* s = std::get_if<std::string>(&m_data)) return *s;
    throw wrongKind("text");
}

std::string Variant::takeText() && {
    if (std::string* s = std::get_if<std::string>(&m_data)) return std::move(*s);
    throw wrongKind("text");
}

const DateTime& Variant::asDate() const {
    if (const DateTime* d = std::get_if<DateTime>(&m_data)) return *d;
    throw wrongKind("a date");
}

const VariantObject& Variant::asObject() const {
    if (const auto* o = std::get_if<std::shared_ptr<const VariantObject>>(&m_data)) return **o;
    throw wrongKind("an object");
}

Variant Variant::resolved() const {
    if (kind() != Kind::Object) return *this;
    Variant value = asObject().defaultValue();
    for (int depth = 1; value.kind() == Kind::Object; ++depth) {
        if (depth == 16) {
            throw SpreadsheetError::typeMismatch(
                "the object's default value is an object again, 16 levels deep.");
        }
        value = value.asObject().defaultValue();
    }
    return value;
}

}  // namespace spreadsheet
