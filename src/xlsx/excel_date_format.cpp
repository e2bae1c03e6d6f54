#include "xlsx/excel_date_format.h"

#include <string_view>

#include "support/ansi_text.h"

namespace lognex {
namespace {

// One strftime pattern turned into format code.
void AppendPattern(std::string& code, std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            // Literal text: a blank and the time's colon stand for themselves
            // (as in the spreadsheets' own codes), anything else is escaped so
            // that no reader takes it for a field, a decimal point or a
            // separator to localise.
            if (c == ' ' || c == ':') {
                code += c;
            } else {
                code += '\\';
                code += AnsiToUtf8(std::string_view(&c, 1));
            }
            continue;
        }
        bool unpadded = false;
        while (i + 1 < pattern.size() && std::string_view("-_0^#").find(pattern[i + 1]) != std::string_view::npos) {
            if (pattern[i + 1] == '-' || pattern[i + 1] == '_') unpadded = true;
            if (pattern[i + 1] == '0') unpadded = false;
            ++i;
        }
        if (i + 1 < pattern.size() && (pattern[i + 1] == 'E' || pattern[i + 1] == 'O')) ++i;
        if (i + 1 == pattern.size()) break;
        const char conversion = pattern[++i];
        const auto field = [&](const char* padded, const char* single) { code += unpadded ? single : padded; };
        switch (conversion) {
            case 'd': field("dd", "d"); break;
            case 'e': code += 'd'; break;
            case 'm': field("mm", "m"); break;
            case 'b':
            case 'h': code += "mmm"; break;
            case 'B': code += "mmmm"; break;
            case 'y': code += "yy"; break;
            case 'Y': code += "yyyy"; break;
            case 'H':
            case 'I': field("hh", "h"); break;
            case 'k':
            case 'l': code += 'h'; break;
            case 'M': field("mm", "m"); break;
            case 'S': field("ss", "s"); break;
            case 'p': code += "AM/PM"; break;
            case 'P': code += "am/pm"; break;
            case '%': code += "\\%"; break;
            default: break;  // a locale format holds no other (LocaleFormatFromRaw)
        }
    }
}

}  // namespace

std::string ExcelDateTimeFormat(const LocaleFormat& locale) {
    std::string code;
    AppendPattern(code, locale.shortDateFormat);
    code += ' ';
    AppendPattern(code, locale.longTimeFormat);
    return code;
}

}  // namespace lognex
