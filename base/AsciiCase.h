// Letter case of ASCII text, the same on every machine: only A-Z and a-z change, every other byte
// (UTF-8 sequences included) stays as it is, whatever the locale says.
#pragma once

#include <string>
#include <string_view>

namespace base {

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
constexpr char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// ASCII letters compared without regard to case; other bytes exactly.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool endsWithIgnoringCase(std::string_view text, std::string_view suffix);

}  // namespace base
