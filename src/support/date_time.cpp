#include "support/date_time.h"

#include <cmath>

namespace lognex {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, DateParts& parts) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    parts.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    parts.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    parts.year = static_cast<int>(yoe + era * 400 + (parts.month <= 2));
}

constexpr std::int64_t kUnixDayOf1899_12_30 = -25569;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t DaysSince1899(int year, int month, int day) {
    return DaysFromCivil(year, month, day) - kUnixDayOf1899_12_30;
}

std::int64_t ToMilliseconds(DateTime dateTime) {
    // Far outside any calendar the program shows; keeps llround defined.
    constexpr double kLimit = 1e14;
    if (!std::isfinite(dateTime)) return 0;
    const double ms = dateTime * static_cast<double>(kMillisecondsPerDay);
    if (ms > kLimit * 1000) return static_cast<std::int64_t>(kLimit) * 1000;
    if (ms < -kLimit * 1000) return -static_cast<std::int64_t>(kLimit) * 1000;
    return std::llround(ms);
}

DateParts SplitDateTime(DateTime dateTime) {
    const std::int64_t ms = ToMilliseconds(dateTime);
    std::int64_t days = ms / kMillisecondsPerDay;
    std::int64_t msOfDay = ms % kMillisecondsPerDay;
    if (msOfDay < 0) {  // floor, not truncation
        msOfDay += kMillisecondsPerDay;
        --days;
    }
    DateParts parts;
    CivilFromDays(days + kUnixDayOf1899_12_30, parts);
    parts.hour = static_cast<int>(msOfDay / 3'600'000);
    parts.minute = static_cast<int>(msOfDay / 60'000 % 60);
    parts.second = static_cast<int>(msOfDay / 1000 % 60);
    parts.millisecond = static_cast<int>(msOfDay % 1000);
    return parts;
}

}  // namespace lognex
