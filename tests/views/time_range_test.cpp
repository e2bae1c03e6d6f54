#include "views/time_range.h"

#include <gtest/gtest.h>

#include "views/error_tree.h"
#include "views/export_rows.h"
#include "views/timeline.h"
#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;

std::int64_t Ms(DateTime when) { return ToMilliseconds(when); }

// Two errors around noon of 17 April 2007, an undated entry, and the day after.
Analysis NoonLog() {
    return testing::CountEntries({
        {At(2007, 4, 17, 10), "Vacuum", "FILE: a.c"},              // 0
        {At(2007, 4, 17, 11, 59, 59, 999), "Align", "FILE: b.c"},  // 1
        {0, "Vacuum", "FILE: a.c"},                                // 2: undated
        {At(2007, 4, 17, 12), "Vacuum", "FILE: a.c"},              // 3
        {At(2007, 4, 18, 9, 30), "Align", "FILE: b.c"},            // 4
        {At(2007, 4, 17, 11), "Vacuum", "FILE: a.c"},              // 5: clock set back
    });
}

TEST(LimitToRange, HoldsTheEntriesFromStartUpToEnd) {
    const Analysis analysis = NoonLog();
    const TimeRange noon{Ms(At(2007, 4, 17, 10)), Ms(At(2007, 4, 17, 12))};
    struct Case {
        const char* name;
        TimeRange range;
        std::vector<std::uint32_t> entries, vacuum, align;
    } cases[] = {
        {"whole log, undated included", {}, {0, 1, 2, 3, 4, 5}, {0, 2, 3, 5}, {1, 4}},
        {"start included, end not", noon, {0, 1, 5}, {0, 5}, {1}},
        {"open start, undated left out", {TimeRange::kNoStart, Ms(At(2007, 4, 18))}, {0, 1, 3, 5}, {0, 3, 5}, {1}},
        {"open end", SinceDay(At(2007, 4, 18, 15)), {4}, {}, {4}},
        {"empty", {noon.startMs, noon.startMs}, {}, {}, {}},
        {"end before start", {noon.endMs, noon.startMs}, {}, {}, {}},
        {"before the log", {Ms(At(2006, 1, 1)), Ms(At(2007, 1, 1))}, {}, {}, {}},
        {"after the log", SinceDay(At(2007, 4, 19)), {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AnalysisInRange value = LimitToRange(analysis, c.range);
        EXPECT_EQ(value.entries, c.entries);
        const auto vacuum = value.Occurrences(0), align = value.Occurrences(1);
        EXPECT_EQ(std::vector<std::uint32_t>(vacuum.begin(), vacuum.end()), c.vacuum);
        EXPECT_EQ(std::vector<std::uint32_t>(align.begin(), align.end()), c.align);
        EXPECT_EQ(value.Count(0), c.vacuum.size());
    }
}

TEST(LimitToRange, EarliestAndLatestAreByTimeAndLeaveUndatedOut) {
    const AnalysisInRange whole = LimitToRange(NoonLog());
    EXPECT_EQ(whole.earliest[0], At(2007, 4, 17, 10));  // not the undated one
    EXPECT_EQ(whole.latest[0], At(2007, 4, 17, 12));    // not the last in log order
    EXPECT_EQ(whole.logFirstMs, Ms(At(2007, 4, 17, 10)));
    EXPECT_EQ(whole.logLastMs, Ms(At(2007, 4, 18, 9, 30)));

    const AnalysisInRange onlyUndated = LimitToRange(testing::CountEntries({{0, "Vacuum", "FILE: a.c"}}));
    EXPECT_EQ(onlyUndated.Count(0), 1u);
    EXPECT_EQ(onlyUndated.earliest[0], 0);
    EXPECT_FALSE(onlyUndated.logFirstMs);
    EXPECT_EQ(onlyUndated.PeriodMs(), 0);
}

TEST(LimitToRange, PeriodIsTheRangeCutToTheLogsDatedSpan) {
    const Analysis analysis = NoonLog();  // 17 April 10:00 to 18 April 09:30
    struct Case {
        TimeRange range;
        std::int64_t periodMs;
    } cases[] = {
        {{}, Ms(At(2007, 4, 18, 9, 30)) - Ms(At(2007, 4, 17, 10))},
        {{Ms(At(2007, 4, 17, 11)), Ms(At(2007, 4, 17, 12))}, 3'600'000},
        {SinceDay(At(2007, 4, 18)), Ms(At(2007, 4, 18, 9, 30)) - Ms(At(2007, 4, 18))},
        {{Ms(At(2007, 1, 1)), Ms(At(2008, 1, 1))}, Ms(At(2007, 4, 18, 9, 30)) - Ms(At(2007, 4, 17, 10))},
        {SinceDay(At(2007, 5, 1)), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(LimitToRange(analysis, c.range).PeriodMs(), c.periodMs);
}

TEST(PresetRange, EndsWithTheLatestDatedEntryIncluded) {
    // The last entry in log order is undated, the one before it set back.
    const Analysis analysis = testing::CountEntries({
        {At(2007, 4, 10, 8), "A", ""},
        {At(2007, 4, 17, 21, 40, 58), "A", ""},
        {At(2007, 4, 17), "A", ""},
        {0, "A", ""},
    });
    const std::int64_t end = Ms(At(2007, 4, 17, 21, 40, 58)) + 1;
    EXPECT_EQ(PresetRange(analysis, RangePreset::Last24Hours), (TimeRange{end - 86'400'000, end}));
    EXPECT_EQ(PresetRange(analysis, RangePreset::Last7Days), (TimeRange{end - 7 * 86'400'000LL, end}));
    EXPECT_EQ(LimitToRange(analysis, PresetRange(analysis, RangePreset::Last24Hours)).entries,
              (std::vector<std::uint32_t>{1, 2}));

    const TimeRange none = PresetRange(testing::CountEntries({{0, "A", ""}}), RangePreset::Last7Days);
    EXPECT_TRUE(LimitToRange(testing::CountEntries({{0, "A", ""}}), none).entries.empty());
    EXPECT_EQ(SinceDay(At(2007, 4, 17, 21, 40)), (TimeRange{Ms(At(2007, 4, 17)), TimeRange::kNoEnd}));
}

TEST(LimitToRange, TreeExportAndTimelineShowOnlyTheRange) {
    const Analysis analysis = NoonLog();
    const AnalysisInRange value = LimitToRange(analysis, {Ms(At(2007, 4, 17, 11)), Ms(At(2007, 4, 19))});
    const LocaleFormat c = CLocaleFormat();

    const std::vector<TreeNode> tree = BuildTree(value, false, c);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].text, "[2] Align");
    EXPECT_EQ(tree[0].children,
              (std::vector<std::string>{"04/17/07 11:59:59 - Log File line 3", "04/18/07 09:30:00 - Log File line 9"}));
    EXPECT_EQ(tree[1].text, "[2] Vacuum");
    EXPECT_EQ(tree[1].children, (std::vector<std::string>{"04/17/07 12:00:00 - Log File line 7",
                                                          "04/17/07 11:00:00 - Log File line 11"}));

    EXPECT_EQ(ExportRows(value, c).size(), 4u);

    // Only Align is in this one: it is the first and only error, its
    // occurrence the first of its own.
    const TimelineSource source = ReadTimelineSource(LimitToRange(analysis, SinceDay(At(2007, 4, 18))));
    EXPECT_EQ(source.texts, std::vector<std::string>{"Align"});
    ASSERT_EQ(source.points.size(), 1u);
    EXPECT_EQ(source.points[0].error, 0);
    EXPECT_EQ(source.childIndex, std::vector<int>{0});
    EXPECT_EQ(source.logLines, std::vector<int>{9});
}

}  // namespace
}  // namespace lognex
