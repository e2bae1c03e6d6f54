#include "support/locale_format.h"

#include <gtest/gtest.h>

#include "support/captured_locales.h"
#include "support/date_pictures.h"

namespace lognex {
namespace {

using testing::Captured;
using testing::kCapturedLocales;

DateTime At(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<double>(DaysSince1899(y, mo, d)) + (h * 3600.0 + mi * 60.0 + s) / 86400.0;
}

TEST(LocaleFormatFromRaw, CapturedLocalesBecomeWindows1252Conventions) {
    struct Case {
        const char* locale;
        const char* dateFormat;
        const char* timeFormat;
        std::string separators;  // date, time, decimal
        const char* am;
        const char* pm;
        const char* march;  // abbreviated, as the pictures show it
        const char* shown;  // 17 April 2007 21:40:58 in the tree and the summary's own format
    } cases[] = {
        {"C", "%m/%d/%y", "%H:%M:%S", "/:.", "AM", "PM", "Mar", "04/17/07 21:40:58"},
        {"de_DE.UTF-8", "%d.%m.%Y", "%H:%M:%S", ".:,", "", "", "M\xE4r", "17.04.2007 21:40:58"},
        {"de_DE.ISO-8859-1", "%d.%m.%Y", "%H:%M:%S", ".:,", "", "", "M\xE4r", "17.04.2007 21:40:58"},
        {"fr_FR.UTF-8", "%d/%m/%Y", "%H:%M:%S", "/:,", "", "", "mars", "17/04/2007 21:40:58"},
        {"fi_FI.UTF-8", "%d.%m.%Y", "%H.%M.%S", "..,", "", "", "maalis", "17.04.2007 21.40.58"},
        {"pl_PL.UTF-8", "%d.%m.%Y", "%H:%M:%S", ".:,", "", "", "mar", "17.04.2007 21:40:58"},
        {"ru_RU.UTF-8", "%d.%m.%Y", "%H:%M:%S", ".:,", "", "", "Mar", "17.04.2007 21:40:58"},
        {"en_US.UTF-8", "%m/%d/%Y", "%I:%M:%S %p", "/:.", "AM", "PM", "Mar", "04/17/2007 09:40:58 PM"},
        // The time zone has no place in a log's time: the numeric form leaves it out.
        {"en_IN.UTF-8", "%d/%m/%y", "%I:%M:%S %p", "/:.", "AM", "PM", "Mar", "17/04/07 09:40:58 PM"},
        {"ja_JP.UTF-8", "%Y/%m/%d", "%H:%M:%S", "/:.", "AM", "PM", "Mar", "2007/04/17 21:40:58"},
        {"ja_JP.EUC-JP", "%Y/%m/%d", "%H:%M:%S", "/:.", "AM", "PM", "Mar", "2007/04/17 21:40:58"},
        {"zh_TW.UTF-8", "%Y/%m/%d", "%H:%M:%S", "/:.", "AM", "PM", "Mar", "2007/04/17 21:40:58"},
        {"ko_KR.UTF-8", "%Y/%m/%d", "%H:%M:%S", "/:.", "AM", "PM", "Mar", "2007/04/17 21:40:58"},
        // The era year is shown as the Gregorian one.
        {"th_TH.UTF-8", "%d/%m/%Ey", "%H:%M:%S", "/:.", "AM", "PM", "Mar", "17/04/07 21:40:58"},
        {"am_ET.UTF-8", "%d/%m/%Y", "%l:%M:%S %p", "/:.", "AM", "PM", "Mar", "17/04/2007  9:40:58 PM"},
        // Weekday and zone give the numeric form; a 12-hour time without designators gets AM/PM.
        {"ms_MY.UTF-8", "%d/%m/%Y", "%I:%M:%S %p", "/:.", "AM", "PM", "Mac", "17/04/2007 09:40:58 PM"},
    };
    ASSERT_EQ(std::size(cases), std::size(kCapturedLocales));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
#ifdef _WIN32  // Windows hands its locales over in UTF-8 alone; other codesets need iconv
        if (Captured(c.locale).codeset != "UTF-8" && Captured(c.locale).codeset != "ANSI_X3.4-1968") continue;
#endif
        const LocaleFormat f = LocaleFormatFromRaw(Captured(c.locale));
        EXPECT_EQ(f.shortDateFormat, c.dateFormat);
        EXPECT_EQ(f.longTimeFormat, c.timeFormat);
        EXPECT_EQ(std::string({f.dateSeparator, f.timeSeparator, f.decimalSeparator}), c.separators);
        EXPECT_EQ(f.amDesignator, c.am);
        EXPECT_EQ(f.pmDesignator, c.pm);
        EXPECT_EQ(f.shortMonthNames[2], c.march);
        EXPECT_EQ(FormatDateTimeText("", At(2007, 4, 17, 21, 40, 58), f), c.shown);
        EXPECT_EQ(FormatDateTimeText("", At(2007, 4, 17, 0, 0, 0), f),
                  std::string(c.shown).substr(0, std::string(c.shown).find(' ')));
        // The fixed pictures take the separators only.
        EXPECT_EQ(FormatDateTimeText("mm/dd/yy hh:mm:ss", At(2007, 4, 17, 21, 40, 58), f),
                  std::string("04") + f.dateSeparator + "17" + f.dateSeparator + "07 21" + f.timeSeparator + "40" +
                      f.timeSeparator + "58");
    }
}

TEST(LocaleFormatFromRaw, CLibraryLocaleGivesTheCValues) {
    const LocaleFormat expected = CLocaleFormat();
    for (const RawLocaleInfo& raw : {Captured("C"), RawLocaleInfo{}}) {
        const LocaleFormat f = LocaleFormatFromRaw(raw);
        EXPECT_EQ(f.shortMonthNames, expected.shortMonthNames);
        EXPECT_EQ(f.longMonthNames, expected.longMonthNames);
        EXPECT_EQ(f.shortDateFormat, expected.shortDateFormat);
        EXPECT_EQ(f.longTimeFormat, expected.longTimeFormat);
        EXPECT_EQ(std::string({f.dateSeparator, f.timeSeparator, f.decimalSeparator}), "/:.");
    }
    EXPECT_EQ(LocaleFormatFromRaw(Captured("C")).amDesignator, "AM");
    EXPECT_EQ(LocaleFormatFromRaw(RawLocaleInfo{}).amDesignator, "");  // a locale without designators
}

// Formats and texts no captured locale shows, each changed on the UTF-8 de_DE.
TEST(LocaleFormatFromRaw, FormatsThatCannotBeShownBecomeNumeric) {
    struct Case {
        const char* dateFormat;
        const char* timeFormat;
        const char* expectedDate;
        const char* expectedTime;
        std::string separators;  // date, time
    } cases[] = {
        {"%A %d %b %Y", "%H:%M:%S %Z", "%d/%m/%Y", "%H:%M:%S", "/:"},                  // weekday, zone
        {"%OC%Oy %b %Od %A", "kl. %H.%M %z", "%y/%m/%d", "%H.%M", "/."},               // century, offset
        {"%Y\xE5\xB9\xB4%m-%d", "%p %I\xE6\x99\x82%M", "%Y/%m/%d", "%p %I:%M", "/:"},  // first separator not showable
        {"%-d. %-m. %Y", "%H h %M", "%-d. %-m. %Y", "%H h %M", ".:"},                  // a letter is no separator
        // en dash, middle dot
        {"%d\xE2\x80\x93%m\xE2\x80\x93%Y", "%H\xC2\xB7%M", "%d\x96%m\x96%Y", "%H\xB7%M", "\x96\xB7"},
        {"%x", "%X", "%m/%d/%y", "%H:%M:%S", "/:"},  // nothing left of the fields
        {"%d%%%m", "%T%n", "%d%%%m", "%H:%M:%S", "/:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dateFormat);
        RawLocaleInfo raw = Captured("de_DE.UTF-8");
        raw.dateFormat = c.dateFormat;
        raw.timeFormat = c.timeFormat;
        const LocaleFormat f = LocaleFormatFromRaw(raw);
        EXPECT_EQ(f.shortDateFormat, c.expectedDate);
        EXPECT_EQ(f.longTimeFormat, c.expectedTime);
        EXPECT_EQ(std::string({f.dateSeparator, f.timeSeparator}), c.separators);
    }
}

TEST(LocaleFormatFromRaw, NamesThatCannotBeShownAreEnglish) {
    const LocaleFormat polish = LocaleFormatFromRaw(Captured("pl_PL.UTF-8"));
    EXPECT_EQ(polish.shortMonthNames[8] + " " + polish.shortMonthNames[9] + " " + polish.shortMonthNames[10],
              "wrz Oct lis");  // "paź" has no Windows-1252 form
    EXPECT_EQ(polish.longMonthNames[9], "October");

    RawLocaleInfo raw = Captured("fr_FR.UTF-8");
    raw.am = "a.m.";
    raw.pm = "\xE5\x8D\x88\xE5\xBE\x8C";  // only one of the pair can be shown
    raw.months[7] = "ao\xFBt";            // not UTF-8
    const LocaleFormat f = LocaleFormatFromRaw(raw);
    EXPECT_EQ(f.amDesignator, "AM");
    EXPECT_EQ(f.pmDesignator, "PM");
    EXPECT_EQ(f.longMonthNames[7], "August");
    EXPECT_EQ(f.shortMonthNames[7], "ao\xFBt");  // the same name, well formed, in Windows-1252

    raw.codeset = "NO-SUCH-CHARSET";  // only its ASCII bytes are read: "févr." is not
    const LocaleFormat unknown = LocaleFormatFromRaw(raw);
    EXPECT_EQ(unknown.shortMonthNames[0] + " " + unknown.shortMonthNames[1], "janv. Feb");
    EXPECT_EQ(unknown.shortDateFormat, "%d/%m/%Y");
}

}  // namespace
}  // namespace lognex
