#include "support/visible_text.h"

namespace lognex {

std::string VisibleControlBytes(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0) {
            out += "\\0";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string QuotedForMessage(std::string_view text) { return "'" + VisibleControlBytes(text) + "'"; }

}  // namespace lognex
