#include "support/codeset_text.h"

#include <cctype>
#include <cerrno>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define LOGNEX_HAVE_ICONV 1
#endif

namespace lognex {
namespace {

std::string Canonical(std::string_view codeset) {
    std::string name;
    for (char c : codeset) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte)) name += static_cast<char>(std::toupper(byte));
    }
    return name;
}

bool IsUtf8(std::string_view codeset) { return Canonical(codeset) == "UTF8"; }

bool IsAscii(std::string_view codeset) {
    const std::string name = Canonical(codeset);
    return name.empty() || name == "ANSIX341968" || name == "ASCII" || name == "USASCII" || name == "POSIX";
}

// Strict UTF-8: overlong forms, surrogates and stray continuation bytes are
// undecodable, one replacement per byte that cannot start a character.
std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        char32_t cp = 0, minimum = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
        if (!valid) {
            out.push_back(kUndecodable);
            ++i;
            continue;
        }
        out.push_back(cp > 0xFFFF ? kUndecodable : static_cast<char16_t>(cp));
        i += length;
    }
    return out;
}

std::u16string DecodeAsciiOnly(std::string_view bytes) {
    std::u16string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out.push_back(byte < 0x80 ? byte : kUndecodable);
    }
    return out;
}

#ifdef LOGNEX_HAVE_ICONV
// Through UTF-8, so the strict decoder above has the last word. An
// undecodable byte is replaced and skipped; the rest still decodes.
std::u16string DecodeWithIconv(std::string_view bytes, std::string_view codeset) {
    const iconv_t cd = iconv_open("UTF-8", std::string(codeset).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return DecodeAsciiOnly(bytes);
    std::u16string out;
    std::string pending;  // UTF-8 of the stretch converted since the last bad byte
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        pending.append(buffer, outPtr);
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        out += DecodeUtf8(pending);
        pending.clear();
        out.push_back(kUndecodable);  // EILSEQ or a sequence cut short at the end
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;  // a stateful set may still owe a shift back to its initial state
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    pending.append(buffer, outPtr);
    out += DecodeUtf8(pending);
    iconv_close(cd);
    return out;
}
#endif

}  // namespace

std::u16string DecodeCodeset(std::string_view bytes, std::string_view codeset) {
    if (IsUtf8(codeset)) return DecodeUtf8(bytes);
    if (IsAscii(codeset)) return DecodeAsciiOnly(bytes);
#ifdef LOGNEX_HAVE_ICONV
    return DecodeWithIconv(bytes, codeset);
#else
    return DecodeAsciiOnly(bytes);
#endif
}

}  // namespace lognex
