// Integers stored in file bytes, least significant byte first (dBASE headers, BIFF8 records) or
// most significant first (FoxPro memo files, dBASE 7 fields): the one place that spells out byte
// order. T is any integer type of 1 to 8 bytes; a signed T is read in two's complement.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace base {

template <std::integral T>
constexpr T loadLittle(const std::uint8_t* bytes) {
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (std::size_t i = sizeof(T); i > 0; --i) {
        value = static_cast<U>((value << 8) | bytes[i - 1]);
    }
    return static_cast<T>(value);
}

template <std::integral T>
constexpr T loadBig(const std::uint8_t* bytes) {
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value = static_cast<U>((value << 8) | bytes[i]);
    return static_cast<T>(value);
}

template <std::integral T>
constexpr void storeLittle(std::uint8_t* bytes, T value) {
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<std::uint8_t>(bits);
        bits = static_cast<decltype(bits)>(bits >> 8);
    }
}

template <std::integral T>
constexpr void storeBig(std::uint8_t* bytes, T value) {
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = sizeof(T); i > 0; --i) {
        bytes[i - 1] = static_cast<std::uint8_t>(bits);
        bits = static_cast<decltype(bits)>(bits >> 8);
    }
}

}  // namespace base
