#include "views/error_table.h"

#include <gtest/gtest.h>

#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;

// One text at three locations, outnumbering as a whole the most frequent
// single error; two days of log.
Analysis GpibLog() {
    return testing::CountEntries({
        {At(2007, 4, 17, 8), "Tester did not respond", "FILE: t.c"},  // error 0
        {At(2007, 4, 17, 9), "GPIB timeout", "FILE: g1.c"},           // error 1
        {At(2007, 4, 17, 10), "Tester did not respond", "FILE: t.c"},
        {At(2007, 4, 17, 11), "GPIB timeout", "FILE: g2.c"},  // error 2
        {At(2007, 4, 18, 7), "Chuck vacuum", "FILE: c.c"},    // error 3
        {At(2007, 4, 18, 12), "GPIB timeout", "FILE: g3.c"},  // error 4
        {At(2007, 4, 19, 8), "Tester did not respond", "FILE: t.c"},
        {At(2007, 4, 16, 23), "GPIB timeout", "FILE: g2.c"},  // clock set back
    });
}

struct Row {
    std::uint64_t count;
    std::string text, location;
    DateTime first, last;
    double perDay, share;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << r.count << " " << r.text << " | " << r.location << " " << r.perDay << "/day " << r.share << "%";
}

std::vector<Row> RowsOf(const ErrorTable& table, const Analysis& analysis) {
    std::vector<Row> rows;
    for (const ErrorRow& r : table.rows)
        rows.push_back({r.count, analysis.Errors()[r.error].text, LocationCellText(r, analysis), r.first, r.last,
                        r.perDay, r.share});
    return rows;
}

TEST(BuildErrorTable, RowsMostFrequentFirstWithRatesAndShares) {
    const Analysis analysis = GpibLog();
    const ErrorTable table = BuildErrorTable(LimitToRange(analysis), RankErrorTexts(analysis), false);
    // 16 April 23:00 to 19 April 08:00: 2 days 9 hours.
    const double days = 57.0 / 24;
    EXPECT_DOUBLE_EQ(table.days, days);
    EXPECT_EQ(table.entries, 8u);
    const std::vector<Row> expected = {
        {3, "Tester did not respond", "FILE: t.c", At(2007, 4, 17, 8), At(2007, 4, 19, 8), 3 / days, 37.5},
        {2, "GPIB timeout", "FILE: g2.c", At(2007, 4, 16, 23), At(2007, 4, 17, 11), 2 / days, 25},
        {1, "GPIB timeout", "FILE: g1.c", At(2007, 4, 17, 9), At(2007, 4, 17, 9), 1 / days, 12.5},
        {1, "Chuck vacuum", "FILE: c.c", At(2007, 4, 18, 7), At(2007, 4, 18, 7), 1 / days, 12.5},
        {1, "GPIB timeout", "FILE: g3.c", At(2007, 4, 18, 12), At(2007, 4, 18, 12), 1 / days, 12.5},
    };
    EXPECT_EQ(RowsOf(table, analysis), expected);
}

TEST(BuildErrorTable, GroupByTextMergesTheLocationsOfOneText) {
    const Analysis analysis = GpibLog();
    const ErrorTable table = BuildErrorTable(LimitToRange(analysis), RankErrorTexts(analysis), true);
    const double days = 57.0 / 24;
    const std::vector<Row> expected = {
        {4, "GPIB timeout", "3 locations", At(2007, 4, 16, 23), At(2007, 4, 18, 12), 4 / days, 50},
        {3, "Tester did not respond", "FILE: t.c", At(2007, 4, 17, 8), At(2007, 4, 19, 8), 3 / days, 37.5},
        {1, "Chuck vacuum", "FILE: c.c", At(2007, 4, 18, 7), At(2007, 4, 18, 7), 1 / days, 12.5},
    };
    EXPECT_EQ(RowsOf(table, analysis), expected);
    const ErrorRow& gpib = table.rows[0];
    EXPECT_EQ(gpib.error, 1u);  // the location seen first
    EXPECT_EQ(std::vector<ErrorId>(table.members.begin() + gpib.firstMember,
                                   table.members.begin() + gpib.firstMember + gpib.locations),
              (std::vector<ErrorId>{1, 2, 4}));

    // In a range holding one of its locations only, the text is a plain row.
    const ErrorTable morning =
        BuildErrorTable(LimitToRange(analysis, {ToMilliseconds(At(2007, 4, 18)), ToMilliseconds(At(2007, 4, 19))}),
                        RankErrorTexts(analysis), true);
    ASSERT_EQ(morning.rows.size(), 2u);
    EXPECT_EQ(LocationCellText(morning.rows[1], analysis), "FILE: g3.c");
    EXPECT_EQ(morning.rows[1].locations, 1u);
}

TEST(BuildErrorTable, PerDayCountsOverThePeriodAndAShortPeriodAsOneDay) {
    const auto perDayOfFirstRow = [](const std::vector<testing::Counted>& entries, TimeRange range) {
        const Analysis analysis = testing::CountEntries(entries);
        return BuildErrorTable(LimitToRange(analysis, range), RankErrorTexts(analysis), false).rows.at(0).perDay;
    };
    const std::vector<testing::Counted> twoHours = {
        {At(2007, 4, 17, 8), "A", ""}, {At(2007, 4, 17, 9), "A", ""}, {At(2007, 4, 17, 10), "A", ""}};
    const std::vector<testing::Counted> fourDays = {
        {At(2007, 4, 17), "A", ""}, {At(2007, 4, 19), "A", ""}, {At(2007, 4, 21), "A", ""}};
    const std::int64_t day = kMillisecondsPerDay;
    const std::int64_t the17th = ToMilliseconds(At(2007, 4, 17));
    struct Case {
        const char* name;
        const std::vector<testing::Counted>& entries;
        TimeRange range;
        double perDay;
    } cases[] = {
        {"two hours count as a day", twoHours, {}, 3},
        {"four days", fourDays, {}, 0.75},
        {"a range of two days", fourDays, {the17th + day, the17th + 3 * day}, 0.5},
        {"a range wider than the log is cut to it", fourDays, {the17th - 10 * day, the17th + 10 * day}, 0.75},
        {"undated entries only", {{0, "A", ""}, {0, "A", ""}}, {}, 2},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(perDayOfFirstRow(c.entries, c.range), c.perDay) << c.name;
}

TEST(BuildErrorTable, ARangeWithoutEntriesGivesNoRows) {
    const Analysis analysis = GpibLog();
    const ErrorTable table =
        BuildErrorTable(LimitToRange(analysis, SinceDay(At(2008, 1, 1))), RankErrorTexts(analysis), true);
    EXPECT_TRUE(table.rows.empty());
    EXPECT_EQ(table.entries, 0u);
    EXPECT_TRUE(BuildErrorTable(LimitToRange(Analysis{}), RankErrorTexts(Analysis{}), false).rows.empty());
}

TEST(SortErrorTable, AnyColumnEitherWayEqualRowsKeepTheirOrder) {
    const Analysis analysis = GpibLog();
    const ErrorTextRanks ranks = RankErrorTexts(analysis);
    const auto locations = [&](const ErrorTable& table) {
        std::vector<std::string> out;
        for (const ErrorRow& r : table.rows) out.push_back(LocationCellText(r, analysis));
        return out;
    };
    struct Case {
        ErrorColumn column;
        SortOrder order;
        std::vector<std::string> locations;
    } cases[] = {
        // From the table's first order: t, g2, g1, c, g3.
        {ErrorColumn::Count,
         SortOrder::Ascending,
         {"FILE: g1.c", "FILE: c.c", "FILE: g3.c", "FILE: g2.c", "FILE: t.c"}},
        {ErrorColumn::Share,
         SortOrder::Descending,
         {"FILE: t.c", "FILE: g2.c", "FILE: g1.c", "FILE: c.c", "FILE: g3.c"}},
        {ErrorColumn::Error,
         SortOrder::Ascending,
         {"FILE: c.c", "FILE: g2.c", "FILE: g1.c", "FILE: g3.c", "FILE: t.c"}},
        {ErrorColumn::Error,
         SortOrder::Descending,
         {"FILE: t.c", "FILE: g2.c", "FILE: g1.c", "FILE: g3.c", "FILE: c.c"}},
        {ErrorColumn::Location,
         SortOrder::Ascending,
         {"FILE: c.c", "FILE: g1.c", "FILE: g2.c", "FILE: g3.c", "FILE: t.c"}},
        {ErrorColumn::First,
         SortOrder::Ascending,
         {"FILE: g2.c", "FILE: t.c", "FILE: g1.c", "FILE: c.c", "FILE: g3.c"}},
        {ErrorColumn::Last,
         SortOrder::Descending,
         {"FILE: t.c", "FILE: g3.c", "FILE: c.c", "FILE: g2.c", "FILE: g1.c"}},
    };
    for (const Case& c : cases) {
        ErrorTable table = BuildErrorTable(LimitToRange(analysis), ranks, false);
        SortErrorTable(table, c.column, c.order, ranks);
        EXPECT_EQ(locations(table), c.locations) << static_cast<int>(c.column);
    }

    // Merged rows sort after the single locations, by how many they merge.
    ErrorTable grouped = BuildErrorTable(LimitToRange(analysis), ranks, true);
    SortErrorTable(grouped, ErrorColumn::Location, SortOrder::Ascending, ranks);
    EXPECT_EQ(locations(grouped), (std::vector<std::string>{"FILE: c.c", "FILE: t.c", "3 locations"}));
}

}  // namespace
}  // namespace lognex
