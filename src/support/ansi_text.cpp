#include "support/ansi_text.h"

#include <array>
#include <utility>

namespace lognex {
namespace {

// 0x80..0x9F of Windows-1252; the undefined five keep their C1 value.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
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

// The code point of the UTF-8 sequence at text[i] and its length; length 0
// when no well-formed sequence starts there.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t point = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
    } else {
        return {0, 0};
    }
    if (i + length > text.size()) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return {0, 0};
        point = point << 6 | (byte(i + k) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return {0, 0};
    return {point, length};
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

void AppendUtf8(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

std::string AnsiToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : WidenAnsi(text)) AppendUtf8(out, unit);
    return out;
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

namespace lognex {

std::string PathToAnsi(std::string_view path) {
    std::string text;
    text.reserve(path.size());
    for (std::size_t i = 0; i < path.size();) {
        const auto [point, length] =
            static_cast<unsigned char>(path[i]) < 0x80 ? std::pair<char32_t, std::size_t>{} : DecodeUtf8(path, i);
        if (length == 0) {
            text.push_back(path[i++]);
            continue;
        }
        text += point <= 0xFFFF ? NarrowToAnsi(std::u16string(1, static_cast<char16_t>(point))) : "?";
        i += length;
    }
    return text;
}

}  // namespace lognex
