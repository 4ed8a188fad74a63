// The functions of the field kinds only FoxPro and Visual FoxPro tables have (FieldKinds.cpp
// holds the rows that name them): integers, currency, doubles, date-times, varying-length text,
// and binary data shown as bytes.
#pragma once

#include "engine/dbf/FieldKinds.h"

namespace engine::dbf::foxkinds {

CellProblem decodeInteger(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                          Value& out);
bool prepareInteger(const FieldDescriptor& field, const CellContext& context, const Value& in,
                    Value& out, std::string& reason);
bool encodeInteger(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                   std::string& out, std::string& reason);

CellProblem decodeCurrency(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                           Value& out);
bool prepareCurrency(const FieldDescriptor& field, const CellContext& context, const Value& in,
                     Value& out, std::string& reason);
bool encodeCurrency(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                    std::string& out, std::string& reason);

CellProblem decodeDouble(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                         Value& out);
bool prepareDouble(const FieldDescriptor& field, const CellContext& context, const Value& in,
                   Value& out, std::string& reason);
bool encodeDouble(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                  std::string& out, std::string& reason);

CellProblem decodeDateTime(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                           Value& out);
bool prepareDateTime(const FieldDescriptor& field, const CellContext& context, const Value& in,
                     Value& out, std::string& reason);
bool encodeDateTime(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                    std::string& out, std::string& reason);

// V: the stored bytes as they are (the record gives their length), no padding removed; empty is
// null. Encoding gives the value's own bytes, which the record lays out with its length.
CellProblem decodeVarText(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                          Value& out);
bool encodeVarText(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                   std::string& out, std::string& reason);

// Binary C and Q, and types this program does not know: the bytes as binary data. Encoding
// stores only null (blank: spaces for C, nothing for Q); the kinds' prepare refuses values.
CellProblem decodeBytes(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                        Value& out);
bool encodeBlankCharacters(const FieldDescriptor& field, const CellContext& context,
                           const Value& prepared, std::string& out, std::string& reason);
bool encodeBlankVarBytes(const FieldDescriptor& field, const CellContext& context,
                         const Value& prepared, std::string& out, std::string& reason);

}  // namespace engine::dbf::foxkinds
