// Record set fields and engine values as values for the spreadsheet component.
#pragma once

#include "spreadsheet/Variant.h"

namespace engine {
class Field;
class Value;
}  // namespace engine

namespace tableexport {

// The engine value as a typed variant: null, text, number, date (with its time of day) or
// boolean.
spreadsheet::Variant toVariant(const engine::Value& value);

// The field itself as an object variant: its default value is the field's value for the record
// set's current record at the moment it is asked, so one variant serves every record. The field
// must outlive the variant's use.
spreadsheet::Variant fieldVariant(const engine::Field& field);

}  // namespace tableexport
