// The locale's date, time and number conventions, read once at start-up.
//
// Everything that formats or reads a date takes one of these by reference, so
// tests pin the values instead of depending on the machine's locale.
#pragma once

#include <array>
#include <string>

namespace lognex {

struct LocaleFormat {
    std::array<std::string, 12> shortMonthNames;  // "Jan" .. "Dec"
    std::array<std::string, 12> longMonthNames;   // "January" .. "December"
    std::string shortDateFormat;                  // strftime pattern, e.g. "%m/%d/%y"
    std::string longTimeFormat;                   // strftime pattern, e.g. "%H:%M:%S"
    char dateSeparator = '/';
    char timeSeparator = ':';
    char decimalSeparator = '.';
    std::string amDesignator;
    std::string pmDesignator;
};

// The values of the C ("POSIX") locale: Jan..Dec, %m/%d/%y, %H:%M:%S, '/', ':', '.', AM, PM.
LocaleFormat CLocaleFormat();

// Reads the process's C library locale (after setlocale(LC_ALL, "")) through
// nl_langinfo. Separators are the first non-conversion characters of the date
// and time formats; empty month names fall back to the English abbreviations.
LocaleFormat ReadProcessLocaleFormat();

// Month and year that a date picture without those fields falls back on:
// the month and year of the day the program started.
struct CalendarDefaults {
    int month = 1;
    int year = 2000;
};

CalendarDefaults CalendarDefaultsFromClock();

}  // namespace lognex
