// Integers read from text the way the log and the date pictures write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lognex {

// The value of a hexadecimal digit (either letter case), -1 for any other character.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". Nothing may follow. A decimal
// value must fit 32 signed bits; up to eight hex digits are a 32-bit pattern.
std::optional<std::int32_t> TryParseInteger(std::string_view text);

// As TryParseInteger; throws ConversionError "'%s' is not a valid integer value".
std::int32_t ParseInteger(std::string_view text);

}  // namespace lognex
