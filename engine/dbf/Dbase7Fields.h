// The binary fields of dBASE 7, as rows of the field-kind table use them: long integers and
// autoincrement counters (I, +: 4 bytes big-endian, sign bit inverted), doubles (O: 8 bytes
// big-endian, ordered so that the bytes sort as the numbers do) and timestamps (@: a big-endian
// double counting milliseconds from 0001-01-01 minus one day). All zero bytes are blank.
#pragma once

#include "engine/dbf/FieldKinds.h"

#include <cstdint>

namespace engine::dbf {

// The largest magnitude of a long integer: -2^31 would be stored as the blank pattern.
inline constexpr std::int64_t kDbase7MaxLong = 2'147'483'647;

// The bytes to values and back, for one cell.
void storeDbase7Long(std::int32_t value, std::uint8_t* out);
bool loadDbase7Long(const std::uint8_t* bytes, std::int32_t& value);  // false: blank
void storeDbase7Double(double value, std::uint8_t* out);
bool loadDbase7Double(const std::uint8_t* bytes, double& value);  // false: blank
// Milliseconds since 0001-01-01 minus a day, as the timestamp stores them, and back; false when
// the count names no moment of the years 1 to 9999.
double dbase7TimestampOf(const DateTime& moment);
bool dbase7MomentOf(double milliseconds, DateTime& moment);

// The functions of the rows.
CellProblem decodeDbase7Long(const std::uint8_t* bytes, std::size_t width,
                             const CellContext& context, Value& out);
bool prepareDbase7Long(const FieldDescriptor& field, const CellContext& context, const Value& in,
                       Value& out, std::string& reason);
bool encodeDbase7Long(const FieldDescriptor& field, const CellContext& context,
                      const Value& prepared, std::string& out, std::string& reason);
bool prepareAutoincrement(const FieldDescriptor& field, const CellContext& context, const Value& in,
                          Value& out, std::string& reason);

CellProblem decodeDbase7Double(const std::uint8_t* bytes, std::size_t width,
                               const CellContext& context, Value& out);
bool prepareDbase7Double(const FieldDescriptor& field, const CellContext& context, const Value& in,
                         Value& out, std::string& reason);
bool encodeDbase7Double(const FieldDescriptor& field, const CellContext& context,
                        const Value& prepared, std::string& out, std::string& reason);

CellProblem decodeDbase7Timestamp(const std::uint8_t* bytes, std::size_t width,
                                  const CellContext& context, Value& out);
bool prepareDbase7Timestamp(const FieldDescriptor& field, const CellContext& context,
                            const Value& in, Value& out, std::string& reason);
bool encodeDbase7Timestamp(const FieldDescriptor& field, const CellContext& context,
                           const Value& prepared, std::string& out, std::string& reason);

}  // namespace engine::dbf
