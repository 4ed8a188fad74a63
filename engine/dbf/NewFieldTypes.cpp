// The field types a new table offers (the creation codes of engine::DataTypeCode) and the shape
// of the field each gives; the kinds' widths come from the table of field kinds.
#include "engine/TableDefinition.h"
#include "engine/dbf/FieldKinds.h"

#include <array>

namespace engine::dbf {

namespace {

// clang-format off
constexpr std::array<NewFieldType, 6> kNewFieldTypes{{
    {kTypeBoolean, "Boolean", 'L', NewFieldType::Width::OfTheKind, 0, 0},
    {kTypeInteger, "Integer", 'N', NewFieldType::Width::Fixed, 6, 0},  // holds -32768
    {kTypeDouble, "Double", 'N', NewFieldType::Width::Widest, 0, 5},
    {kTypeDate, "Date", 'D', NewFieldType::Width::OfTheKind, 0, 0},
    {kTypeText, "Text", 'C', NewFieldType::Width::Caller, 0, 0},
    {kTypeMemo, "Memo", 'M', NewFieldType::Width::OfTheKind, 0, 0},
}};
// clang-format on

}  // namespace

const NewFieldType* findNewFieldType(std::int32_t code) {
    for (const NewFieldType& type : kNewFieldTypes) {
        if (type.code == code) return &type;
    }
    return nullptr;
}

std::string newFieldTypeList() {
    std::string text;
    for (std::size_t i = 0; i < kNewFieldTypes.size(); ++i) {
        if (i > 0) text += i + 1 == kNewFieldTypes.size() ? " or " : ", ";
        text += std::to_string(kNewFieldTypes[i].code) + " " + kNewFieldTypes[i].name;
    }
    return text;
}

NewFieldShape newFieldShape(const NewFieldType& type, int size, bool dbaseIII) {
    const FieldKind& kind = *findFieldKind(type.letter);
    switch (type.width) {
        case NewFieldType::Width::OfTheKind:
            return {type.letter, kind.newWidth, type.decimals};
        case NewFieldType::Width::Caller:
            return {type.letter, size, type.decimals};
        case NewFieldType::Width::Widest:
            return {type.letter, dbaseIII ? kind.maxNewWidthIII : kind.maxNewWidth, type.decimals};
        case NewFieldType::Width::Fixed:
            break;
    }
    return {type.letter, type.fixedWidth, type.decimals};
}

}  // namespace engine::dbf
