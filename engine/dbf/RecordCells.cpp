#include "engine/dbf/RecordCells.h"

#include <algorithm>

namespace engine::dbf {

namespace {

bool flagBit(const TableHeader& header, const std::uint8_t* record, int bit) {
    const auto index = static_cast<std::size_t>(bit);
    return (record[header.nullFlagsOffset + index / 8] >> (index % 8) & 1) != 0;
}

void setFlagBit(const TableHeader& header, std::uint8_t* record, int bit, bool on) {
    const auto index = static_cast<std::size_t>(bit);
    std::uint8_t& byte = record[header.nullFlagsOffset + index / 8];
    const auto mask = static_cast<std::uint8_t>(1u << (index % 8));
    byte = static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
}

}  // namespace

CellProblem decodeCell(const TableHeader& header, const FieldDescriptor& field,
                       const std::uint8_t* record, const CellContext& context, Value& out) {
    if (field.nullBit >= 0 && flagBit(header, record, field.nullBit)) {
        out.setNull();
        return CellProblem::None;
    }
    const std::uint8_t* cell = record + field.offset;
    auto width = static_cast<std::size_t>(field.length);
    if (field.lengthBit >= 0 && width > 0 && flagBit(header, record, field.lengthBit)) {
        // A length past the data (a damaged file) is held to the bytes before the length byte.
        width = std::min<std::size_t>(cell[width - 1], width - 1);
    }
    return field.kind->decode(cell, width, context, out);
}

void placeCell(const TableHeader& header, const FieldDescriptor& field, const std::string& bytes,
               bool null, std::uint8_t* record) {
    std::uint8_t* cell = record + field.offset;
    const auto width = static_cast<std::size_t>(field.length);
    std::copy(bytes.begin(), bytes.end(), cell);
    if ((field.kind->traits & kVariableLength) != 0) {
        const bool shorter = bytes.size() < width;
        if (shorter) {
            std::fill(cell + bytes.size(), cell + width, ' ');
            cell[width - 1] = static_cast<std::uint8_t>(bytes.size());
        }
        if (field.lengthBit >= 0) setFlagBit(header, record, field.lengthBit, shorter);
    }
    if (field.nullBit >= 0) setFlagBit(header, record, field.nullBit, null);
}

}  // namespace engine::dbf
