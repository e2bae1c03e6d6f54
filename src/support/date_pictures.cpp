#include "support/date_pictures.h"

#include <cctype>

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

std::string CaseOf(std::string text, bool upper) {
    if (upper)
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A number for a strftime conversion: width two with the conversion's own pad
// ('0' or blank), changed by a flag: '-' no padding, '_' blanks, '0' zeros.
void AppendNumber(std::string& out, int value, char flag, char pad, int width = 2) {
    if (flag == '-') width = 1;
    if (flag == '_') pad = ' ';
    if (flag == '0') pad = '0';
    const std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), pad);
    out += digits;
}

// The locale's own date or time format applied with the locale's own names and
// designators, so the text stays Windows-1252 whatever the C library's
// locale. Only the conversions of kRenderedConversions are known; the E and O
// modifiers are passed over (the Gregorian year, Western digits), and anything
// else is copied as written.
std::string FormatWithLocale(const std::string& format, const DateParts& p, const LocaleFormat& locale) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const std::size_t start = i++;
        char flag = 0;
        bool upper = false;
        while (i < format.size() && kConversionFlags.find(format[i]) != std::string_view::npos) {
            if (format[i] == '^')
                upper = true;
            else if (format[i] != '#')
                flag = format[i];
            ++i;
        }
        if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
        if (i == format.size()) {
            out.append(format, start);
            break;
        }
        const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        const std::string& designator = p.hour < 12 ? locale.amDesignator : locale.pmDesignator;
        switch (format[i]) {
            case 'd': AppendNumber(out, p.day, flag, '0'); break;
            case 'e': AppendNumber(out, p.day, flag, ' '); break;
            case 'm': AppendNumber(out, p.month, flag, '0'); break;
            case 'y': AppendNumber(out, p.year % 100, flag, '0'); break;
            case 'Y': AppendNumber(out, p.year, flag, '0', 1); break;
            case 'H': AppendNumber(out, p.hour, flag, '0'); break;
            case 'k': AppendNumber(out, p.hour, flag, ' '); break;
            case 'I': AppendNumber(out, hour12, flag, '0'); break;
            case 'l': AppendNumber(out, hour12, flag, ' '); break;
            case 'M': AppendNumber(out, p.minute, flag, '0'); break;
            case 'S': AppendNumber(out, p.second, flag, '0'); break;
            case 'b':
            case 'h': out += CaseOf(locale.shortMonthNames[p.month - 1], upper); break;
            case 'B': out += CaseOf(locale.longMonthNames[p.month - 1], upper); break;
            case 'p': out += CaseOf(designator, upper); break;
            case 'P': {
                std::string lower = designator;
                for (char& c : lower) c = Lower(c);
                out += lower;
                break;
            }
            case '%': out += '%'; break;
            default: out.append(format, start, i + 1 - start); break;
        }
    }
    return out;
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
        std::string text = FormatWithLocale(locale.shortDateFormat, p, locale);
        if (p.hour != 0 || p.minute != 0 || p.second != 0)
            text += " " + FormatWithLocale(locale.longTimeFormat, p, locale);
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
                if (run <= 2)
                    AppendPadded(out, p.year % 100, 2);
                else
                    AppendPadded(out, p.year, 4);
                break;
            case 'm':
                if (lastLetterWasHour && run <= 2)
                    AppendPadded(out, p.minute, run == 1 ? 1 : 2);
                else if (run == 3)
                    out += locale.shortMonthNames[p.month - 1];
                else if (run >= 4)
                    out += locale.longMonthNames[p.month - 1];
                else
                    AppendPadded(out, p.month, run == 1 ? 1 : 2);
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
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) return InvalidSeconds;
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

std::string DaySecondsToPicture(std::string_view picture, DaySeconds seconds, bool pack, const LocaleFormat& locale) {
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
