// Turns one header line and the text line after it into a log entry.
//
// The prober writes every error as two lines:
//   Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580
//   Wafer loading error - wafer not sensed on chuck pins
// Words 2 to 5 of the header are month, day, time and year; the location is
// everything from the last "FILE:" on. The parser is a pure function of the
// two lines and the locale; a pair that does not read as an entry throws a
// ConversionError with the message the user sees. The month word is one of the
// locale's abbreviated names or one of "Jan" .. "Dec", matched exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/date_time.h"
#include "support/locale_format.h"

namespace lognex {

struct LogEntry {
    DateTime dateTime = 0;
    std::string location;  // "FILE: ..." to the end of the header; empty without a marker
    std::string text;      // the text line, unchanged
};

LogEntry ParseLogEntry(std::string_view header, std::string_view textLine, const LocaleFormat& locale);

// A time of day as a fraction of a day: hours, optional minutes, seconds and
// milliseconds, an optional AM/PM designator before or after. The locale's
// time and decimal separators are read, and ':' and '.' as well. Throws
// ConversionError "'%s' is not a valid time".
double ParseTimeOfDay(std::string_view text, const LocaleFormat& locale);

// Days from 30 December 1899 to a Gregorian date of the years 1 to 9999.
// Throws ConversionError "Invalid argument to date encode" for an invalid date.
double EncodeCalendarDate(int year, int month, int day);

}  // namespace lognex
