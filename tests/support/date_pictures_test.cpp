#include "support/date_pictures.h"

#include <gtest/gtest.h>

namespace lognex {
namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return static_cast<double>(DaysSince1899(y, mo, d)) + (h * 3600000.0 + mi * 60000.0 + s * 1000.0 + ms) / 86400000.0;
}

DayNumber Day(int y, int mo, int d) {
    return static_cast<DayNumber>(DaysSince1899(y, mo, d) - DaysSince1899(1600, 1, 1));
}

LocaleFormat DottedLocale() {
    LocaleFormat f = CLocaleFormat();
    f.dateSeparator = '.';
    f.timeSeparator = '.';
    return f;
}

TEST(DateTime, SplitsAtTheNearestMillisecondWithFloor) {
    const DateParts before1899 = SplitDateTime(At(4, 2, 29, 6));
    EXPECT_EQ(before1899.year, 4);
    EXPECT_EQ(before1899.month, 2);
    EXPECT_EQ(before1899.day, 29);
    EXPECT_EQ(before1899.hour, 6);

    const DateParts almostMidnight = SplitDateTime(At(2004, 3, 4) + 0.9999999999);
    EXPECT_EQ(almostMidnight.day, 5);
    EXPECT_EQ(almostMidnight.hour, 0);

    EXPECT_EQ(DaysSince1899(1900, 1, 1), 2);
    EXPECT_EQ(DaysSince1899(2007, 4, 17), 39189);
}

TEST(FormatDateTimeText, PicturesAndTheLocaleFormats) {
    const LocaleFormat c = CLocaleFormat();
    struct Case {
        const char* picture;
        DateTime value;
        const LocaleFormat& locale;
        const char* expected;
    } cases[] = {
        {"mm/dd/yy", At(2004, 3, 4, 9, 15, 27), c, "03/04/04"},
        {"mm/dd/yy", At(2004, 3, 4), DottedLocale(), "03.04.04"},
        {"hh:mm:ss", At(2004, 3, 4, 9, 15, 27, 999), c, "09:15:27"},
        {"HH:MM:SS", At(2004, 3, 4, 21, 5, 7), c, "21:05:07"},
        {"hh:mm:ss", At(2004, 3, 4, 9, 15, 27), DottedLocale(), "09.15.27"},
        {"mm/dd/yy", 0, c, "12/30/99"},
        {"", At(2007, 4, 17, 21, 40, 58), c, "04/17/07 21:40:58"},
        {"", At(2007, 4, 17), c, "04/17/07"},
        {"", At(2007, 4, 17, 0, 0, 1), c, "04/17/07 00:00:01"},
        {"", At(2007, 4, 17, 0, 0, 0, 400), c, "04/17/07"},
        {"", 0, c, "12/30/99"},
    };
    for (const auto& k : cases) EXPECT_EQ(FormatDateTimeText(k.picture, k.value, k.locale), k.expected) << k.picture;
}

// The locale's own formats are rendered with its Windows-1252 names and
// designators, never with the C library's texts.
TEST(FormatDateTimeText, LocaleFormatConversions) {
    LocaleFormat german = CLocaleFormat();
    german.shortMonthNames[2] = "M\xE4r";
    german.longMonthNames[2] = "M\xE4rz";
    german.amDesignator = "vorm.";
    german.pmDesignator = "NACHM.";
    const struct {
        const char* format;
        DateTime value;
        const char* expected;
    } cases[] = {
        {"%-d.%-m.%Y", At(2004, 3, 4, 9, 5, 7), "4.3.2004"},
        {"%e/%m/%y %0e|%_m", At(2004, 3, 4, 9, 5, 7), " 4/03/04 04| 3"},
        {"%d %b %B %h", At(2004, 3, 4, 9, 5, 7), "04 M\xE4r M\xE4rz M\xE4r"},
        {"%Y|%Ey|%Od", At(4, 3, 4, 9, 5, 7), "4|04|04"},
        {"%l:%M %p", At(2004, 3, 4, 9, 5, 7), " 9:05 vorm."},
        {"%I.%M.%S %P %^p", At(2004, 3, 4, 21, 5, 7), "09.05.07 nachm. NACHM."},
        {"%k|%_H|%-H|%OH|%I|%l", At(2004, 3, 4, 0, 5, 7), " 0| 0|0|00|12|12"},
        {"%I %p", At(2004, 3, 4, 12, 0, 1), "12 NACHM."},
        {"100%% %a %", At(2004, 3, 4, 9, 5, 7), "100% %a %"},  // unknown conversions stay as written
    };
    for (const auto& c : cases) {
        german.shortDateFormat = c.format;
        german.longTimeFormat = "|";
        EXPECT_EQ(FormatDateTimeText("", c.value, german), std::string(c.expected) + " |") << c.format;
    }
}

TEST(ResolveTwoDigitYear, PlacesYearsInTheEpochCentury) {
    const std::pair<int, int> cases[] = {{97, 2097}, {98, 1998},   {99, 1999}, {0, 2000},
                                         {4, 2004},  {2004, 2004}, {100, 100}};
    for (auto [year, expected] : cases) EXPECT_EQ(ResolveTwoDigitYear(year, 1998), expected) << year;
}

TEST(PictureToDayNumber, ReadsFieldsAtPicturePositions) {
    const CalendarDefaults defaults{7, 2026};
    struct Case {
        const char* picture;
        const char* text;
        DayNumber expected;
    } cases[] = {
        {"mm/dd/yy", "12/30/99", 146095},
        {"mm/dd/yy", "03/04/04", 147621},
        {"mm/dd/yy", "03-04-04", 147621},  // separators are not examined
        {"mm/dd/yy", "12/31/97", 181891},
        {"mm/dd/yy", "02/30/04", InvalidDay},
        {"mm/dd/yy", "  /04/04", InvalidDay},
        {"mm/dd/yy", "ab/04/04", InvalidDay},
        {"mm/dd/yy", " 3/ 4/04", 147621},
        {"mm/dd/yy", "03/04/2004", Day(2026, 7, 1)},  // length differs: all defaults
        {"dd", "15", Day(2026, 7, 15)},
        {"mm/dd/yyyy", "01/01/1599", InvalidDay},
        {"mm/dd/yyyy", "03/01/1600", 60},
    };
    for (const auto& c : cases) EXPECT_EQ(PictureToDayNumber(c.picture, c.text, 1998, defaults), c.expected) << c.text;
}

TEST(PictureToDaySeconds, ReadsAndValidates) {
    struct Case {
        const char* text;
        DaySeconds expected;
    } cases[] = {
        {"09:15:27", 33327},
        {"00:00:00", 0},
        {"23:59:59", 86399},
        {"24:00:00", InvalidSeconds},
        {"12:60:00", InvalidSeconds},
        {"  :00:00", InvalidSeconds},
        {"9:15:27", 0},  // wrong length: defaults
    };
    for (const auto& c : cases) EXPECT_EQ(PictureToDaySeconds("hh:mm:ss", c.text), c.expected) << c.text;
}

TEST(PicturesFromNumbers, WriteRightAlignedFields) {
    const LocaleFormat c = CLocaleFormat();
    EXPECT_EQ(DayNumberToPicture("mm/dd/yyyy", Day(2004, 3, 4), true, c), "03/04/2004");
    EXPECT_EQ(DayNumberToPicture("mm/dd/yy", Day(2004, 3, 4), false, c), "03/04/04");
    EXPECT_EQ(DayNumberToPicture("mm/dd/yyyy", Day(2004, 3, 4), false, DottedLocale()), "03.04.2004");
    EXPECT_EQ(DayNumberToPicture("MM/DD/yyyy", Day(2004, 3, 4), false, c), " 3/ 4/2004");
    EXPECT_EQ(DayNumberToPicture("MM/DD/yyyy", Day(2004, 3, 4), true, c), "3/4/2004");
    EXPECT_EQ(DayNumberToPicture("mm/dd/yyyy", InvalidDay, true, c), "  /  /    ");
    EXPECT_EQ(DaySecondsToPicture("hh:mm:ss", 33327, true, c), "09:15:27");
    EXPECT_EQ(DaySecondsToPicture("hh:mm:ss", 86399, true, DottedLocale()), "23.59.59");
    EXPECT_EQ(DaySecondsToPicture("hh:mm:ss", InvalidSeconds, true, c), "  :  :  ");
}

TEST(DateTimeToDayParts, RoundsToTheMillisecondFirst) {
    EXPECT_EQ(DateTimeToDayNumber(At(1500, 6, 1)), InvalidDay);
    EXPECT_EQ(DayNumberToPicture("mm/dd/yyyy", DateTimeToDayNumber(At(1500, 6, 1)), true, CLocaleFormat()),
              "  /  /    ");
    EXPECT_EQ(DateTimeToDayNumber(At(2004, 3, 4, 12)), 147621);
    EXPECT_EQ(DateTimeToDaySeconds(At(2004, 3, 4, 23, 59, 59, 999)), 86399);
    const DateTime nearlyNextDay = At(2004, 3, 4, 23, 59, 59) + 0.9996 / 86400;
    EXPECT_EQ(DateTimeToDaySeconds(nearlyNextDay), 0);
    EXPECT_EQ(DateTimeToDayNumber(nearlyNextDay), 147622);
}

TEST(SpanBetween, DaysAndSecondsInEitherOrder) {
    struct Case {
        DayStamp a, b;
        Span expected;
    } cases[] = {
        {{100, 80000}, {101, 10}, {0, 6410}}, {{101, 10}, {100, 80000}, {0, 6410}},
        {{100, 5}, {100, 5}, {0, 0}},         {{146095, 0}, {147621, 33327}, {1526, 33327}},
        {{10, 0}, {11, 3725}, {1, 3725}},
    };
    for (const auto& c : cases) {
        const Span s = SpanBetween(c.a, c.b);
        EXPECT_EQ(s.days, c.expected.days);
        EXPECT_EQ(s.seconds, c.expected.seconds);
    }
}

}  // namespace
}  // namespace lognex
