#include "views/log_comparison.h"

#include <gtest/gtest.h>

#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;
using testing::Counted;
using testing::CountEntries;

// n entries of one error at time `when`.
std::vector<Counted> Times(int n, DateTime when, const std::string& text, const std::string& location = "FILE: a.c") {
    return std::vector<Counted>(static_cast<std::size_t>(n), Counted{when, text, location});
}

std::vector<Counted> Joined(std::initializer_list<std::vector<Counted>> parts) {
    std::vector<Counted> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct ExpectedRow {
    std::string text;
    std::size_t baseline, current;
    std::optional<double> baselineRate, currentRate, factor;
    Change change;
};

void ExpectRows(const Comparison& comparison, const std::vector<ExpectedRow>& expected) {
    ASSERT_EQ(comparison.rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ComparisonRow& row = comparison.rows[i];
        const ExpectedRow& want = expected[i];
        SCOPED_TRACE("row " + std::to_string(i) + ": " + want.text);
        EXPECT_EQ(row.text, want.text);
        EXPECT_EQ(row.baselineCount, want.baseline);
        EXPECT_EQ(row.currentCount, want.current);
        EXPECT_EQ(row.baselineRate, want.baselineRate);
        EXPECT_EQ(row.currentRate, want.currentRate);
        EXPECT_EQ(row.factor, want.factor);
        EXPECT_EQ(row.change, want.change);
    }
}

TEST(CompareAnalyses, RowsRiseNewSameGoneFallByChangeInRate) {
    // Both logs span two days, from the first of the month to the third.
    const Analysis baseline = CountEntries(Joined({
        Times(1, At(2007, 4, 1), "Rise"),
        Times(3, At(2007, 4, 2), "Fall"),
        Times(2, At(2007, 4, 2), "Same"),
        Times(1, At(2007, 4, 3), "Gone"),
    }));
    const Analysis current = CountEntries(Joined({
        Times(2, At(2007, 5, 1), "New"),
        Times(3, At(2007, 5, 2), "Rise"),
        Times(1, At(2007, 5, 2), "Fall"),
        Times(2, At(2007, 5, 3), "Same"),
    }));
    const Comparison comparison = CompareAnalyses(baseline, current);
    EXPECT_TRUE(comparison.byRate);
    EXPECT_EQ(comparison.baseline.days, 2);
    EXPECT_EQ(comparison.current.days, 2);
    EXPECT_EQ(comparison.note, "");
    // Rise and New rise alike (+1 a day): more current occurrences first.
    ExpectRows(comparison, {
                               {"Rise", 1, 3, 0.5, 1.5, 3.0, Change::Rise},
                               {"New", 0, 2, 0.0, 1.0, std::nullopt, Change::New},
                               {"Same", 2, 2, 1.0, 1.0, 1.0, Change::Same},
                               {"Gone", 1, 0, 0.5, 0.0, 0.0, Change::Gone},
                               {"Fall", 3, 1, 1.5, 0.5, 1.0 / 3.0, Change::Fall},
                           });
    EXPECT_EQ(comparison.rows[0].rateChange, 1.0);
    EXPECT_EQ(comparison.rows[4].CountChange(), -2);
    // The current log's error behind each row, for its occurrences; a gone one has none.
    EXPECT_EQ(comparison.rows[0].currentErrors, std::vector<ErrorId>{1});
    EXPECT_TRUE(comparison.rows[3].currentErrors.empty());
}

TEST(CompareAnalyses, PeriodsOfDifferentLengthCompareByRateAndSaySo) {
    // Four in four days, then two in one day: fewer, but twice as often.
    const Analysis baseline = CountEntries({{At(2007, 4, 1), "Vacuum", "L"},
                                            {At(2007, 4, 2), "Vacuum", "L"},
                                            {At(2007, 4, 3), "Vacuum", "L"},
                                            {At(2007, 4, 5), "Vacuum", "L"}});
    const Analysis current = CountEntries({{At(2007, 5, 1), "Vacuum", "L"}, {At(2007, 5, 2), "Vacuum", "L"}});
    const Comparison comparison = CompareAnalyses(baseline, current);
    ExpectRows(comparison, {{"Vacuum", 4, 2, 1.0, 2.0, 2.0, Change::Rise}});
    EXPECT_EQ(comparison.rows[0].CountChange(), -2);
    EXPECT_EQ(comparison.note,
              "The periods differ much in length (baseline 4.00 days, current 1.00 days): compare the rates per day, "
              "not the counts.");

    // Half as long again is not yet "much".
    const Analysis threeHalves = CountEntries({{At(2007, 5, 1), "Vacuum", "L"}, {At(2007, 5, 2, 12), "Vacuum", "L"}});
    EXPECT_EQ(CompareAnalyses(threeHalves, current).note, "");
}

TEST(CompareAnalyses, PeriodsWithoutLengthCompareCounts) {
    const Analysis oneMoment =
        CountEntries(Joined({Times(2, At(2007, 4, 1, 8), "A"), Times(3, At(2007, 4, 1, 8), "B")}));
    const Analysis twoDays = CountEntries(Joined({Times(1, At(2007, 5, 1), "A"), Times(4, At(2007, 5, 3), "B")}));
    const Analysis empty;
    struct Case {
        const char* name;
        const Analysis &baseline, &current;
        std::vector<ExpectedRow> rows;
        std::string note;
    } cases[] = {
        {"baseline of one moment",
         oneMoment,
         twoDays,
         {{"B", 3, 4, std::nullopt, 2.0, 4.0 / 3.0, Change::Rise}, {"A", 2, 1, std::nullopt, 0.5, 0.5, Change::Fall}},
         "The baseline spans no time, so there are no rates per day to compare; the rows are ordered by the change "
         "in count."},
        {"both of one moment",
         oneMoment,
         oneMoment,
         {{"B", 3, 3, std::nullopt, std::nullopt, 1.0, Change::Same},
          {"A", 2, 2, std::nullopt, std::nullopt, 1.0, Change::Same}},
         "Neither period spans any time, so there are no rates per day; the rows are ordered by the change in "
         "count."},
        {"current log without entries",
         twoDays,
         empty,
         {{"A", 1, 0, 0.5, std::nullopt, 0.0, Change::Gone}, {"B", 4, 0, 2.0, std::nullopt, 0.0, Change::Gone}},
         "The current period spans no time, so there are no rates per day to compare; the rows are ordered by the "
         "change in count."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Comparison comparison = CompareAnalyses(c.baseline, c.current);
        EXPECT_FALSE(comparison.byRate);
        EXPECT_FALSE(comparison.rows.front().rateChange);
        ExpectRows(comparison, c.rows);
        EXPECT_EQ(comparison.note, c.note);
    }
}

TEST(CompareAnalyses, TwoRangesOfOneLogStartInclusiveEndExclusive) {
    const Analysis log = CountEntries({
        {At(2007, 4, 1), "Before only", "L"},
        {At(2007, 4, 2, 23, 59, 59, 999), "Both", "L"},
        {At(2007, 4, 3), "Both", "L"},  // on the split: the later range's
        {At(2007, 4, 3, 12), "Both", "L"},
        {At(2007, 4, 4), "Outside", "L"},  // the later range's end is not in it
        {0, "Undated", "L"},
    });
    const TimeRange before{At(2007, 4, 1), At(2007, 4, 3)};
    const TimeRange after{At(2007, 4, 3), At(2007, 4, 4)};
    const Comparison comparison = CompareAnalyses(log, log, {before, after});
    EXPECT_EQ(comparison.baseline.entries, 2u);
    EXPECT_EQ(comparison.current.entries, 2u);
    EXPECT_EQ(comparison.baseline.days, 2);
    EXPECT_EQ(comparison.current.days, 1);
    EXPECT_FALSE(comparison.baseline.wholeLog);
    ExpectRows(comparison,
               {{"Both", 1, 2, 0.5, 2.0, 4.0, Change::Rise}, {"Before only", 1, 0, 0.5, 0.0, 0.0, Change::Gone}});
    // An error outside the current range still leads to its occurrences in the log.
    EXPECT_EQ(comparison.rows[1].currentErrors, std::vector<ErrorId>{0});
}

TEST(CompareAnalyses, WholeLogSpansItsDatedEntriesInAnyOrder) {
    // A clock set back: the span runs from the earliest to the latest time,
    // and an undated entry counts without stretching it back to 1899.
    const Analysis log = CountEntries(
        {{At(2007, 4, 3), "A", "L"}, {0, "A", "L"}, {At(2007, 4, 1), "A", "L"}, {At(2007, 4, 2), "A", "L"}});
    const ComparedPeriod period = WholeLogPeriod(log);
    EXPECT_EQ(period.start, At(2007, 4, 1));
    EXPECT_EQ(period.end, At(2007, 4, 3));
    EXPECT_EQ(period.days, 2);
    EXPECT_EQ(period.entries, 4u);
}

TEST(CompareAnalyses, GroupByTextJoinsLocations) {
    const Analysis baseline = CountEntries({{At(2007, 4, 1), "Vacuum", "FILE: a.c"}, {At(2007, 4, 2), "Other", "L"}});
    const Analysis current = CountEntries({{At(2007, 5, 1), "Vacuum", "FILE: a.c"},
                                           {At(2007, 5, 1, 12), "Vacuum", "FILE: b.c"},
                                           {At(2007, 5, 2), "Other", "L"}});
    const Comparison separate = CompareAnalyses(baseline, current);
    ASSERT_EQ(separate.rows.size(), 3u);
    EXPECT_EQ(separate.rows[0].location, "FILE: b.c");
    EXPECT_EQ(separate.rows[0].change, Change::New);

    ComparisonOptions options;
    options.groupByText = true;
    const Comparison grouped = CompareAnalyses(baseline, current, options);
    ExpectRows(grouped, {{"Vacuum", 1, 2, 1.0, 2.0, 2.0, Change::Rise}, {"Other", 1, 1, 1.0, 1.0, 1.0, Change::Same}});
    EXPECT_EQ(grouped.rows[0].location, "");
    EXPECT_EQ(grouped.rows[0].currentErrors, (std::vector<ErrorId>{0, 1}));
}

TEST(ComparisonFiles, CsvAndLines) {
    const Analysis baseline = CountEntries({{At(2007, 4, 1), "Caf\xE9, \"hot\"", "FILE: a.c"},
                                            {At(2007, 4, 2), "Same", "L"},
                                            {At(2007, 4, 3), "Caf\xE9, \"hot\"", "FILE: a.c"}});
    const Analysis current = CountEntries({{At(2007, 5, 1), "Vacuum", "FILE: v.c"},
                                           {At(2007, 5, 2), "Same", "L"},
                                           {At(2007, 5, 3, 12), "Vacuum", "FILE: v.c"}});
    const Comparison comparison = CompareAnalyses(baseline, current);
    EXPECT_EQ(ComparisonCsv(comparison),
              "text,location,baseline count,baseline per day,current count,current per day,change,change per day,"
              "factor,mark\r\n"
              "Vacuum,FILE: v.c,0,0.000,2,0.800,2,0.800,,new\r\n"
              "Same,L,1,0.500,1,0.400,0,-0.100,0.800,\r\n"
              "\"Caf\xC3\xA9, \"\"hot\"\"\",FILE: a.c,2,1.000,0,0.000,-2,-1.000,0.000,gone\r\n");
    const std::vector<std::string> expected = {
        "Baseline: before.rpt, 04/01/07 to 04/03/07 (2.00 days), 3 entries",
        "Current:  after.rpt, 05/01/07 to 05/03/07 12:00:00 (2.50 days), 3 entries",
        "",
        "Baseline  Per day  Current  Per day  Change  Per day  Factor  Mark  Error",
        "       0    0.000        2    0.800      +2   +0.800       -  new   Vacuum - FILE: v.c",
        "       1    0.500        1    0.400       0   -0.100   0.800        Same - L",
        "       2    1.000        0    0.000      -2   -1.000   0.000  gone  Caf\xE9, \"hot\" - FILE: a.c",
    };
    EXPECT_EQ(ComparisonLines(comparison, "before.rpt", "after.rpt", CLocaleFormat()), expected);

    // No change in count has no sign; neither has a rate change that rounds to none.
    const Comparison same = CompareAnalyses(baseline, baseline);
    EXPECT_EQ(ComparisonLines(same, "a", "a", CLocaleFormat())[4],
              "       2    1.000        2    1.000       0    0.000   1.000        Caf\xE9, \"hot\" - FILE: a.c");
}

}  // namespace
}  // namespace lognex
