// The shared date-time value and its calendar parts.
//
// A DateTime is a count of days since 30 December 1899 with the time of day
// as the fraction (one second is 1/86400). It is taken apart only after being
// brought to the nearest whole millisecond, and with floor rather than
// truncation, so that date + time round-trips for days before 1899 as well.
#pragma once

#include <cstdint>

namespace lognex {

using DateTime = double;

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Days from 30 December 1899 to the given Gregorian date (may be negative).
// The date must be valid; callers check with DaysInMonth first.
std::int64_t DaysSince1899(int year, int month, int day);

// The millisecond nearest to dateTime, counted from 30 December 1899 00:00.
std::int64_t ToMilliseconds(DateTime dateTime);

// Calendar date and time of day of the millisecond nearest to dateTime.
DateParts SplitDateTime(DateTime dateTime);

}  // namespace lognex
