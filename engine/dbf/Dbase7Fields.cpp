#include "engine/dbf/Dbase7Fields.h"

#include "base/Endian.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/FieldCodec.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

namespace engine::dbf {

namespace {

constexpr std::uint32_t kLongSign = 0x8000'0000u;
constexpr std::uint64_t kDoubleSign = 0x8000'0000'0000'0000u;
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

bool allZero(const std::uint8_t* bytes, std::size_t width) {
    return std::all_of(bytes, bytes + width, [](std::uint8_t b) { return b == 0; });
}

// Days from 0001-01-01 to 1970-01-01.
const std::int64_t kEpochDay = -base::daysSince1970(1, 1, 1);

}  // namespace

void storeDbase7Long(std::int32_t value, std::uint8_t* out) {
    base::storeBig(out, static_cast<std::uint32_t>(value) ^ kLongSign);
}

bool loadDbase7Long(const std::uint8_t* bytes, std::int32_t& value) {
    const auto stored = base::loadBig<std::uint32_t>(bytes);
    if (stored == 0) return false;
    value = static_cast<std::int32_t>(stored ^ kLongSign);
    return true;
}

void storeDbase7Double(double value, std::uint8_t* out) {
    auto bits = std::bit_cast<std::uint64_t>(value);
    // Positive numbers get the sign bit, negative ones all bits inverted: the bytes then sort
    // as the numbers do.
    bits = (bits & kDoubleSign) != 0 ? ~bits : bits | kDoubleSign;
    base::storeBig(out, bits);
}

bool loadDbase7Double(const std::uint8_t* bytes, double& value) {
    auto bits = base::loadBig<std::uint64_t>(bytes);
    if (bits == 0) return false;
    bits = (bits & kDoubleSign) != 0 ? bits & ~kDoubleSign : ~bits;
    value = std::bit_cast<double>(bits);
    return true;
}

double dbase7TimestampOf(const DateTime& moment) {
    const std::int64_t days =
        base::daysSince1970(moment.year, moment.month, moment.day) + kEpochDay;
    return static_cast<double>((days + 1) * kMillisecondsPerDay + moment.microsecondsOfDay / 1000);
}

bool dbase7MomentOf(double milliseconds, DateTime& moment) {
    constexpr double kLast = 3'652'060.0 * kMillisecondsPerDay;  // 10000-01-01
    if (!(milliseconds >= static_cast<double>(kMillisecondsPerDay) && milliseconds < kLast)) {
        return false;
    }
    const auto total = static_cast<std::int64_t>(std::llround(milliseconds));
    const std::int64_t days = total / kMillisecondsPerDay - 1;
    moment = base::dateOfDay(days - kEpochDay);
    moment.microsecondsOfDay = total % kMillisecondsPerDay * 1000;
    return moment.isValid();
}

CellProblem decodeDbase7Long(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                             Value& out) {
    std::int32_t value = 0;
    if (width != 4 || !loadDbase7Long(bytes, value)) {
        out.setNull();
        return CellProblem::None;
    }
    char text[16];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.assignNumber(value).assign(text, end);
    return CellProblem::None;
}

bool prepareDbase7Long(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                       std::string& reason) {
    if (!toNumberValue(in, out, reason)) return false;
    if (out.isNull()) return true;
    std::string text;
    if (!formatNumber(out, 20, 0, text, reason)) return false;
    const std::size_t begin = text.find_first_not_of(' ');
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data() + begin, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > kDbase7MaxLong ||
        value < -kDbase7MaxLong) {
        reason = "it is outside the range of a long integer field (-2147483647 to 2147483647)";
        return false;
    }
    out = Value::number(static_cast<double>(value), std::to_string(value));
    return true;
}

bool encodeDbase7Long(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                      std::string& out, std::string&) {
    out.assign(static_cast<std::size_t>(field.length), '\0');
    if (!prepared.isNull() && out.size() == 4) {
        storeDbase7Long(static_cast<std::int32_t>(prepared.asNumber()),
                        reinterpret_cast<std::uint8_t*>(out.data()));
    }
    return true;
}

bool prepareAutoincrement(const FieldDescriptor&, const CellContext&, const Value&, Value&,
                          std::string& reason) {
    reason = "the table numbers this field itself";
    return false;
}

CellProblem decodeDbase7Double(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                               Value& out) {
    double value = 0;
    if (width != 8 || !loadDbase7Double(bytes, value)) {
        out.setNull();
        return CellProblem::None;
    }
    if (!std::isfinite(value)) {
        out.setNull();
        return CellProblem::NotNumber;
    }
    out.assignNumber(value);
    return CellProblem::None;
}

bool prepareDbase7Double(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                         std::string& reason) {
    if (!toNumberValue(in, out, reason)) return false;
    if (out.isNull()) return true;
    const double value = out.asNumber();
    if (!std::isfinite(value)) {
        reason = "it is too large for a double field";
        return false;
    }
    // What the field will hold is the double, not the decimal text typed; never minus zero.
    out = Value::number(value == 0 ? 0.0 : value);
    return true;
}

bool encodeDbase7Double(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                        std::string& out, std::string&) {
    out.assign(static_cast<std::size_t>(field.length), '\0');
    if (!prepared.isNull() && out.size() == 8) {
        storeDbase7Double(prepared.asNumber(), reinterpret_cast<std::uint8_t*>(out.data()));
    }
    return true;
}

CellProblem decodeDbase7Timestamp(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                                  Value& out) {
    out.setNull();
    if (width != 8 || allZero(bytes, width)) return CellProblem::None;
    DateTime moment;
    if (!dbase7MomentOf(std::bit_cast<double>(base::loadBig<std::uint64_t>(bytes)), moment)) {
        return CellProblem::NotDateTime;
    }
    out.setDateTime(moment);
    return CellProblem::None;
}

bool prepareDbase7Timestamp(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                            std::string& reason) {
    return toDateTimeValue(in, out, reason);
}

bool encodeDbase7Timestamp(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                           std::string& out, std::string&) {
    out.assign(static_cast<std::size_t>(field.length), '\0');
    if (!prepared.isNull() && out.size() == 8) {
        base::storeBig(reinterpret_cast<std::uint8_t*>(out.data()),
                       std::bit_cast<std::uint64_t>(dbase7TimestampOf(prepared.asDateTime())));
    }
    return true;
}

}  // namespace engine::dbf
