#include "views/line_search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace lognex {
namespace {

// Lines 0-5, breaks of every kind: "Wafer lost" / "wafer kept" / "" / "WAFER" / "x" / "".
const char* const kText = "Wafer lost\r\nwafer kept\n\rWAFER\r\nx\r\n";

TEST(FindInLines, SearchesEachWholeLineInOrder) {
    const LogLines lines = LogLines::FromText(kText);
    std::vector<TextMatch> all;
    FindInLines(TextPattern("wafer", {}), lines, 0, 100, all);  // past the end is no error
    EXPECT_EQ(all, (std::vector<TextMatch>{{0, 0, 5}, {1, 0, 5}, {3, 0, 5}}));

    std::vector<TextMatch> some;
    FindInLines(TextPattern("wafer", {}), lines, 1, 3, some);
    EXPECT_EQ(some, (std::vector<TextMatch>{{1, 0, 5}}));

    SearchOptions regex;
    regex.regex = true;
    std::vector<TextMatch> ends;
    FindInLines(TextPattern("[a-z]$", regex), lines, 0, lines.ViewLineCount(), ends);  // no break is searched
    EXPECT_EQ(ends, (std::vector<TextMatch>{{0, 9, 1}, {1, 9, 1}, {3, 4, 1}, {4, 0, 1}}));
}

TEST(AddEntryLines, ShowsBothLinesOfEachEntryWithAMatch) {
    const struct {
        std::vector<TextMatch> matches;
        std::size_t lineCount;
        std::vector<std::uint32_t> shown;
    } cases[] = {
        {{{0, 0, 1}}, 6, {0, 1}},                        // a header
        {{{3, 0, 1}}, 6, {2, 3}},                        // a text line brings its header
        {{{2, 0, 1}, {2, 4, 1}, {3, 0, 1}}, 6, {2, 3}},  // one entry, shown once
        {{{1, 0, 1}, {4, 0, 1}}, 5, {0, 1, 4}},          // a last header has no text line
        {{}, 6, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint32_t> shown;
        AddEntryLines(c.matches, c.lineCount, shown);
        EXPECT_EQ(shown, c.shown);
    }
    // Matches taken in stretch by stretch give what taking them at once gives.
    std::vector<std::uint32_t> shown;
    const std::vector<TextMatch> first{{0, 0, 1}, {1, 0, 1}}, second{{1, 3, 1}, {5, 0, 1}};
    AddEntryLines(first, 6, shown);
    AddEntryLines(second, 6, shown);
    EXPECT_EQ(shown, (std::vector<std::uint32_t>{0, 1, 4, 5}));
}

// A log of n entries whose every tenth text line holds "needle".
std::shared_ptr<const LogLines> LongLog(std::size_t entries) {
    std::string text;
    for (std::size_t i = 0; i < entries; ++i)
        text += "Wed Apr 18 01:00:00 2007 FILE: A.c\r\n" + std::string(i % 10 == 0 ? "a needle" : "hay") + "\r\n";
    return std::make_shared<const LogLines>(LogLines::FromText(std::move(text)));
}

TEST(BackgroundSearch, FindsWhatASearchInOneGoFinds) {
    const auto lines = LongLog(3 * BackgroundSearch::kStretch + 7);  // several stretches and a part
    const TextPattern pattern("NEEDLE", {});
    std::vector<TextMatch> expected;
    FindInLines(pattern, *lines, 0, lines->ViewLineCount(), expected);
    ASSERT_EQ(expected.size(), 616u);

    BackgroundSearch search(pattern, lines);
    std::vector<TextMatch> found;
    while (!search.Take(found)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(search.Take(found));  // nothing more comes
    EXPECT_EQ(found.size(), expected.size());

    BackgroundSearch nothing(TextPattern(), lines);
    std::vector<TextMatch> none;
    while (!nothing.Take(none)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(none.empty());
}

// The search holds the lines it reads: the window may drop them (a new run)
// while it goes on, and a search replaced midway ends without waiting for
// the whole log.
TEST(BackgroundSearch, OutlivesTheWindowsHoldOnTheLinesAndStopsWhenReplaced) {
    auto lines = LongLog(200000);
    SearchOptions regex;
    regex.regex = true;
    { BackgroundSearch replaced(TextPattern("(a|b)*needle", regex), lines); }
    BackgroundSearch search(TextPattern("needle", {}), lines);
    lines.reset();
    std::vector<TextMatch> found;
    while (!search.Take(found)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(found.size(), 20000u);
    EXPECT_EQ(found.back().line, 2u * 199990 + 1);
}

}  // namespace
}  // namespace lognex
