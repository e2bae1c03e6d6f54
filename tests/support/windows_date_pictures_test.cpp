#include "support/windows_date_pictures.h"

#include <gtest/gtest.h>

#include "support/locale_format.h"

namespace lognex {
namespace {

TEST(StrftimeFromWindowsPicture, PicturesOfCommonLocales) {
    struct Case {
        std::string_view picture, pattern;
    } cases[] = {
        {"M/d/yyyy", "%-m/%-d/%Y"},      // en-US short date
        {"h:mm:ss tt", "%-I:%M:%S %p"},  // en-US time
        {"dd.MM.yyyy", "%d.%m.%Y"},      // de-DE
        {"HH:mm:ss", "%H:%M:%S"},        // de-DE time
        {"yyyy/MM/dd", "%Y/%m/%d"},      // ja-JP
        {"tt h:mm:ss", "%p %-I:%M:%S"},  // ko-KR time
        {"d-MMM-yy", "%-d-%b-%y"},
        {"dd MMMM yyyy", "%d %B %Y"},
        {"dddd, d' de 'MMMM", "%a, %-d de %B"},  // quoted literal
        {"yyyy'年'M'月'd'日'", "%Y年%-m月%-d日"},
        {"h 'o''clock'", "%-I o'clock"},
        {"''dd''", "'%d'"},
        {"d%M", "%-d%%%-m"},
        {"gg yyyy", "%C %Y"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(StrftimeFromWindowsPicture(c.picture), c.pattern) << c.picture;
}

// What the Windows locale reader hands on, made the program's own.
TEST(StrftimeFromWindowsPicture, FeedsTheLocaleConversion) {
    RawLocaleInfo raw;
    raw.codeset = "UTF-8";
    raw.abbreviatedMonths = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                             "juil.", "août",  "sept.", "oct.", "nov.", "déc."};
    raw.dateFormat = StrftimeFromWindowsPicture("dd/MM/yyyy");
    raw.timeFormat = StrftimeFromWindowsPicture("HH:mm:ss");
    raw.decimalPoint = ",";
    const LocaleFormat french = LocaleFormatFromRaw(raw);
    EXPECT_EQ(french.shortDateFormat, "%d/%m/%Y");
    EXPECT_EQ(french.longTimeFormat, "%H:%M:%S");
    EXPECT_EQ(french.shortMonthNames[1], "f\xE9vr.");  // Windows-1252
    EXPECT_EQ(french.decimalSeparator, ',');

    raw.dateFormat = StrftimeFromWindowsPicture("yyyy'年'M'月'd'日'");
    raw.timeFormat = StrftimeFromWindowsPicture("tt h:mm:ss");
    raw.am = "午前";
    raw.pm = "午後";
    const LocaleFormat japanese = LocaleFormatFromRaw(raw);
    EXPECT_EQ(japanese.shortDateFormat, "%Y/%m/%d");  // text that cannot be shown: numeric fields
    EXPECT_EQ(japanese.longTimeFormat, "%p %-I:%M:%S");
    EXPECT_EQ(japanese.amDesignator, "AM");
    EXPECT_EQ(japanese.pmDesignator, "PM");

    raw.dateFormat = StrftimeFromWindowsPicture("ddd dd.MM.yyyy");  // a weekday is not rendered
    EXPECT_EQ(LocaleFormatFromRaw(raw).shortDateFormat, "%d.%m.%Y");
}

}  // namespace
}  // namespace lognex
