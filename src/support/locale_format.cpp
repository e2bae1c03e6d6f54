#include "support/locale_format.h"

#include <langinfo.h>

#include <ctime>

namespace lognex {
namespace {

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {"January", "February", "March",     "April",
                                                     "May",     "June",     "July",      "August",
                                                     "September", "October", "November", "December"};

// Composite conversions spelled out, so their separators can be seen.
std::string ExpandComposites(const std::string& format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            switch (format[i + 1]) {
                case 'D': out += "%m/%d/%y"; ++i; continue;
                case 'T': out += "%H:%M:%S"; ++i; continue;
                case 'R': out += "%H:%M"; ++i; continue;
                case 'r': out += "%I:%M:%S %p"; ++i; continue;
                case 'F': out += "%Y-%m-%d"; ++i; continue;
                default: break;
            }
        }
        out += format[i];
    }
    return out;
}

// The first character between two conversions that is not a blank.
char SeparatorOf(const std::string& format, char fallback) {
    bool seenConversion = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%') {
            ++i;
            while (i < format.size() && (format[i] == 'E' || format[i] == 'O' || format[i] == '-' ||
                                         format[i] == '_' || format[i] == '0' || format[i] == '^' ||
                                         format[i] == '#'))
                ++i;
            seenConversion = true;
            continue;
        }
        if (seenConversion && format[i] != ' ') return format[i];
    }
    return fallback;
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

LocaleFormat ReadProcessLocaleFormat() {
    LocaleFormat f = CLocaleFormat();
    static constexpr nl_item kAbMon[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                           ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    static constexpr nl_item kMon[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                         MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    for (std::size_t i = 0; i < 12; ++i) {
        if (const char* s = nl_langinfo(kAbMon[i]); s && *s) f.shortMonthNames[i] = s;
        if (const char* s = nl_langinfo(kMon[i]); s && *s) f.longMonthNames[i] = s;
    }
    if (const char* s = nl_langinfo(D_FMT); s && *s) f.shortDateFormat = ExpandComposites(s);
    if (const char* s = nl_langinfo(T_FMT); s && *s) f.longTimeFormat = ExpandComposites(s);
    f.dateSeparator = SeparatorOf(f.shortDateFormat, '/');
    f.timeSeparator = SeparatorOf(f.longTimeFormat, ':');
    if (const char* s = nl_langinfo(RADIXCHAR); s && *s) f.decimalSeparator = *s;
    f.amDesignator = nl_langinfo(AM_STR);
    f.pmDesignator = nl_langinfo(PM_STR);
    return f;
}

CalendarDefaults CalendarDefaultsFromClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CalendarDefaults{local.tm_mon + 1, local.tm_year + 1900};
}

}  // namespace lognex
