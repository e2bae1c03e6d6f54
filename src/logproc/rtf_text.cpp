#include "logproc/rtf_text.h"

#include <cctype>
#include <vector>

namespace lognex {

std::string RtfToPlainText(std::string_view rtf) {
    // Groups whose content is not text.
    static constexpr std::string_view kHidden[] = {"fonttbl", "colortbl", "stylesheet", "info",     "pict",
                                                   "header",  "footer",   "object",     "listtable", "generator"};
    std::string out;
    std::vector<bool> hiddenStack{false};
    bool hidden = false;
    for (std::size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            hiddenStack.push_back(hidden);
            ++i;
            continue;
        }
        if (c == '}') {
            if (hiddenStack.size() > 1) {
                hidden = hiddenStack.back();
                hiddenStack.pop_back();
            }
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (!hidden) out += c;
            ++i;
            continue;
        }
        // A control symbol or word.
        ++i;
        if (i >= rtf.size()) break;
        const char s = rtf[i];
        if (s == '\\' || s == '{' || s == '}') {
            if (!hidden) out += s;
            ++i;
            continue;
        }
        if (s == '\'') {
            auto hex = [](char h) {
                if (h >= '0' && h <= '9') return h - '0';
                if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                return -1;
            };
            if (i + 2 < rtf.size() && hex(rtf[i + 1]) >= 0 && hex(rtf[i + 2]) >= 0) {
                if (!hidden) out += static_cast<char>(hex(rtf[i + 1]) * 16 + hex(rtf[i + 2]));
                i += 3;
            } else {
                ++i;
            }
            continue;
        }
        if (s == '*') {  // an optional destination this reader does not know
            hidden = true;
            ++i;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(s))) {
            if (s == '~' && !hidden) out += ' ';
            ++i;
            continue;
        }
        const std::size_t wordStart = i;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
        const std::string_view word = rtf.substr(wordStart, i - wordStart);
        if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
            ++i;
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
        }
        if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiting blank belongs to the word
        for (std::string_view h : kHidden)
            if (word == h) hidden = true;
        if (hidden) continue;
        if (word == "par" || word == "line") out += "\r\n";
        else if (word == "tab") out += '\t';
    }
    // The control's own final paragraph mark is not part of the text.
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return out;
}

}  // namespace lognex
