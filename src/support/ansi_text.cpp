#include "support/ansi_text.h"

#include <array>

namespace lognex {
namespace {

// 0x80..0x9F of Windows-1252; the undefined five keep their C1 value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t WidenByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

// The byte of a Windows-1252 character, if the code page defines it.
std::optional<char> AnsiByteOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit && unit != 0x80 + i) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace

std::u16string WidenAnsi(std::string_view text) {
    std::u16string wide(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = WidenByte(static_cast<unsigned char>(text[i]));
    return wide;
}

std::string NarrowToAnsi(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t unit : text) {
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            narrow.push_back(static_cast<char>(unit));
            continue;
        }
        char byte = '?';
        for (std::size_t i = 0; i < kHighControls.size(); ++i) {
            if (kHighControls[i] == unit) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        }
        narrow.push_back(byte);
    }
    return narrow;
}

std::optional<std::string> NarrowToAnsiExactly(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t unit : text) {
        const std::optional<char> byte = AnsiByteOf(unit);
        if (!byte) return std::nullopt;
        narrow.push_back(*byte);
    }
    return narrow;
}

}  // namespace lognex
