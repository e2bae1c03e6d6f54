// Windows' date and time pictures ("dd.MM.yyyy", "h:mm:ss tt") as the
// strftime patterns LocaleFormatFromRaw reads. Pure, so it is tested on
// every platform; the Windows locale reader uses it.
#pragma once

#include <string>
#include <string_view>

namespace lognex {

// dd -> %d, MM -> %m, MMM -> %b, MMMM -> %B, yy -> %y, yyyy -> %Y, hh -> %I,
// HH -> %H, mm -> %M, ss -> %S, t tt -> %p; a single letter of a number
// (d, M, y, h, H, m, s) is the same conversion without padding ("%-d").
// Quoted text ('de') is literal, '' is a quote, '%' is "%%". Weekday names
// (ddd, dddd) and an era (g, gg) become %a and %C, which the date pictures do
// not render, so such a picture falls back on its numeric fields. UTF-8 in,
// UTF-8 out.
std::string StrftimeFromWindowsPicture(std::string_view picture);

}  // namespace lognex
