// A field's cell within a record: its bytes, and in Visual FoxPro tables the record's null flags,
// whose bits say that a value is null or (V, Q) shorter than its field, its length then in the
// field's last byte.
#pragma once

#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/FieldKinds.h"

#include <cstdint>
#include <string>

namespace engine::dbf {

// Reads the field's cell of a record (the record's bytes from its deletion flag on) into out.
CellProblem decodeCell(const TableHeader& header, const FieldDescriptor& field,
                       const std::uint8_t* record, const CellContext& context, Value& out);

// Puts the bytes the field's kind encoded for a value into a record, with the field's null bit
// (set when null) and, for a varying-length kind, its length byte and bit.
void placeCell(const TableHeader& header, const FieldDescriptor& field, const std::string& bytes,
               bool null, std::uint8_t* record);

// Whether the field has bits in the record's null flags (placeCell then changes them too).
inline bool usesNullFlags(const FieldDescriptor& field) {
    return field.nullBit >= 0 || field.lengthBit >= 0;
}

}  // namespace engine::dbf
