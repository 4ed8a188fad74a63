#include "engine/dbf/FoxKinds.h"

#include "base/Endian.h"
#include "engine/dbf/BinaryCodec.h"
#include "engine/dbf/DbfHeader.h"
#include "engine/dbf/FieldCodec.h"
#include "engine/dbf/TextCodec.h"

#include <bit>

namespace engine::dbf::foxkinds {

namespace {

constexpr const char* kBinaryRefusal =
    "the field holds binary data, which this program cannot change";

std::uint8_t* bytesOf(std::string& out) { return reinterpret_cast<std::uint8_t*>(out.data()); }

// A caller's value as a number (null when blank), checked by check(number, reason).
template <typename Check>
bool prepareNumberWith(const Value& in, Value& out, std::string& reason, Check check) {
    if (!toNumberValue(in, out, reason)) return false;
    return out.isNull() || check(out, reason);
}

}  // namespace

CellProblem decodeInteger(const std::uint8_t* bytes, std::size_t, const CellContext&, Value& out) {
    dbf::decodeInteger(bytes, out);
    return CellProblem::None;
}

bool prepareInteger(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                    std::string& reason) {
    return prepareNumberWith(in, out, reason, [&](Value& number, std::string& why) {
        std::int32_t value = 0;
        if (!integerOfNumber(number, value, why)) return false;
        number = Value::number(value, std::to_string(value));
        return true;
    });
}

bool encodeInteger(const FieldDescriptor&, const CellContext&, const Value& prepared,
                   std::string& out, std::string& reason) {
    std::int32_t value = 0;
    if (!prepared.isNull() && !integerOfNumber(prepared, value, reason)) return false;
    out.assign(kIntegerWidth, '\0');
    base::storeLittle(bytesOf(out), value);
    return true;
}

CellProblem decodeCurrency(const std::uint8_t* bytes, std::size_t, const CellContext&, Value& out) {
    dbf::decodeCurrency(bytes, out);
    return CellProblem::None;
}

bool prepareCurrency(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                     std::string& reason) {
    return prepareNumberWith(in, out, reason, [&](Value& number, std::string& why) {
        std::int64_t scaled = 0;
        if (!currencyOfNumber(number, scaled, why)) return false;
        number = currencyValue(scaled);
        return true;
    });
}

bool encodeCurrency(const FieldDescriptor&, const CellContext&, const Value& prepared,
                    std::string& out, std::string& reason) {
    std::int64_t scaled = 0;
    if (!prepared.isNull() && !currencyOfNumber(prepared, scaled, reason)) return false;
    out.assign(kBinaryNumberWidth, '\0');
    base::storeLittle(bytesOf(out), scaled);
    return true;
}

CellProblem decodeDouble(const std::uint8_t* bytes, std::size_t, const CellContext&, Value& out) {
    return dbf::decodeDouble(bytes, out) ? CellProblem::None : CellProblem::NotNumber;
}

bool prepareDouble(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                   std::string& reason) {
    return prepareNumberWith(in, out, reason, [&](Value& number, std::string& why) {
        double value = 0;
        if (!doubleOfNumber(number, value, why)) return false;
        number = Value::number(value);  // what reading it back gives
        return true;
    });
}

bool encodeDouble(const FieldDescriptor&, const CellContext&, const Value& prepared,
                  std::string& out, std::string& reason) {
    double value = 0;
    if (!prepared.isNull() && !doubleOfNumber(prepared, value, reason)) return false;
    out.assign(kBinaryNumberWidth, '\0');
    base::storeLittle(bytesOf(out), std::bit_cast<std::uint64_t>(value));
    return true;
}

CellProblem decodeDateTime(const std::uint8_t* bytes, std::size_t, const CellContext&, Value& out) {
    return dbf::decodeDateTime(bytes, out) ? CellProblem::None : CellProblem::NotDateTime;
}

bool prepareDateTime(const FieldDescriptor&, const CellContext&, const Value& in, Value& out,
                     std::string& reason) {
    if (!toDateTimeValue(in, out, reason)) return false;
    std::uint8_t bytes[kBinaryNumberWidth];
    return out.isNull() || dbf::encodeDateTime(out.asDateTime(), bytes, reason);
}

bool encodeDateTime(const FieldDescriptor&, const CellContext&, const Value& prepared,
                    std::string& out, std::string& reason) {
    out.assign(kBinaryNumberWidth, '\0');
    return prepared.isNull() || dbf::encodeDateTime(prepared.asDateTime(), bytesOf(out), reason);
}

CellProblem decodeVarText(const std::uint8_t* bytes, std::size_t width, const CellContext& context,
                          Value& out) {
    if (width == 0) {
        out.setNull();
    } else {
        context.codec->decode(bytes, width, out.assignText());
    }
    return CellProblem::None;
}

bool encodeVarText(const FieldDescriptor& field, const CellContext& context, const Value& prepared,
                   std::string& out, std::string& reason) {
    out.clear();
    if (prepared.isNull()) return true;
    char32_t bad = 0;
    if (!context.codec->encode(prepared.asText(), out, bad) ||
        out.size() > static_cast<std::size_t>(field.length)) {
        reason = "it does not fit the field";
        return false;
    }
    return true;
}

CellProblem decodeBytes(const std::uint8_t* bytes, std::size_t width, const CellContext&,
                        Value& out) {
    if (width == 0) {
        out.setNull();
    } else {
        out.assignBinary().assign(reinterpret_cast<const char*>(bytes), width);
    }
    return CellProblem::None;
}

bool encodeBlankCharacters(const FieldDescriptor& field, const CellContext&, const Value& prepared,
                           std::string& out, std::string& reason) {
    if (!prepared.isNull()) {
        reason = kBinaryRefusal;
        return false;
    }
    out.assign(static_cast<std::size_t>(field.length), ' ');
    return true;
}

bool encodeBlankVarBytes(const FieldDescriptor&, const CellContext&, const Value& prepared,
                         std::string& out, std::string& reason) {
    if (!prepared.isNull()) {
        reason = kBinaryRefusal;
        return false;
    }
    out.clear();
    return true;
}

}  // namespace engine::dbf::foxkinds
