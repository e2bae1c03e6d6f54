#include "logproc/analysis.h"

#include <gtest/gtest.h>

#include "common/failure_message.h"
#include "logproc/error_tables_fixture.h"
#include "logproc/pair_pass.h"
#include "support/error.h"

namespace lognex {
namespace {

using testing::Header;
using testing::LogText;

const LocaleFormat kC = CLocaleFormat();

LogEntry Entry(DateTime when, std::string text, std::string location = "FILE: a.c") {
    return LogEntry{when, std::move(location), std::move(text)};
}

std::vector<std::uint32_t> LinesOf(const Analysis& analysis, const DistinctError& error) {
    std::vector<std::uint32_t> lines;
    for (std::uint32_t at : error.occurrences) lines.push_back(analysis.Entries()[at].line.number);
    return lines;
}

TEST(Analysis, DistinctErrorsByTextAndLocationCutTo90) {
    const std::string long90(90, 'x');
    Analysis analysis;
    analysis.Append(Entry(1, "Vacuum lost", "FILE: Chuck.c"), HeaderLine{1});
    analysis.Append(Entry(2, "Vacuum lost", "FILE: Loader.c"), HeaderLine{3});
    analysis.Append(Entry(3, "Vacuum lost", "FILE: Chuck.c"), HeaderLine{5});
    analysis.Append(Entry(4, long90 + "AAAAA", "FILE: x.c"), HeaderLine{7});
    analysis.Append(Entry(5, long90 + "BB", "FILE: x.c"), HeaderLine{9});  // differs only after 90
    analysis.Append(Entry(6, "Vacuum lost", "FILE: Chuck.c"), HeaderLine{11});
    analysis.Append(Entry(7, "vacuum lost", "FILE: Chuck.c"), HeaderLine{13});  // letter case counts
    analysis.Append(Entry(8, "Vacuum lost", ""), HeaderLine{15});               // no location is one too

    struct Expected {
        std::string text, location;
        std::vector<std::uint32_t> lines;
        DateTime first, last;
    } expected[] = {
        {"Vacuum lost", "FILE: Chuck.c", {1, 5, 11}, 1, 6},
        {"Vacuum lost", "FILE: Loader.c", {3}, 2, 2},
        {long90, "FILE: x.c", {7, 9}, 4, 5},
        {"vacuum lost", "FILE: Chuck.c", {13}, 7, 7},
        {"Vacuum lost", "", {15}, 8, 8},
    };
    ASSERT_EQ(analysis.Errors().size(), std::size(expected));
    for (std::size_t id = 0; id < std::size(expected); ++id) {
        const DistinctError& error = analysis.Errors()[id];
        EXPECT_EQ(error.text, expected[id].text) << id;
        EXPECT_EQ(error.location, expected[id].location) << id;
        EXPECT_EQ(LinesOf(analysis, error), expected[id].lines) << id;
        EXPECT_EQ(error.Count(), expected[id].lines.size()) << id;
        EXPECT_EQ(error.first, expected[id].first) << id;
        EXPECT_EQ(error.last, expected[id].last) << id;
    }
    ASSERT_EQ(analysis.Entries().size(), 8u);
    EXPECT_EQ(analysis.Entries()[4], (AnalysisEntry{5, HeaderLine{9}, 2}));
}

TEST(Analysis, EntryTimesFollowLogOrder) {
    struct Case {
        std::vector<DateTime> times;
        DateTime first, last;
    } cases[] = {
        {{}, 0, 0},        {{10, 9, 11}, 10, 11}, {{10, 11, 9}, 10, 9},  // the last in log order, not the latest
        {{0, 5, 7}, 5, 7},  // a zero time leaves "first" unset for the next entry
        {{4}, 4, 4},
    };
    for (const auto& c : cases) {
        Analysis analysis;
        std::uint32_t line = 1;
        for (DateTime t : c.times) analysis.Append(Entry(t, "e"), HeaderLine{line += 2});
        EXPECT_EQ(analysis.Times().first, c.first);
        EXPECT_EQ(analysis.Times().last, c.last);
    }
}

TEST(Analysis, ManyErrorsKeepTheirIdsThroughTheIndexGrowing) {
    Analysis analysis;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 1000; ++i)
            analysis.Append(Entry(i, "Error " + std::to_string(i)), HeaderLine{static_cast<std::uint32_t>(i + 1)});
    ASSERT_EQ(analysis.Errors().size(), 1000u);
    for (ErrorId id = 0; id < 1000; ++id) {
        EXPECT_EQ(analysis.Errors()[id].text, "Error " + std::to_string(id));
        EXPECT_EQ(analysis.Errors()[id].Count(), 3u);
    }
    EXPECT_EQ(analysis.Entries()[2500].error, 500u);
}

// A log of a few errors with a blank pair and a stray line in it.
std::vector<std::string> MixedLog() {
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i) {
        lines.push_back(
            Header("Apr 17 21:40:" + std::to_string(10 + i) + " 2007", "a.c at LINE: " + std::to_string(i % 3)));
        lines.push_back("Error " + std::to_string(i % 5));
        if (i == 7) lines.insert(lines.end(), {"", ""});
    }
    lines.push_back("stray");
    return lines;
}

TEST(CountPairs, AppendingInStretchesGivesTheValueOfOnePass) {
    const std::vector<std::string> log = MixedLog();
    const LogLines whole = LogLines::FromText(LogText(log));
    Analysis onePass;
    const PassEnd end = CountPairs(onePass, whole, 0, kC);
    EXPECT_EQ(onePass.Entries().size(), 40u);
    EXPECT_EQ(end.nextLine, whole.Count() - 1);  // the stray line waits for its partner
    EXPECT_FALSE(end.stopped);

    // The log as it grew: first a part of it (ending in a lone header), then all of it.
    for (std::size_t cut : {0u, 1u, 2u, 17u, 18u, 50u}) {
        const std::vector<std::string> part(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(cut));
        Analysis grown;
        const PassEnd first = CountPairs(grown, LogLines::FromText(LogText(part)), 0, kC);
        CountPairs(grown, whole, first.nextLine, kC);
        EXPECT_EQ(grown, onePass) << cut;
    }
}

TEST(CountPairs, PairsArePositional) {
    const std::string h1 = Header("Apr 17 10:00:00 2007", "a.c"), h2 = Header("Apr 17 11:00:00 2007", "b.c");
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::uint32_t> counted;
    } cases[] = {
        {{}, {}},
        {{h1, "T1", h2, "T2", "stray"}, {1, 3}},
        {{h1, "T1", "", "", h2, "T2"}, {1, 5}},
        {{h1, "", h2, "T2"}, {3}},
    };
    for (const auto& c : cases) {
        Analysis analysis;
        CountPairs(analysis, LogLines::FromText(LogText(c.lines)), 0, kC);
        std::vector<std::uint32_t> counted;
        for (const AnalysisEntry& entry : analysis.Entries()) counted.push_back(entry.line.number);
        EXPECT_EQ(counted, c.counted);
    }
}

TEST(CountPairs, AFailureOrTheStopLineEndsThePassWhereItIs) {
    std::vector<std::string> log = MixedLog();
    log[20] = "Tue Apr 17 21:40:xx 2007";  // the 10th entry's header, after the blank pair
    const LogLines lines = LogLines::FromText(LogText(log));
    std::vector<std::pair<std::size_t, std::size_t>> told;
    const PassProgress progress = [&](std::size_t done, std::size_t total) { told.emplace_back(done, total); };

    Analysis analysis;
    EXPECT_EQ(testing::FailureOf([&] { CountPairs(analysis, lines, 0, kC, progress); }),
              "'21:40:xx' is not a valid time");
    EXPECT_EQ(analysis.Entries().size(), 9u);
    // Told that the lines before the failing pair were walked (the blank pair included).
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), std::make_pair(std::size_t{20}, lines.Count() + 1));

    // With a stop line the entry past it is the last one appended.
    Analysis stopped;
    told.clear();
    const PassEnd end = CountPairs(stopped, LogLines::FromText(LogText(MixedLog())), 0, kC, progress, 6);
    EXPECT_TRUE(end.stopped);
    ASSERT_EQ(stopped.Entries().size(), 4u);
    EXPECT_EQ(stopped.Entries().back().line.number, 7u);
    EXPECT_EQ(end.nextLine, 8u);
    EXPECT_EQ(told.back().first, 6u);
}

}  // namespace
}  // namespace lognex
