#include "logproc/log_entry_parser.h"

#include <gtest/gtest.h>

#include <random>

#include "support/captured_locales.h"
#include "support/date_pictures.h"
#include "support/error.h"

namespace lognex {
namespace {

const LocaleFormat kC = CLocaleFormat();

std::string ParseFailure(std::string_view header) {
    try {
        ParseLogEntry(header, "text", kC);
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "(parsed)";
}

TEST(ParseLogEntry, ProberHeaderLine) {
    const LogEntry entry = ParseLogEntry("Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580",
                                         "Wafer loading error - wafer not sensed on chuck pins", kC);
    EXPECT_EQ(entry.location, "FILE: CVT.c at LINE: 3580");
    EXPECT_EQ(entry.text, "Wafer loading error - wafer not sensed on chuck pins");
    EXPECT_DOUBLE_EQ(entry.dateTime, 39189.0 + 78058.0 / 86400.0);
    EXPECT_EQ(FormatDateTimeText("", entry.dateTime, kC), "04/17/07 21:40:58");
}

TEST(ParseLogEntry, WordsLocationsAndTexts) {
    struct Case {
        const char* header;
        const char* expectedDate;  // "mm/dd/yyyy hh:mm:ss"
        const char* expectedLocation;
    } cases[] = {
        {"Tue Mar  4 09:15:27 2004 FILE: a.c", "03/04/2004 09:15:27", "FILE: a.c"},
        {"   Tue Mar 4 09:15:27 2004", "03/04/2004 09:15:27", ""},
        {"x Feb 29 12:00 2000 file: a.c", "02/29/2000 12:00:00", ""},
        {"x Jan 1 0:0:0 04 y FILE: a.c FILE: b.c", "01/01/0004 00:00:00", "FILE: b.c"},
        {"FILE: Dec 31 23:59:59 9999", "12/31/9999 23:59:59", "FILE: Dec 31 23:59:59 9999"},
    };
    for (const auto& c : cases) {
        const LogEntry entry = ParseLogEntry(c.header, "t", kC);
        const DateParts p = SplitDateTime(entry.dateTime);
        char date[32];
        std::snprintf(date, sizeof date, "%02d/%02d/%04d %02d:%02d:%02d", p.month, p.day, p.year, p.hour, p.minute,
                      p.second);
        EXPECT_STREQ(date, c.expectedDate) << c.header;
        EXPECT_EQ(entry.location, c.expectedLocation) << c.header;
    }
    EXPECT_EQ(ParseLogEntry("x Jan 1 1 2000", "   ", kC).text, "   ");
}

TEST(ParseLogEntry, FirstFailingStepDecidesTheMessage) {
    struct Case {
        const char* header;
        const char* message;
    } cases[] = {
        {"Tue MAR 4 09:15:27 2004", "Invalid argument to date encode"},
        {"Tue mar 4 09:15:27 2004", "Invalid argument to date encode"},
        {"Tue Apr 31 09:15:27 2004", "Invalid argument to date encode"},
        {"Tue Feb 29 09:15:27 1900", "Invalid argument to date encode"},
        {"Tue Feb 29 09:15:27 10000", "Invalid argument to date encode"},
        {"Tue Feb 29 09:15:27 0", "Invalid argument to date encode"},
        {"Tue Apr 17 25:00:00 2007", "'25:00:00' is not a valid time"},
        {"Tue Apr y7 25:00:00 2007", "'25:00:00' is not a valid time"},       // time before day
        {"Tue Apr y7 21:40:58 20O7", "'y7' is not a valid integer value"},    // day before year
        {"Tue Bad 17 21:40:58 20O7", "'20O7' is not a valid integer value"},  // year before month
        {"Tue Apr 17", "'' is not a valid time"},
        {"Tue Apr 17 21:40:58", "'' is not a valid integer value"},
        {"T\"ue Apr 17 21:40:58 2007", "'' is not a valid time"},
        {"Tue Apr 17 \"21:40 58\" 2007", "'\"21:40 58\"' is not a valid time"},
        {"Tue Apr 99999999999 21:40:58 2007", "'99999999999' is not a valid integer value"},
        {"", "'' is not a valid time"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseFailure(c.header), c.message) << c.header;
}

TEST(ParseTimeOfDay, AcceptedAndRejectedWords) {
    struct Case {
        const char* word;
        int expectedMs;  // -1: rejected
    } cases[] = {
        {"9", 9 * 3600000},
        {"9:15", 9 * 3600000 + 15 * 60000},
        {"09:15:27", 33327000},
        {"9:15:27.250", 33327250},
        {"12:34:56.7", (12 * 3600 + 34 * 60 + 56) * 1000 + 7},
        {"9:15 PM", 21 * 3600000 + 15 * 60000},
        {"PM 9:15", 21 * 3600000 + 15 * 60000},
        {"pm9:15", 21 * 3600000 + 15 * 60000},
        {"12:00 AM", 0},
        {"12:00 PM", 12 * 3600000},
        {" 9 : 15 ", 9 * 3600000 + 15 * 60000},
        {"0009", 9 * 3600000},
        {"", -1},
        {"24:00", -1},
        {"9:60", -1},
        {"13:00 PM", -1},
        {"0:00 AM", -1},
        {"9:15:27x", -1},
        {"9:", -1},
        {"9:15:", -1},
        {"9:15:27.", -1},
        {"10000", -1},
        {"9:15:27.1000", -1},
        {"AM", -1},
    };
    for (const auto& c : cases) {
        if (c.expectedMs < 0) {
            EXPECT_THROW(ParseTimeOfDay(c.word, kC), ConversionError) << c.word;
        } else {
            EXPECT_DOUBLE_EQ(ParseTimeOfDay(c.word, kC), c.expectedMs / 86400000.0) << c.word;
        }
    }
}

TEST(ParseTimeOfDay, UsesTheLocaleSeparatorsAndDesignators) {
    LocaleFormat german = kC;
    german.timeSeparator = '.';
    german.decimalSeparator = ',';
    german.amDesignator = "vorm.";
    german.pmDesignator = "";  // an empty designator never matches
    EXPECT_DOUBLE_EQ(ParseTimeOfDay("09.15.27,5", german), (33327000 + 5) / 86400000.0);
    EXPECT_DOUBLE_EQ(ParseTimeOfDay("9.15 vorm.", german), (9 * 3600000 + 15 * 60000) / 86400000.0);
    EXPECT_DOUBLE_EQ(ParseTimeOfDay("9.15 PM", german), (21 * 3600000 + 15 * 60000) / 86400000.0);
    // The prober's colon and point are read as well; the locale's marks stay in their places.
    EXPECT_DOUBLE_EQ(ParseTimeOfDay("09:15:27.5", german), (33327000 + 5) / 86400000.0);
    EXPECT_DOUBLE_EQ(ParseTimeOfDay("09.15:27,5", german), (33327000 + 5) / 86400000.0);
    EXPECT_THROW(ParseTimeOfDay("09,15", german), ConversionError);
    EXPECT_THROW(ParseTimeOfDay("09:15.27.5.1", german), ConversionError);
}

// The prober writes one form whatever the desktop's language; each header
// reads to the same date-time under every captured locale as under C.
TEST(ParseLogEntry, ProberFormReadsTheSameUnderEveryLocale) {
    std::vector<std::string> headers = {"Tue Apr 17 12:34:56.7 2007 FILE: a.c", "x Apr  4 9:15PM 2007",
                                        "x Apr 4 pm9:15 2007", "x Feb 29 0:0:0 2000"};
    for (const char* month : {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"})
        headers.push_back(std::string("Tue ") + month + " 17 21:40:58 2007 FILE: CVT.c at LINE: 3580");
    for (const testing::CapturedLocale& captured : testing::kCapturedLocales) {
        SCOPED_TRACE(captured.name);
        const LocaleFormat locale = LocaleFormatFromRaw(captured.raw);
        for (const std::string& header : headers) {
            EXPECT_DOUBLE_EQ(ParseLogEntry(header, "t", locale).dateTime, ParseLogEntry(header, "t", kC).dateTime)
                << header;
        }
        for (const char* header : {"x MAR 17 21:40:58 2007", "x mar. 17 21:40:58 2007", "x March 17 21:40:58 2007"}) {
            try {
                ParseLogEntry(header, "t", locale);
                ADD_FAILURE() << header << " parsed";
            } catch (const ConversionError& e) {
                EXPECT_STREQ(e.what(), "Invalid argument to date encode") << header;
            }
        }
    }
}

TEST(ParseLogEntry, LocaleOwnFormStillReads) {
    struct Case {
        const char* locale;
        const char* header;
        const char* same;  // the prober's form of the same moment
    } cases[] = {
        {"de_DE.UTF-8", "Di M\xE4r 17 21:40:58 2007", "x Mar 17 21:40:58 2007"},
        {"de_DE.UTF-8", "Di Okt 17 21:40:58,5 2007", "x Oct 17 21:40:58.5 2007"},
        {"fi_FI.UTF-8", "ti kes\xE4 17 21.40.58 2007", "x Jun 17 21:40:58 2007"},
        {"fr_FR.UTF-8",
         "mar. d\xE9"
         "c. 17 21:40:58 2007",
         "x Dec 17 21:40:58 2007"},
        {"pl_PL.UTF-8", "wto mar 17 21:40:58 2007", "x Mar 17 21:40:58 2007"},
    };
    for (const Case& c : cases) {
        const LocaleFormat locale = LocaleFormatFromRaw(testing::Captured(c.locale));
        EXPECT_DOUBLE_EQ(ParseLogEntry(c.header, "t", locale).dateTime, ParseLogEntry(c.same, "t", kC).dateTime)
            << c.header;
    }
}

// A quoted word keeps Windows-1252 letters but shows control bytes, so a NUL
// cannot cut the message and a log cannot drive the terminal that shows it.
TEST(ParseLogEntry, MessagesShowControlBytesVisibly) {
    struct Case {
        std::string header, message;
    } cases[] = {
        {std::string("Tue Apr 17 '17.\0x 2007", 22), "''17.\\0x' is not a valid time"},
        {"Tue Apr 17 \x1b]0;title\x07 2007", "'\\x1B]0;title\\x07' is not a valid time"},
        {"Tue Apr 1\t7 21:40:58 2007", "'1\\x097' is not a valid integer value"},
        {"Tue Apr 17 21:40:58 2007\x7f", "'2007\\x7F' is not a valid integer value"},
        {"Tue Apr 17 21:40:58 Caf\xe9\x80\xff", "'Caf\xe9\x80\xff' is not a valid integer value"},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseFailure(c.header), c.message) << c.message;
}

TEST(ParseLogEntry, MalformedBytesEndInAMessageOrAnEntry) {
    std::mt19937 random(20261210);
    const std::string alphabet = std::string("Apr 17:0123456789 \"FILE:$x.\t", 28) + std::string("\0\xff\x80", 3);
    for (int round = 0; round < 20000; ++round) {
        std::string header;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) header += alphabet[random() % alphabet.size()];
        try {
            ParseLogEntry(header, header, kC);
        } catch (const ConversionError&) {
        }
    }
    const std::string huge(100000, '9');
    EXPECT_EQ(ParseFailure("x Apr 17 21:40:58 " + huge), "'" + huge + "' is not a valid integer value");
    EXPECT_EQ(ParseFailure("x Apr 17 " + huge + " 2007"), "'" + huge + "' is not a valid time");
}

}  // namespace
}  // namespace lognex
