// engine::Value and engine::Date as their header describes them, for building the worksheet
// driver's tests on a tree where the engine's own Value.cpp is not there yet. CMake compiles this
// file only in that case.
#include "engine/EngineError.h"
#include "engine/Value.h"

#include <charconv>
#include <cstdio>

namespace engine {

bool Date::isValid() const {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string Date::toIsoString() const {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    std::string iso = text;
    if (microsecondsOfDay != 0) {
        long long us = microsecondsOfDay;
        std::snprintf(text, sizeof text, "T%02lld:%02lld:%02lld", us / 3600000000,
                      us / 60000000 % 60, us / 1000000 % 60);
        iso += text;
        if (us % 1000000 != 0) {
            std::snprintf(text, sizeof text, ".%06lld", us % 1000000);
            iso += text;
        }
    }
    return iso;
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
Value Value::date(const Date& date) {
    Value v;
    v.m_data = date;
    return v;
}
Value Value::boolean(bool value) {
    Value v;
    v.m_data = value;
    return v;
}
Value::Kind Value::kind() const { return static_cast<Kind>(m_data.index()); }
const std::string& Value::asText() const {
    if (auto* p = std::get_if<std::string>(&m_data)) return *p;
    throw EngineError("not text");
}
double Value::asNumber() const {
    if (auto* p = std::get_if<Number>(&m_data)) return p->value;
    throw EngineError("not a number");
}
const Date& Value::asDate() const {
    if (auto* p = std::get_if<Date>(&m_data)) return *p;
    throw EngineError("not a date");
}
bool Value::asBoolean() const {
    if (auto* p = std::get_if<bool>(&m_data)) return *p;
    throw EngineError("not a boolean");
}
const std::string& Value::exactNumberText() const {
    static const std::string kNone;
    if (auto* p = std::get_if<Number>(&m_data)) return p->exact;
    return kNone;
}
std::string Value::toString() const {
    switch (kind()) {
        case Kind::Null:
            return {};
        case Kind::Text:
            return asText();
        case Kind::Number: {
            if (!exactNumberText().empty()) return exactNumberText();
            if (asNumber() == 0) return "0";
            char buffer[400];
            auto end =
                std::to_chars(buffer, buffer + sizeof buffer, asNumber(), std::chars_format::fixed);
            return std::string(buffer, end.ptr);
        }
        case Kind::Date:
            return asDate().toIsoString();
        case Kind::Boolean:
            return asBoolean() ? "true" : "false";
    }
    return {};
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
    }
    return false;
}

}  // namespace engine
