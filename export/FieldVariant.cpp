#include "export/FieldVariant.h"

#include "engine/Recordset.h"
#include "engine/Value.h"

#include <memory>

namespace tableexport {

namespace {

class FieldObject : public spreadsheet::VariantObject {
public:
    explicit FieldObject(const engine::Field& field) : m_field(&field) {}
    spreadsheet::Variant defaultValue() const override { return toVariant(m_field->GetValue()); }

private:
    const engine::Field* m_field;
};

}  // namespace

spreadsheet::Variant toVariant(const engine::Value& value) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            return spreadsheet::Variant::null();
        case engine::Value::Kind::Text:
            return spreadsheet::Variant::text(value.asText());
        case engine::Value::Kind::Number:
            return spreadsheet::Variant::number(value.asNumber());
        case engine::Value::Kind::Boolean:
            return spreadsheet::Variant::boolean(value.asBoolean());
        case engine::Value::Kind::Date: {
            const engine::Date& date = value.asDate();
            return spreadsheet::Variant::date(
                {date.year, date.month, date.day, date.microsecondsOfDay});
        }
    }
    return spreadsheet::Variant::null();
}

spreadsheet::Variant fieldVariant(const engine::Field& field) {
    return spreadsheet::Variant::object(std::make_shared<FieldObject>(field));
}

}  // namespace tableexport
