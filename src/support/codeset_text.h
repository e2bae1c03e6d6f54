// Text in a C library character set, decoded for comparison and re-encoding.
//
// The C library hands out its locale's texts (month names, formats) in the
// locale's own character set, which on a desktop is mostly UTF-8 and never the
// program's Windows-1252. This is where such text is read.
#pragma once

#include <string>
#include <string_view>

namespace lognex {

// U+FFFD stands for a byte sequence that does not decode, and for every
// character outside the Basic Multilingual Plane (none of them is ever shown).
constexpr char16_t kUndecodable = 0xFFFD;

// Decodes bytes of the named character set (as nl_langinfo(CODESET) names it:
// "UTF-8", "ANSI_X3.4-1968", "ISO-8859-1", "EUC-JP", ...). UTF-8 and ASCII
// are read here on every platform; other sets go through iconv where the
// platform has it, and otherwise only their ASCII bytes decode.
std::u16string DecodeCodeset(std::string_view bytes, std::string_view codeset);

}  // namespace lognex
