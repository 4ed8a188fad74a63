#include "engine/Value.h"

#include "engine/EngineError.h"

#include <array>
#include <charconv>
#include <cmath>

namespace engine {

namespace {

const char* kindName(Value::Kind kind) {
    switch (kind) {
        case Value::Kind::Null:
            return "empty";
        case Value::Kind::Text:
            return "text";
        case Value::Kind::Number:
            return "a number";
        case Value::Kind::Date:
            return "a date";
        case Value::Kind::Boolean:
            return "a logical value";
        case Value::Kind::DateTime:
            return "a date-time";
        case Value::Kind::Binary:
            return "binary data";
    }
    return "unknown";
}

[[noreturn]] void wrongKind(Value::Kind actual, const char* wanted) {
    throw EngineError(std::string("The value is ") + kindName(actual) + ", not " + wanted + ".");
}

}  // namespace

void appendPlainDecimal(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
        return;
    }
    if (value == 0) value = 0;  // no "-0"
    // A double in fixed notation needs at most 309 integer digits plus the shortest fraction.
    std::array<char, 400> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    if (error == std::errc()) out.append(buffer.data(), end);
}

Value Value::text(std::string utf8) {
    Value v;
    v.m_data = std::move(utf8);
    return v;
}

Value Value::number(double value) { return number(value, {}); }

Value Value::number(double value, std::string exactText) {
    Value v;
    v.m_data = Number{value, std::move(exactText)};
    return v;
}

Value Value::date(const DateTime& date) {
    Value v;
    v.m_data = date;
    return v;
}

Value Value::boolean(bool value) {
    Value v;
    v.m_data = value;
    return v;
}

Value Value::dateTime(const DateTime& moment) {
    Value v;
    v.m_data = Moment{moment};
    return v;
}

Value Value::binary(std::string bytes) {
    Value v;
    v.m_data = Bytes{std::move(bytes)};
    return v;
}

Value::Kind Value::kind() const { return static_cast<Kind>(m_data.index()); }

const std::string& Value::asText() const {
    if (auto* text = std::get_if<std::string>(&m_data)) return *text;
    wrongKind(kind(), "text");
}

double Value::asNumber() const {
    if (auto* number = std::get_if<Number>(&m_data)) return number->value;
    wrongKind(kind(), "a number");
}

const DateTime& Value::asDate() const {
    if (auto* date = std::get_if<DateTime>(&m_data)) return *date;
    wrongKind(kind(), "a date");
}

bool Value::asBoolean() const {
    if (auto* boolean = std::get_if<bool>(&m_data)) return *boolean;
    wrongKind(kind(), "a logical value");
}

const DateTime& Value::asDateTime() const {
    if (auto* moment = std::get_if<Moment>(&m_data)) return moment->value;
    wrongKind(kind(), "a date-time");
}

const std::string& Value::asBinary() const {
    if (auto* bytes = std::get_if<Bytes>(&m_data)) return bytes->bytes;
    wrongKind(kind(), "binary data");
}

const std::string& Value::exactNumberText() const {
    static const std::string kEmpty;
    if (auto* number = std::get_if<Number>(&m_data)) return number->exact;
    return kEmpty;
}

void Value::appendTo(std::string& out) const {
    switch (kind()) {
        case Kind::Null:
            return;
        case Kind::Text:
            out += std::get<std::string>(m_data);
            return;
        case Kind::Number: {
            const Number& number = std::get<Number>(m_data);
            if (!number.exact.empty()) {
                out += number.exact;
            } else {
                appendPlainDecimal(out, number.value);
            }
            return;
        }
        case Kind::Date:
            std::get<DateTime>(m_data).appendIso(out);
            return;
        case Kind::Boolean:
            out += std::get<bool>(m_data) ? "true" : "false";
            return;
        case Kind::DateTime:
            std::get<Moment>(m_data).value.appendMoment(out);
            return;
        case Kind::Binary: {
            static constexpr char kHex[] = "0123456789abcdef";
            const std::string& bytes = std::get<Bytes>(m_data).bytes;
            out += "\\x";
            for (char c : bytes) {
                const auto byte = static_cast<unsigned char>(c);
                out.push_back(kHex[byte >> 4]);
                out.push_back(kHex[byte & 0x0F]);
            }
            return;
        }
    }
}

std::string Value::toString() const {
    std::string out;
    appendTo(out);
    return out;
}

void Value::setNull() { m_data = std::monostate{}; }

std::string& Value::assignText() {
    if (auto* text = std::get_if<std::string>(&m_data)) {
        text->clear();
        return *text;
    }
    if (auto* number = std::get_if<Number>(&m_data)) {
        // Reuse the exact text's buffer for the text.
        std::string buffer = std::move(number->exact);
        buffer.clear();
        m_data = std::move(buffer);
        return std::get<std::string>(m_data);
    }
    return m_data.emplace<std::string>();
}

std::string& Value::assignNumber(double value) {
    if (auto* number = std::get_if<Number>(&m_data)) {
        number->value = value;
        number->exact.clear();
        return number->exact;
    }
    if (auto* text = std::get_if<std::string>(&m_data)) {
        std::string buffer = std::move(*text);
        buffer.clear();
        m_data = Number{value, std::move(buffer)};
        return std::get<Number>(m_data).exact;
    }
    return m_data.emplace<Number>(Number{value, {}}).exact;
}

void Value::setDate(const DateTime& date) { m_data = date; }

void Value::setBoolean(bool value) { m_data = value; }

void Value::setDateTime(const DateTime& moment) { m_data = Moment{moment}; }

std::string& Value::assignBinary() {
    if (auto* bytes = std::get_if<Bytes>(&m_data)) {
        bytes->bytes.clear();
        return bytes->bytes;
    }
    return m_data.emplace<Bytes>().bytes;
}

bool operator==(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case Value::Kind::Null:
            return true;
        case Value::Kind::Text:
            return a.asText() == b.asText();
        case Value::Kind::Number:
            return a.asNumber() == b.asNumber();
        case Value::Kind::Date:
            return a.asDate() == b.asDate();
        case Value::Kind::Boolean:
            return a.asBoolean() == b.asBoolean();
        case Value::Kind::DateTime:
            return a.asDateTime() == b.asDateTime();
        case Value::Kind::Binary:
            return a.asBinary() == b.asBinary();
    }
    return false;
}

}  // namespace engine
