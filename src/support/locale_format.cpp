#include "support/locale_format.h"

#include <optional>

#include "support/ansi_text.h"
#include "support/codeset_text.h"

namespace lognex {
namespace {

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {"January",   "February", "March",    "April",
                                                     "May",       "June",     "July",     "August",
                                                     "September", "October",  "November", "December"};

// One conversion of a format: its letter, and the position after it.
struct Conversion {
    char16_t letter = 0;
    std::size_t end = 0;
};

// The conversion that starts at format[i] == '%'; flags and an E or O
// modifier are passed over. A '%' at the very end has letter 0.
Conversion ConversionAt(std::u16string_view format, std::size_t i) {
    Conversion c{0, i + 1};
    while (c.end < format.size() && format[c.end] < 0x80 &&
           kConversionFlags.find(static_cast<char>(format[c.end])) != std::string_view::npos)
        ++c.end;
    if (c.end < format.size() && (format[c.end] == u'E' || format[c.end] == u'O')) ++c.end;
    if (c.end < format.size()) c.letter = format[c.end++];
    return c;
}

bool IsRendered(char16_t letter) {
    return letter != 0 && letter < 0x80 &&
           kRenderedConversions.find(static_cast<char>(letter)) != std::string_view::npos;
}

// Composite conversions spelled out, so their separators can be seen.
std::u16string ExpandComposites(std::u16string_view format) {
    std::u16string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            switch (format[i + 1]) {
                case u'D':
                    out += u"%m/%d/%y";
                    ++i;
                    continue;
                case u'T':
                    out += u"%H:%M:%S";
                    ++i;
                    continue;
                case u'R':
                    out += u"%H:%M";
                    ++i;
                    continue;
                case u'r':
                    out += u"%I:%M:%S %p";
                    ++i;
                    continue;
                case u'F':
                    out += u"%Y-%m-%d";
                    ++i;
                    continue;
                case u'%':
                    out += u"%%";
                    ++i;
                    continue;
                default: break;
            }
        }
        out += format[i];
    }
    return out;
}

// Punctuation of Windows-1252: the ASCII marks and the typographic ones
// (quotes, dashes, bullet, ellipsis, guillemets, middle dot, section sign ...).
std::optional<char> AnsiPunctuation(char16_t c) {
    static constexpr std::u16string_view kWide =
        u"\u201A\u201E\u2026\u2020\u2021\u2030\u2039\u2018\u2019\u201C"
        u"\u201D\u2022\u2013\u2014\u203A\u00A1\u00A7\u00B6\u00B7\u00AB"
        u"\u00BB\u00BF";
    const bool ascii =
        (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') || (c >= u'{' && c <= u'~');
    if (!ascii && kWide.find(c) == std::u16string_view::npos) return std::nullopt;
    const std::optional<std::string> byte = NarrowToAnsiExactly(std::u16string_view(&c, 1));
    if (!byte) return std::nullopt;
    return (*byte)[0];
}

// The first character between two conversions that is not a blank, when it is
// punctuation; the fallback otherwise.
char SeparatorOf(std::u16string_view format, char fallback) {
    bool seenConversion = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%') {
            i = ConversionAt(format, i).end - 1;
            seenConversion = true;
            continue;
        }
        if (seenConversion && format[i] != u' ') return AnsiPunctuation(format[i]).value_or(fallback);
    }
    return fallback;
}

// The numeric fields of a format in their order, joined by the separator; a
// designator stands apart by a blank. Names become month numbers.
std::string NumericForm(std::u16string_view format, char separator) {
    std::string out;
    bool lastWasField = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') continue;
        const Conversion c = ConversionAt(format, i);
        i = c.end - 1;
        const char* field = nullptr;
        switch (c.letter) {
            case u'Y': field = "%Y"; break;
            case u'y': field = "%y"; break;
            case u'm':
            case u'b':
            case u'B':
            case u'h': field = "%m"; break;
            case u'd':
            case u'e': field = "%d"; break;
            case u'H':
            case u'k': field = "%H"; break;
            case u'I':
            case u'l': field = "%I"; break;
            case u'M': field = "%M"; break;
            case u'S': field = "%S"; break;
            case u'p':
            case u'P':
                if (!out.empty()) out += ' ';
                out += "%p";
                lastWasField = false;
                continue;
            default: continue;
        }
        if (lastWasField)
            out += separator;
        else if (!out.empty())
            out += ' ';
        out += field;
        lastWasField = true;
    }
    return out;
}

// A format the date pictures can render in Windows-1252: the format itself
// when it can be, else its numeric form, else the fallback.
std::string ShowableFormat(std::u16string_view format, char separator, const std::string& fallback) {
    bool rendered = true;
    for (std::size_t i = 0; i < format.size() && rendered; ++i) {
        if (format[i] != u'%') continue;
        const Conversion c = ConversionAt(format, i);
        rendered = IsRendered(c.letter);
        i = c.end - 1;
    }
    if (rendered) {
        if (std::optional<std::string> narrow = NarrowToAnsiExactly(format); narrow && !narrow->empty()) return *narrow;
    }
    std::string numeric = NumericForm(format, separator);
    return numeric.empty() ? fallback : numeric;
}

// Each name in Windows-1252, or the English one when it is missing or cannot
// be shown. Name by name, so every name that read a log before still does.
std::array<std::string, 12> MonthNames(const std::array<std::string, 12>& raw, std::string_view codeset,
                                       const std::array<const char*, 12>& english) {
    std::array<std::string, 12> names;
    for (std::size_t i = 0; i < 12; ++i) {
        std::optional<std::string> name = NarrowToAnsiExactly(DecodeCodeset(raw[i], codeset));
        names[i] = name && !name->empty() ? std::move(*name) : std::string(english[i]);
    }
    return names;
}

}  // namespace

LocaleFormat CLocaleFormat() {
    LocaleFormat f;
    for (std::size_t i = 0; i < 12; ++i) {
        f.shortMonthNames[i] = kShortMonths[i];
        f.longMonthNames[i] = kLongMonths[i];
    }
    f.shortDateFormat = "%m/%d/%y";
    f.longTimeFormat = "%H:%M:%S";
    f.dateSeparator = '/';
    f.timeSeparator = ':';
    f.decimalSeparator = '.';
    f.amDesignator = "AM";
    f.pmDesignator = "PM";
    return f;
}

LocaleFormat LocaleFormatFromRaw(const RawLocaleInfo& raw) {
    const LocaleFormat c = CLocaleFormat();
    LocaleFormat f = c;
    f.shortMonthNames = MonthNames(raw.abbreviatedMonths, raw.codeset, kShortMonths);
    f.longMonthNames = MonthNames(raw.months, raw.codeset, kLongMonths);

    if (!raw.dateFormat.empty()) {
        const std::u16string format = ExpandComposites(DecodeCodeset(raw.dateFormat, raw.codeset));
        f.dateSeparator = SeparatorOf(format, c.dateSeparator);
        f.shortDateFormat = ShowableFormat(format, f.dateSeparator, c.shortDateFormat);
    }
    if (!raw.timeFormat.empty()) {
        const std::u16string format = ExpandComposites(DecodeCodeset(raw.timeFormat, raw.codeset));
        f.timeSeparator = SeparatorOf(format, c.timeSeparator);
        f.longTimeFormat = ShowableFormat(format, f.timeSeparator, c.longTimeFormat);
    }
    if (const std::u16string point = DecodeCodeset(raw.decimalPoint, raw.codeset); point.size() == 1)
        f.decimalSeparator = AnsiPunctuation(point[0]).value_or(c.decimalSeparator);

    std::optional<std::string> am = NarrowToAnsiExactly(DecodeCodeset(raw.am, raw.codeset));
    std::optional<std::string> pm = NarrowToAnsiExactly(DecodeCodeset(raw.pm, raw.codeset));
    // A 12-hour time needs both halves of the day named (Malay gives none).
    const bool timeShowsDesignator =
        f.longTimeFormat.find("%p") != std::string::npos || f.longTimeFormat.find("%P") != std::string::npos;
    if (am && pm && !(timeShowsDesignator && (am->empty() || pm->empty()))) {
        f.amDesignator = std::move(*am);
        f.pmDesignator = std::move(*pm);
    }
    return f;
}

LocaleFormat ReadProcessLocaleFormat() { return LocaleFormatFromRaw(ReadProcessLocaleInfo()); }

CalendarDefaults CalendarDefaultsFromClock() {
    const std::tm local = LocalTime(std::time(nullptr));
    return CalendarDefaults{local.tm_mon + 1, local.tm_year + 1900};
}

}  // namespace lognex
