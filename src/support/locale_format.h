// The locale's date, time and number conventions, read once at start-up.
//
// Everything that formats or reads a date takes one of these by reference, so
// tests pin the values instead of depending on the machine's locale. All texts
// are Windows-1252, like every other text of the program.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <string_view>

namespace lognex {

struct LocaleFormat {
    std::array<std::string, 12> shortMonthNames;  // "Jan" .. "Dec"
    std::array<std::string, 12> longMonthNames;   // "January" .. "December"
    std::string shortDateFormat;                  // strftime pattern, e.g. "%m/%d/%y" (see FormatDateTimeText)
    std::string longTimeFormat;                   // strftime pattern, e.g. "%H:%M:%S"
    char dateSeparator = '/';
    char timeSeparator = ':';
    char decimalSeparator = '.';
    std::string amDesignator;
    std::string pmDesignator;
};

// The strftime conversions the date pictures render from a LocaleFormat, each
// after optional flags "-_0^#" and an ignored modifier E or O. A format made
// by LocaleFormatFromRaw holds no other.
inline constexpr std::string_view kRenderedConversions = "dembBhyYHkIlMSpP%";
inline constexpr std::string_view kConversionFlags = "-_0^#";

// The values of the C ("POSIX") locale: Jan..Dec, %m/%d/%y, %H:%M:%S, '/', ':', '.', AM, PM.
LocaleFormat CLocaleFormat();

// The locale's conventions as the platform hands them out, before they are
// made the program's own: texts in the locale's character set, formats as
// strftime patterns. The reader of each platform fills one of these; a reader
// that has UTF-16 texts passes them as UTF-8 with codeset "UTF-8".
struct RawLocaleInfo {
    std::string codeset;  // e.g. "UTF-8", "ANSI_X3.4-1968", "EUC-JP"
    std::array<std::string, 12> abbreviatedMonths;
    std::array<std::string, 12> months;
    std::string dateFormat;  // short date, e.g. "%d.%m.%Y"
    std::string timeFormat;  // long time, e.g. "%T"
    std::string decimalPoint;
    std::string am, pm;
};

// Makes the locale's conventions the program's own, in Windows-1252:
// - month names: each as the locale gives it when it can be shown in
//   Windows-1252, else the English one (Polish "paź" becomes "Oct");
// - separators: the first character between two conversions of the date and
//   time formats, and the decimal point, each when it is one Windows-1252
//   punctuation character, else '/', ':' and '.';
// - formats: composite conversions spelled out; a format with text that cannot
//   be shown, or with conversions the date pictures do not render (weekday,
//   time zone, ...), becomes its numeric fields in the locale's order joined
//   by the separator ("%Y年%m月%d日" -> "%Y/%m/%d");
// - designators: the pair as given when both can be shown (empty ones stay
//   empty: the locale has none), else "AM"/"PM"; "AM"/"PM" as well when the
//   time format shows a designator and the locale leaves one empty.
// Empty month names, formats and decimal point take the C locale's. A pure
// function.
LocaleFormat LocaleFormatFromRaw(const RawLocaleInfo& raw);

// The process's locale as it comes: on POSIX the C library's (after
// setlocale(LC_ALL, "")) through nl_langinfo, on Windows the user's through
// GetLocaleInfoEx (locale_reader_posix.cpp, locale_reader_windows.cpp).
RawLocaleInfo ReadProcessLocaleInfo();

// LocaleFormatFromRaw(ReadProcessLocaleInfo()).
LocaleFormat ReadProcessLocaleFormat();

// Month and year that a date picture without those fields falls back on:
// the month and year of the day the program started.
struct CalendarDefaults {
    int month = 1;
    int year = 2000;
};

CalendarDefaults CalendarDefaultsFromClock();

// The local calendar time of a moment (localtime_r, localtime_s).
std::tm LocalTime(std::time_t moment);

}  // namespace lognex
