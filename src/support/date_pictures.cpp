#include "support/date_pictures.h"

#include <cctype>
#include <ctime>

#include "support/number_text.h"

namespace lognex {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

void AppendPadded(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
    out += digits;
}

std::size_t RunLength(std::string_view picture, std::size_t i) {
    std::size_t j = i;
    while (j < picture.size() && Lower(picture[j]) == Lower(picture[i])) ++j;
    return j - i;
}

std::string FormatWithLocale(const std::string& format, const DateParts& p) {
    if (format.empty()) return {};
    std::tm tm{};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    const std::int64_t days = DaysSince1899(p.year, p.month, p.day);
    tm.tm_wday = static_cast<int>(((days + 6) % 7 + 7) % 7);  // 30 December 1899 was a Saturday
    tm.tm_yday = static_cast<int>(days - DaysSince1899(p.year, 1, 1));
    char buffer[256];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
    return std::string(buffer, n);
}

// The field of a picture for one letter: the run that starts at the first
// position holding the letter in either case.
struct Field {
    std::size_t start = std::string_view::npos;
    std::size_t length = 0;
    bool present() const { return start != std::string_view::npos; }
};

Field FindField(std::string_view picture, char letter) {
    Field field;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (Lower(picture[i]) == letter) {
            field.start = i;
            field.length = RunLength(picture, i);
            break;
        }
    }
    return field;
}

// Reads one field of text at the picture's positions: the default when the
// picture has no such field or the lengths differ, -1 when blank or not a number.
int ReadField(std::string_view picture, std::string_view text, char letter, int fallback) {
    const Field field = FindField(picture, letter);
    if (!field.present() || text.size() != picture.size()) return fallback;
    std::string digits;
    for (std::size_t i = field.start; i < field.start + field.length; ++i)
        if (text[i] != ' ') digits += text[i];
    if (digits.empty()) return -1;
    return TryParseInteger(digits).value_or(-1);
}

// Writes value right-aligned into a field: extra leading digits are dropped,
// unfilled places get '0' under a lower-case letter and a blank under an upper-case one.
void WriteField(std::string& out, std::string_view picture, char letter, int value) {
    const Field field = FindField(picture, letter);
    if (!field.present()) return;
    const std::string digits = std::to_string(value);
    std::size_t d = digits.size();
    for (std::size_t k = field.length; k-- > 0;) {
        const std::size_t pos = field.start + k;
        if (d > 0) {
            out[pos] = digits[--d];
        } else {
            out[pos] = std::islower(static_cast<unsigned char>(picture[pos])) ? '0' : ' ';
        }
    }
}

std::string Pack(const std::string& out, std::string_view picture) {
    std::string packed;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char p = picture[i];
        if (out[i] == ' ' && (p == 'D' || p == 'M' || p == 'H' || p == 'S')) continue;
        packed += out[i];
    }
    return packed;
}

std::string ReplaceChar(std::string text, char from, char to) {
    for (char& c : text)
        if (c == from) c = to;
    return text;
}

std::string BlankFields(std::string_view picture, std::string_view letters) {
    std::string out(picture);
    for (char& c : out)
        if (letters.find(Lower(c)) != std::string_view::npos) c = ' ';
    return out;
}

}  // namespace

std::string FormatDateTimeText(std::string_view picture, DateTime dateTime, const LocaleFormat& locale) {
    const DateParts p = SplitDateTime(dateTime);
    if (picture.empty()) {
        std::string text = FormatWithLocale(locale.shortDateFormat, p);
        if (p.hour != 0 || p.minute != 0 || p.second != 0)
            text += " " + FormatWithLocale(locale.longTimeFormat, p);
        return text;
    }

    std::string out;
    bool lastLetterWasHour = false;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        const char lower = Lower(c);
        const std::size_t run = RunLength(picture, i);
        if (c == '"' || c == '\'') {  // quoted literal
            std::size_t end = picture.find(c, i + 1);
            if (end == std::string_view::npos) end = picture.size();
            out += picture.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        switch (lower) {
            case 'y':
                if (run <= 2) AppendPadded(out, p.year % 100, 2);
                else AppendPadded(out, p.year, 4);
                break;
            case 'm':
                if (lastLetterWasHour && run <= 2) AppendPadded(out, p.minute, run == 1 ? 1 : 2);
                else if (run == 3) out += locale.shortMonthNames[p.month - 1];
                else if (run >= 4) out += locale.longMonthNames[p.month - 1];
                else AppendPadded(out, p.month, run == 1 ? 1 : 2);
                break;
            case 'd': AppendPadded(out, p.day, run == 1 ? 1 : 2); break;
            case 'h': AppendPadded(out, p.hour, run == 1 ? 1 : 2); break;
            case 'n': AppendPadded(out, p.minute, run == 1 ? 1 : 2); break;
            case 's': AppendPadded(out, p.second, run == 1 ? 1 : 2); break;
            case 'z': AppendPadded(out, p.millisecond, run >= 3 ? 3 : 1); break;
            case '/': out.append(run, locale.dateSeparator); break;
            case ':': out.append(run, locale.timeSeparator); break;
            default: out.append(picture.substr(i, run)); break;
        }
        if (std::isalpha(static_cast<unsigned char>(c))) lastLetterWasHour = lower == 'h';
        i += run;
    }
    return out;
}

int ResolveTwoDigitYear(int year, int epoch) {
    if (year < 0 || year > 99) return year;
    const int e = epoch % 100;
    const int century = epoch - e;
    return year < e ? century + 100 + year : century + year;
}

DayNumber PictureToDayNumber(std::string_view picture, std::string_view text, int epoch,
                             const CalendarDefaults& defaults) {
    const int month = ReadField(picture, text, 'm', defaults.month);
    const int day = ReadField(picture, text, 'd', 1);
    int year = ReadField(picture, text, 'y', defaults.year);
    if (month < 1 || month > 12 || day < 1) return InvalidDay;
    year = ResolveTwoDigitYear(year, epoch);
    if (year < 1600 || year > 3999 || day > DaysInMonth(year, month)) return InvalidDay;
    return static_cast<DayNumber>(DaysSince1899(year, month, day) - DaysSince1899(1600, 1, 1));
}

DaySeconds PictureToDaySeconds(std::string_view picture, std::string_view text) {
    const int hours = ReadField(picture, text, 'h', 0);
    const int minutes = ReadField(picture, text, 'm', 0);
    const int seconds = ReadField(picture, text, 's', 0);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return InvalidSeconds;
    return hours * 3600 + minutes * 60 + seconds;
}

std::string DayNumberToPicture(std::string_view picture, DayNumber day, bool pack, const LocaleFormat& locale) {
    if (day == InvalidDay) return ReplaceChar(BlankFields(picture, "mdy"), '/', locale.dateSeparator);
    const DateParts p = SplitDateTime(static_cast<double>(day + DaysSince1899(1600, 1, 1)));
    std::string out(picture);
    WriteField(out, picture, 'm', p.month);
    WriteField(out, picture, 'd', p.day);
    WriteField(out, picture, 'y', p.year);
    out = ReplaceChar(out, '/', locale.dateSeparator);
    return pack ? Pack(out, picture) : out;
}

std::string DaySecondsToPicture(std::string_view picture, DaySeconds seconds, bool pack,
                                const LocaleFormat& locale) {
    if (seconds == InvalidSeconds) return ReplaceChar(BlankFields(picture, "hms"), ':', locale.timeSeparator);
    std::string out(picture);
    WriteField(out, picture, 'h', seconds / 3600);
    WriteField(out, picture, 'm', seconds % 3600 / 60);
    WriteField(out, picture, 's', seconds % 60);
    out = ReplaceChar(out, ':', locale.timeSeparator);
    return pack ? Pack(out, picture) : out;
}

DayNumber DateTimeToDayNumber(DateTime dateTime) {
    const DateParts p = SplitDateTime(dateTime);
    if (p.year < 1600 || p.year > 3999) return InvalidDay;
    return static_cast<DayNumber>(DaysSince1899(p.year, p.month, p.day) - DaysSince1899(1600, 1, 1));
}

DaySeconds DateTimeToDaySeconds(DateTime dateTime) {
    const DateParts p = SplitDateTime(dateTime);
    return p.hour * 3600 + p.minute * 60 + p.second;
}

Span SpanBetween(DayStamp start, DayStamp end) {
    if (start.day > end.day || (start.day == end.day && start.seconds > end.seconds)) std::swap(start, end);
    Span span{end.day - start.day, 0};
    if (end.seconds < start.seconds) {
        --span.days;
        end.seconds += 86400;
    }
    span.seconds = end.seconds - start.seconds;
    return span;
}

}  // namespace lognex
