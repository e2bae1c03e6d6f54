#include "logproc/log_entry_parser.h"

#include <array>
#include <cctype>
#include <optional>

#include "support/error.h"
#include "support/number_text.h"
#include "support/text_routines.h"
#include "support/visible_text.h"

namespace lognex {
namespace {

// The prober writes its headers in one form whatever language the desktop
// speaks: English month abbreviations, a colon in the time, a point before
// fractions. Those are read on every desktop, after the locale's own.
constexpr std::array<std::string_view, 12> kProberMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr char kProberTimeSeparator = ':';
constexpr char kProberDecimalSeparator = '.';

// The 1-based month of an exactly equal name, case included: the locale's
// names first, then the prober's; 0 when none is equal.
int MonthOf(std::string_view word, const LocaleFormat& locale) {
    for (std::size_t i = 0; i < locale.shortMonthNames.size(); ++i)
        if (word == locale.shortMonthNames[i]) return static_cast<int>(i) + 1;
    for (std::size_t i = 0; i < kProberMonths.size(); ++i)
        if (word == kProberMonths[i]) return static_cast<int>(i) + 1;
    return 0;
}

// A cursor over the time word; every step skips blanks first.
class TimeScanner {
public:
    TimeScanner(std::string_view text, const LocaleFormat& locale) : text_(text), locale_(locale) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    // The locale's character or the one of the prober's own form, if one follows.
    bool Char(char localeChar, char proberChar) {
        SkipBlanks();
        if (pos_ < text_.size() && (text_[pos_] == localeChar || text_[pos_] == proberChar)) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Digits for as long as the value so far is below 1000, so a fifth
    // significant digit is left over and fails the word.
    std::optional<int> Number() {
        SkipBlanks();
        const std::size_t start = pos_;
        int value = 0;
        while (pos_ < text_.size() && value < 1000 && std::isdigit(static_cast<unsigned char>(text_[pos_])))
            value = value * 10 + (text_[pos_++] - '0');
        if (pos_ == start) return std::nullopt;
        return value;
    }

    // The base hour of an AM or PM designator (locale's or English), if one follows.
    std::optional<int> Designator() {
        SkipBlanks();
        if (Matches(locale_.amDesignator) || Matches("AM")) return 0;
        if (Matches(locale_.pmDesignator) || Matches("PM")) return 12;
        return std::nullopt;
    }

    bool AtEnd() {
        SkipBlanks();
        return pos_ == text_.size();
    }

private:
    bool Matches(std::string_view designator) {
        if (designator.empty() || text_.size() - pos_ < designator.size()) return false;
        for (std::size_t i = 0; i < designator.size(); ++i) {
            const unsigned char a = static_cast<unsigned char>(text_[pos_ + i]);
            const unsigned char b = static_cast<unsigned char>(designator[i]);
            if (a == b) continue;
            // A digit is its own capital: the time's digits fail without a case look-up.
            if ((a >= '0' && a <= '9') || (b >= '0' && b <= '9') || std::toupper(a) != std::toupper(b)) return false;
        }
        pos_ += designator.size();
        return true;
    }

    std::string_view text_;
    const LocaleFormat& locale_;
    std::size_t pos_ = 0;
};

std::optional<double> ScanTimeOfDay(std::string_view text, const LocaleFormat& locale) {
    TimeScanner scan(text, locale);
    std::optional<int> baseHour = scan.Designator();

    const std::optional<int> hourRead = scan.Number();
    if (!hourRead) return std::nullopt;
    int hour = *hourRead, minutes = 0, seconds = 0, milliseconds = 0;
    if (scan.Char(locale.timeSeparator, kProberTimeSeparator)) {
        const auto m = scan.Number();
        if (!m) return std::nullopt;
        minutes = *m;
        if (scan.Char(locale.timeSeparator, kProberTimeSeparator)) {
            const auto s = scan.Number();
            if (!s) return std::nullopt;
            seconds = *s;
            if (scan.Char(locale.decimalSeparator, kProberDecimalSeparator)) {
                const auto ms = scan.Number();
                if (!ms) return std::nullopt;
                milliseconds = *ms;
            }
        }
    }
    if (!baseHour) baseHour = scan.Designator();
    if (baseHour) {
        if (hour < 1 || hour > 12) return std::nullopt;
        if (hour == 12) hour = 0;
        hour += *baseHour;
    }
    if (!scan.AtEnd()) return std::nullopt;
    if (hour > 23 || minutes > 59 || seconds > 59 || milliseconds > 999) return std::nullopt;
    const double ms = hour * 3'600'000.0 + minutes * 60'000.0 + seconds * 1000.0 + milliseconds;
    return ms / static_cast<double>(kMillisecondsPerDay);
}

}  // namespace

double ParseTimeOfDay(std::string_view text, const LocaleFormat& locale) {
    if (auto time = ScanTimeOfDay(text, locale)) return *time;
    throw ConversionError(QuotedForMessage(text) + " is not a valid time");
}

double EncodeCalendarDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        throw ConversionError("Invalid argument to date encode");
    return static_cast<double>(DaysSince1899(year, month, day));
}

LogEntry ParseLogEntry(std::string_view header, std::string_view textLine, const LocaleFormat& locale) {
    LogEntry entry;
    entry.location = TailFrom(header, static_cast<unsigned>(LastPosOf("FILE:", header)));

    std::array<std::string_view, 5> words;  // word 1 is not used
    FirstWordsView(header, " ", '"', words);
    const std::string_view monthWord = words[1], dayWord = words[2], timeWord = words[3], yearWord = words[4];

    const int month = MonthOf(monthWord, locale);
    const double time = ParseTimeOfDay(timeWord, locale);
    const int day = ParseInteger(dayWord);
    const int year = ParseInteger(yearWord);
    entry.dateTime = EncodeCalendarDate(year, month, day) + time;
    entry.text = std::string(textLine);
    return entry;
}

}  // namespace lognex
