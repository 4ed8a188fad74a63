#include "export/FieldVariant.h"

#include "engine/Recordset.h"
#include "engine/Value.h"

#include <memory>

namespace tableexport {

namespace {

// Refills v from value in place: text goes into v's own string, whose capacity is kept from
// record to record.
void assign(const engine::Value& value, spreadsheet::Variant& v) {
    switch (value.kind()) {
        case engine::Value::Kind::Null:
            v.setNull();
            return;
        case engine::Value::Kind::Text:
            v.assignText().assign(value.asText());
            return;
        case engine::Value::Kind::Number:
            v.setNumber(value.asNumber());
            return;
        case engine::Value::Kind::Boolean:
            v.setBoolean(value.asBoolean());
            return;
        case engine::Value::Kind::Date: {
            const engine::DateTime& date = value.asDate();
            v.setDate({date.year, date.month, date.day, date.microsecondsOfDay});
            return;
        }
    }
}

// A field read record after record keeps its last value, so reading the next record reuses its
// buffers.
class FieldObject : public spreadsheet::VariantObject {
public:
    explicit FieldObject(const engine::Field& field) : m_field(&field) {}
    spreadsheet::Variant defaultValue() const override { return toVariant(m_field->GetValue()); }
    const spreadsheet::Variant& currentValue() const override {
        m_field->GetValueInto(m_read);
        assign(m_read, m_current);
        return m_current;
    }

private:
    const engine::Field* m_field;
    mutable engine::Value m_read;
    mutable spreadsheet::Variant m_current;
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
            const engine::DateTime& date = value.asDate();
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
