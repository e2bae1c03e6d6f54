// Dates and times shown through pictures, and the span between two stamps.
//
// Two picture languages live here. FormatDateTimeText turns a date-time into
// text ("mm/dd/yy", "hh:mm:ss", or the locale's own formats for the empty
// picture). The four picture routines work on day numbers and seconds in both
// directions ("mm/dd/yyyy", "hh:mm:ss"). None of them throws: invalid input
// gives the invalid values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/date_time.h"
#include "support/locale_format.h"

namespace lognex {

// Days from 1 January 1600 (day 0); valid for the years 1600 to 3999.
using DayNumber = std::int32_t;
// Seconds since midnight, 0 to 86399.
using DaySeconds = std::int32_t;

constexpr DayNumber InvalidDay = -1;
constexpr DaySeconds InvalidSeconds = -1;

struct DayStamp {
    DayNumber day = InvalidDay;
    DaySeconds seconds = InvalidSeconds;
};

struct Span {
    std::int32_t days = 0;
    std::int32_t seconds = 0;
};

// With a picture: mm dd yy hh mm ss / : replaced (mm after an hh is minutes).
// Empty picture: the locale's short date, then a blank and the long time
// unless the time is exactly midnight; both rendered with the locale's own
// names and designators (the conversions of kRenderedConversions), never with
// the C library's, so the text is Windows-1252.
std::string FormatDateTimeText(std::string_view picture, DateTime dateTime, const LocaleFormat& locale);

// Places a year 0..99 in the hundred years that begin with the epoch year.
int ResolveTwoDigitYear(int year, int epoch);

DayNumber PictureToDayNumber(std::string_view picture, std::string_view text, int epoch,
                             const CalendarDefaults& defaults);
DaySeconds PictureToDaySeconds(std::string_view picture, std::string_view text);

std::string DayNumberToPicture(std::string_view picture, DayNumber day, bool pack, const LocaleFormat& locale);
std::string DaySecondsToPicture(std::string_view picture, DaySeconds seconds, bool pack, const LocaleFormat& locale);

DayNumber DateTimeToDayNumber(DateTime dateTime);
DaySeconds DateTimeToDaySeconds(DateTime dateTime);

// Whole days and remaining seconds between two stamps, in either order.
Span SpanBetween(DayStamp start, DayStamp end);

}  // namespace lognex
