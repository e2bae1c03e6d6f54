#include "cli/report_range.h"

#include <cctype>

#include "support/date_time.h"
#include "support/error.h"

namespace lognex {
namespace {

constexpr char kForms[] = "YYYY-MM-DD, YYYY-MM-DDThh:mm or YYYY-MM-DDThh:mm:ss[.sss]";

bool IsDateOnly(std::string_view text) { return text.size() == 10; }

// Reads `digits` digits at `at` into value; false when they are not there.
bool Digits(std::string_view text, std::size_t at, std::size_t digits, int& value) {
    if (at + digits > text.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::int64_t ParseIsoMoment(std::string_view option, std::string_view text) {
    const auto refuse = [&](std::string_view why) -> std::int64_t {
        throw Error(std::string(option) + " " + std::string(text) + ": " + std::string(why));
    };
    const std::string_view zone = "the log's times have no time zone; give the time as the log shows it";
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2, month) ||
        text[7] != '-' || !Digits(text, 8, 2, day))
        return refuse(std::string("not a date; use ") + kForms);
    std::size_t at = 10;
    if (at < text.size()) {
        if ((text[at] != 'T' && text[at] != ' ') || !Digits(text, at + 1, 2, hour) || at + 3 >= text.size() ||
            text[at + 3] != ':' || !Digits(text, at + 4, 2, minute))
            return refuse(std::string("not a date and time; use ") + kForms);
        at += 6;
        if (at < text.size() && text[at] == ':') {
            if (!Digits(text, at + 1, 2, second)) return refuse(std::string("not a time; use ") + kForms);
            at += 3;
            if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
                std::size_t digits = 0;
                for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, ++digits) {
                    if (digits == 3) return refuse("fractions of a second go to the millisecond");
                    ms = ms * 10 + (text[at] - '0');
                }
                if (digits == 0) return refuse(std::string("not a time; use ") + kForms);
                for (; digits < 3; ++digits) ms *= 10;
            }
        }
        if (at < text.size() && (text[at] == 'Z' || text[at] == '+' || text[at] == '-')) return refuse(zone);
        if (at != text.size()) return refuse(std::string("not a date and time; use ") + kForms);
    }
    if (year < 1600 || year > 3999) return refuse("the year is outside 1600 to 3999");
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return refuse("no such day");
    if (hour > 23 || minute > 59 || second > 59) return refuse("no such time of day");
    return DaysSince1899(year, month, day) * kMillisecondsPerDay + ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
}

TimeRange ReportRange(const std::string& from, const std::string& to) {
    TimeRange range;
    if (!from.empty()) range.startMs = ParseIsoMoment("--from", from);
    if (!to.empty()) range.endMs = ParseIsoMoment("--to", to) + (IsDateOnly(to) ? kMillisecondsPerDay : 0);
    if (range.endMs <= range.startMs) throw Error("--to " + to + " is not after --from " + from);
    return range;
}

}  // namespace lognex
