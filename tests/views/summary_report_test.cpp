#include "views/summary_report.h"

#include <gtest/gtest.h>

#include "common/failure_message.h"
#include "logproc/error_tables_fixture.h"
#include "support/error.h"
#include "support/platform_files.h"
#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;

const LocaleFormat kC = CLocaleFormat();
const CalendarDefaults kCalendar{6, 2010};

TEST(BuildSummary, ReportLinesMostFrequentFirstTiesInOrderOfAdding) {
    const Analysis analysis = testing::CountEntries({
        {At(2007, 4, 17, 21, 40, 58), "Chuck vacuum", "FILE: c.c"},
        {At(2007, 4, 17, 22, 0, 0), "Align", "FILE: a.c"},
        {At(2007, 4, 18, 1, 2, 3), "Bin full", "FILE: b.c"},
        {At(2007, 4, 18, 2, 0, 0), "Bin full", "FILE: b.c"},
        {At(2007, 4, 18, 3, 0, 0), "Chuck vacuum", "FILE: c.c"},
        {At(2007, 4, 18, 4, 0, 0), "Chuck vacuum", "FILE: other.c"},  // same text, other source
        {At(2007, 4, 19), "Align", "FILE: a.c"},
    });
    const SummaryReport report = BuildSummary(analysis, kC, kCalendar);
    const std::vector<std::string> expected = {
        "First log entry is on 04/17/07 21:40:58",
        "Last log entry is on 04/19/07",
        "The log spans 1 days, 2 hours, 19 minutes, and 2 seconds",
        "",
        "Total number of occurrences for each error:",
        "",
        "2 - Chuck vacuum",
        "2 - Align",
        "2 - Bin full",
        "1 - Chuck vacuum",
    };
    EXPECT_EQ(report.lines, expected);
    EXPECT_EQ(report.spanText, expected[2]);
}

TEST(BuildSummary, NoEntriesAndZeroTimes) {
    const SummaryReport report = BuildSummary(Analysis{}, kC, kCalendar);
    const std::vector<std::string> expected = {
        "First log entry is on 12/30/99",
        "Last log entry is on 12/30/99",
        "The log spans 0 days, 0 hours, 0 minutes, and 0 seconds",
        "",
        "Total number of occurrences for each error:",
        "",
    };
    EXPECT_EQ(report.lines, expected);
}

TEST(SpanText, IsMeasuredOnTwoDigitYearsAndWholeSeconds) {
    struct Case {
        DateTime first, last;
        const char* span;
    } cases[] = {
        {At(2005, 1, 1, 10), At(2005, 1, 1, 10), "0 days, 0 hours, 0 minutes, and 0 seconds"},
        {At(2005, 1, 1, 23, 59, 50), At(2005, 1, 2, 0, 0, 10), "0 days, 0 hours, 0 minutes, and 20 seconds"},
        {At(2005, 1, 1, 8), At(2005, 1, 2, 9, 2, 5), "1 days, 1 hours, 2 minutes, and 5 seconds"},
        {At(2005, 1, 2, 9, 2, 5), At(2005, 1, 1, 8), "1 days, 1 hours, 2 minutes, and 5 seconds"},  // either order
        {At(2005, 1, 1, 10, 0, 0, 600), At(2005, 1, 1, 10, 0, 1, 400), "0 days, 0 hours, 0 minutes, and 1 seconds"},
        // 1997 reads back as 2097, so a log across New Year 1998 seems to span a century.
        {At(1997, 12, 31, 12), At(1998, 1, 1, 8), "36524 days, 4 hours, 0 minutes, and 0 seconds"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpanText(EntryTimes{c.first, c.last}, kC, kCalendar), std::string("The log spans ") + c.span);
}

TEST(SummaryFileBytes, EveryLineEndsWithCrLfButOneTrailingEmptyLineIsDropped) {
    struct Case {
        const char* view;
        const char* bytes;
    } cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\nb\r\n\r\n", "a\r\nb\r\n\r\n"},  // only one trailing empty line goes
        {"a\rb\r\n\nc", "a\r\nb\r\n\r\nc\r\n"},
        {"\n", "\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(SummaryFileBytes(c.view), c.bytes) << c.view;

    // A report that ends with its empty line keeps it when saved from its view text.
    SummaryReport report;
    report.lines = {"heading", ""};
    EXPECT_EQ(SummaryFileBytes(SummaryViewText(report)), "heading\r\n\r\n");
}

TEST(SaveSummaryFile, WritesWholeOrLeavesThePreviousFile) {
    testing::TempFolder folder;
    const std::string path = folder / "Error Summary.txt";
    SaveSummaryFile(path, "one\ntwo\n");
    EXPECT_EQ(testing::ReadFile(path), "one\r\ntwo\r\n");

    auto failure = [](const std::string& target) {
        return testing::FailureOf([&] { SaveSummaryFile(target, "new\n"); });
    };
    const std::string missing = folder / "no/such/folder.txt";
    // The message spells the path with the platform's separator ("C:\\x\\no\\such").
    EXPECT_EQ(failure(missing),
              "Cannot create file \"" + DisplayPath(missing, NativePathSyntax()) + "\". No such file or directory");
    EXPECT_EQ(failure(folder.Path().string()), "Cannot create file \"" + folder.Path().string() + "\". Is a directory");

    const std::string longName = folder / std::string(250, 'n');
    testing::WriteFile(longName, "old report\r\n");
#ifdef _WIN32
    // A path past MAX_PATH may be refused, depending on the system's long-path
    // setting; either way the file is the old one or the new one, whole.
    const std::string message = failure(longName);
    if (message.empty()) {
        EXPECT_EQ(testing::ReadFile(longName), "new\r\n");
    } else {
        EXPECT_EQ(message.rfind("Cannot create file \"" + longName + "\". ", 0), 0u);
        EXPECT_EQ(testing::ReadFile(longName), "old report\r\n");
    }
#else
    // A name as long as the file system allows is staged under a short one.
    EXPECT_EQ(failure(longName), "");
    EXPECT_EQ(testing::ReadFile(longName), "new\r\n");
#endif
}

}  // namespace
}  // namespace lognex
