#include "support/windows_date_pictures.h"

namespace lognex {

std::string StrftimeFromWindowsPicture(std::string_view picture) {
    std::string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            // Quoted literal; '' inside or outside quotes is one quote.
            ++i;
            if (i < picture.size() && picture[i] == '\'') {
                out += '\'';
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i] == '%' ? std::string("%%") : std::string(1, picture[i]);
                ++i;
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        switch (c) {
            case 'd': out += run == 1 ? "%-d" : run == 2 ? "%d" : "%a"; break;
            case 'M': out += run == 1 ? "%-m" : run == 2 ? "%m" : run == 3 ? "%b" : "%B"; break;
            case 'y': out += run == 1 ? "%-y" : run == 2 ? "%y" : "%Y"; break;
            case 'h': out += run == 1 ? "%-I" : "%I"; break;
            case 'H': out += run == 1 ? "%-H" : "%H"; break;
            case 'm': out += run == 1 ? "%-M" : "%M"; break;
            case 's': out += run == 1 ? "%-S" : "%S"; break;
            case 't': out += "%p"; break;
            case 'g': out += "%C"; break;
            case '%':
                for (std::size_t k = 0; k < run; ++k) out += "%%";
                break;
            default: out.append(run, c); break;
        }
        i += run;
    }
    return out;
}

}  // namespace lognex
