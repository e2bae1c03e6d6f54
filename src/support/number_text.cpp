#include "support/number_text.h"

#include <string>

#include "support/error.h"

namespace lognex {

std::optional<std::int32_t> TryParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;

    if (hex) {
        if (text.size() - i > 8) return std::nullopt;
        std::uint32_t pattern = 0;
        for (; i < text.size(); ++i) {
            const int digit = HexDigitValue(text[i]);
            if (digit < 0) return std::nullopt;
            pattern = pattern << 4 | static_cast<std::uint32_t>(digit);
        }
        if (negative) pattern = 0u - pattern;
        return static_cast<std::int32_t>(pattern);
    }

    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t ParseInteger(std::string_view text) {
    if (auto value = TryParseInteger(text)) return *value;
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace lognex
