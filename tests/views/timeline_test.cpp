#include "views/timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

#include "views/timeline_chart.h"
#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;

// Every entry is in a bin or counted as undated, and each bin's series add up to its total.
void ExpectConsistent(const Timeline& t, std::size_t entries) {
    EXPECT_EQ(t.entries, entries);
    EXPECT_EQ(t.binTotals.size(), t.binCount);
    const int binned = std::accumulate(t.binTotals.begin(), t.binTotals.end(), 0);
    EXPECT_EQ(static_cast<std::size_t>(binned + t.undated), entries);
    for (std::size_t bin = 0; bin < t.binCount; ++bin) {
        int sum = 0;
        for (std::size_t s = 0; s < t.series.size(); ++s) sum += t.Count(bin, s);
        EXPECT_EQ(sum, t.binTotals[bin]) << "bin " << bin;
    }
    int perSeries = 0;
    for (const TimelineSeries& s : t.series) perSeries += s.occurrences;
    EXPECT_EQ(static_cast<std::size_t>(perSeries), entries);
}

TEST(BinOccurrences, SpansChooseWidthAndCount) {
    struct Case {
        const char* name;
        std::vector<DateTime> times;  // in log order
        std::string width;
        std::size_t bins;
        std::string firstBin;  // ISO start of the first bin, "" when there is none
        int undated, outOfOrder;
    } cases[] = {
        {"no entries", {}, "1 minute", 0, "", 0, 0},
        {"one entry", {At(2007, 4, 17, 21, 40, 58)}, "1 minute", 1, "2007-04-17T21:40:00", 0, 0},
        {"all in one second",
         {At(2007, 4, 17, 21, 40, 58), At(2007, 4, 17, 21, 40, 58, 10), At(2007, 4, 17, 21, 40, 58, 999)},
         "1 minute",
         1,
         "2007-04-17T21:40:00",
         0,
         0},
        {"a day",
         {At(2007, 4, 17, 0, 10), At(2007, 4, 17, 13), At(2007, 4, 17, 23, 50)},
         "15 minutes",
         96,
         "2007-04-17T00:00:00",
         0,
         0},
        // Saturday to Saturday; weeks start on Monday, 26 June 2006 and 25 June 2007.
        {"a year across a year end",
         {At(2006, 7, 1, 8), At(2006, 12, 31, 23, 59, 59), At(2007, 1, 1), At(2007, 6, 30)},
         "1 week",
         53,
         "2006-06-26T00:00:00",
         0,
         0},
        {"out of order (clock reset)",
         {At(2007, 4, 17, 10), At(2007, 4, 17, 9), At(2007, 4, 17, 11)},
         "1 minute",
         121,
         "2007-04-17T09:00:00",
         0,
         1},
        {"date-time zero",
         {0.0, At(2007, 4, 17, 10), At(2007, 4, 17, 10, 30), 0.0},
         "1 minute",
         31,
         "2007-04-17T10:00:00",
         2,
         0},
        {"only date-time zero", {0.0, 0.0}, "1 minute", 0, "", 2, 0},
        // A clock set to absurd years: no more than about 120 bins whatever the span.
        {"two thousand years", {At(1700, 1, 1), At(3900, 12, 31)}, "988 weeks", 117, "1691-09-17T00:00:00", 0, 0},
        // Years the calendar cannot hold, and values that are no date at all.
        {"unusable dates",
         {At(1500, 1, 1), std::numeric_limits<double>::quiet_NaN(), 1e300, At(2007, 4, 17, 10)},
         "1 minute",
         1,
         "2007-04-17T10:00:00",
         3,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TimelinePoint> points;
        for (std::size_t i = 0; i < c.times.size(); ++i) points.push_back({c.times[i], static_cast<int>(i % 2)});
        const Timeline t = BinOccurrences(points);
        EXPECT_EQ(t.widthName, c.width);
        EXPECT_EQ(t.binCount, c.bins);
        if (t.binCount > 0) {
            EXPECT_EQ(IsoDateTime(t.BinStart(0)), c.firstBin);
        }
        EXPECT_EQ(t.undated, c.undated);
        EXPECT_EQ(t.outOfOrder, c.outOfOrder);
        ExpectConsistent(t, c.times.size());
        // Every dated point lies inside its own bin.
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (t.binOf[i] < 0) continue;
            const std::int64_t ms = ToMilliseconds(points[i].when);
            const auto bin = static_cast<std::size_t>(t.binOf[i]);
            EXPECT_LE(t.BinStart(bin), ms);
            EXPECT_LT(ms, t.BinEnd(bin));
        }
    }
}

TEST(BinOccurrences, ReportsTheFirstEntryOutOfOrder) {
    // A clock reset after the third entry; undated entries do not break the order.
    const std::vector<TimelinePoint> points = {{At(2007, 4, 17, 10), 0},     {0.0, 0},
                                               {At(2007, 4, 17, 12), 0},     {At(2007, 4, 17, 11), 1},
                                               {At(2007, 4, 17, 11, 30), 1}, {At(2007, 4, 17, 8), 0}};
    const Timeline t = BinOccurrences(points);
    EXPECT_EQ(t.outOfOrder, 2);
    EXPECT_EQ(t.firstOutOfOrder, 3);
    EXPECT_EQ(TimelineNotes(t, {1, 3, 5, 7, 9, 11}),
              "1 entry has no date and is left off the time axis.\n2 entries are earlier than the entry before it "
              "(a clock reset?), the first at log line 7.");
    EXPECT_EQ(TimelineNotes(BinOccurrences(std::vector<TimelinePoint>{{At(2007, 1, 1), 0}}), {1}), "");
}

TEST(BinOccurrences, EightMostFrequentErrorsNamedTheRestOther) {
    // Error e occurs 12 - e times, except that error 5 ties with error 4 at 8.
    std::vector<TimelinePoint> points;
    for (int e = 0; e < 12; ++e) {
        const int times = e == 5 ? 8 : 12 - e;
        for (int k = 0; k < times; ++k) points.push_back({At(2007, 4, 17, 10, e, k), e});
    }
    const Timeline t = BinOccurrences(points);
    std::vector<int> errors, counts;
    for (const TimelineSeries& s : t.series) {
        errors.push_back(s.error);
        counts.push_back(s.occurrences);
    }
    EXPECT_EQ(errors, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, kOtherSeries}));
    EXPECT_EQ(counts, (std::vector<int>{12, 11, 10, 9, 8, 8, 6, 5, 4 + 3 + 2 + 1}));
    ExpectConsistent(t, points.size());

    // Equal counts keep the lower id first; Other is there even when empty.
    const Timeline tied = BinOccurrences(std::vector<TimelinePoint>{{At(2007, 1, 1), 2}, {At(2007, 1, 1), 1}});
    ASSERT_EQ(tied.series.size(), 3u);
    EXPECT_EQ(tied.series[0].error, 1);
    EXPECT_EQ(tied.series[1].error, 2);
    EXPECT_EQ(tied.series[2].error, kOtherSeries);
    EXPECT_EQ(tied.series[2].occurrences, 0);

    EXPECT_THROW(BinOccurrences(std::vector<TimelinePoint>{{At(2007, 1, 1), -1}}), std::invalid_argument);
}

TEST(ReadTimelineSource, OccurrencesInLogOrderWithTheirTreePlace) {
    const Analysis analysis = testing::CountEntries({
        {At(2007, 4, 17, 21, 40, 58), "Vacuum lost", "Chuck.c"},
        {At(2007, 4, 17, 22), "Drift", "Z.c"},
        {At(2007, 4, 18), "Vacuum lost", "Chuck.c"},
        {0.0, "Drift", "A.c"},
    });
    const TimelineSource source = ReadTimelineSource(analysis);
    // Errors in the tree's order: Drift/A.c, Drift/Z.c, Vacuum lost.
    EXPECT_EQ(source.texts, (std::vector<std::string>{"Drift", "Drift", "Vacuum lost"}));
    EXPECT_EQ(source.locations, (std::vector<std::string>{"A.c", "Z.c", "Chuck.c"}));
    EXPECT_EQ(source.logLines, (std::vector<int>{1, 3, 5, 7}));
    std::vector<int> errors;
    for (const TimelinePoint& p : source.points) errors.push_back(p.error);
    EXPECT_EQ(errors, (std::vector<int>{2, 1, 2, 0}));
    EXPECT_EQ(source.childIndex, (std::vector<int>{0, 0, 1, 0}));

    const Timeline t = BinOccurrences(source.points);
    EXPECT_EQ(SeriesNames(t, source, false), (std::vector<std::string>{"Vacuum lost", "Drift", "Drift", "Other"}));
    EXPECT_EQ(SeriesNames(t, source, true),
              (std::vector<std::string>{"Vacuum lost - Chuck.c", "Drift - A.c", "Drift - Z.c", "Other"}));
}

TEST(TimelineCsv, HeaderQuotedRowsInIsoTimesUndatedLast) {
    const std::vector<TimelinePoint> points = {
        {At(2007, 4, 17, 10, 0, 5), 0}, {At(2007, 4, 17, 10, 1), 1}, {0.0, 1}, {At(2007, 4, 17, 10, 0, 59), 0}};
    const Timeline t = BinOccurrences(points);
    const std::string csv = TimelineCsv(t, {"Vacuum, lost", "Say \"hi\"", "Other"});
    EXPECT_EQ(csv,
              "start,end,total,\"Vacuum, lost\",\"Say \"\"hi\"\"\",Other\r\n"
              "2007-04-17T10:00:00,2007-04-17T10:01:00,2,2,0,0\r\n"
              "2007-04-17T10:01:00,2007-04-17T10:02:00,1,0,1,0\r\n"
              ",,1,0,1,0\r\n");
}

TEST(TimelineSvg, EscapesNamesAndDropsControlCharacters) {
    const std::vector<TimelinePoint> points = {{At(2007, 4, 17, 10), 0}, {At(2007, 4, 17, 11), 1}};
    const Timeline t = BinOccurrences(points);
    const std::vector<std::string> names = {"<b>&\"x\" \x01\x1b", "Euro \x80 caf\xe9", "Other"};
    const TimelineChart chart = LayoutTimelineChart(t, names, "", ChartStyle{});
    const std::string svg = TimelineSvg(chart, t);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_NE(svg.find("&lt;b&gt;&amp;&quot;x&quot;  (1)</text>"), std::string::npos);
    EXPECT_NE(svg.find("Euro \xE2\x82\xAC caf\xC3\xA9 (1)"), std::string::npos);
    EXPECT_EQ(svg.find('\x01'), std::string::npos);
    EXPECT_EQ(svg.find('\x1b'), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST(LayoutTimelineChart, BarsStackWithinThePlotAndLabelsKeepApart) {
    // A day and a half of entries from three errors, every 10 minutes.
    std::vector<TimelinePoint> points;
    for (int k = 0; k < 216; ++k) points.push_back({At(2007, 4, 17, 6) + k * 10.0 / 1440, k % 3});
    const Timeline t = BinOccurrences(points);
    const std::vector<std::string> names = {std::string(200, 'x'), "b", "c", "Other"};
    ChartStyle style;
    style.width = 640;
    style.height = 400;
    const TimelineChart chart = LayoutTimelineChart(t, names, "", style);

    ASSERT_EQ(chart.columns.size(), t.binCount);
    const double base = chart.plot.y + chart.plot.h;
    std::vector<double> ratios;
    for (std::size_t bin = 0; bin < t.binCount; ++bin) {
        double height = 0;
        for (const ChartSegment& s : chart.segments)
            if (s.bin == bin) {
                height += s.box.h;
                EXPECT_GE(s.box.y, chart.plot.y - 0.001);
                EXPECT_LE(s.box.y + s.box.h, base + 0.001);
                EXPECT_GE(s.box.x, chart.columns[bin].x);
                EXPECT_LE(s.box.x + s.box.w, chart.columns[bin].x + chart.columns[bin].w + 0.001);
            }
        // One scale for every bar, the highest within the plot.
        if (t.binTotals[bin] > 0) ratios.push_back(height / t.binTotals[bin]);
        EXPECT_LE(height, chart.plot.h + 0.001);
        const double middle = chart.columns[bin].x + chart.columns[bin].w / 2;
        EXPECT_EQ(chart.BinAt(middle, chart.plot.y + 1), bin);
    }
    ASSERT_FALSE(ratios.empty());
    for (double r : ratios) EXPECT_NEAR(r, ratios.front(), 1e-6);
    EXPECT_FALSE(chart.BinAt(chart.plot.x - 1, chart.plot.y + 1));

    // Time labels (the first line under the axis) are at least their width apart.
    std::vector<double> xs;
    for (const ChartText& text : chart.texts)
        if (text.anchor == TextAnchor::Middle && text.muted && text.y < base + 4 + style.fontPixels + 0.5)
            xs.push_back(text.x);
    ASSERT_GE(xs.size(), 3u);
    for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_GE(xs[i] - xs[i - 1], 12 * style.charWidth - 0.001);

    // A long note wraps at blanks under the title, in at most three lines that fit the chart.
    std::string notes;
    for (int i = 0; i < 60; ++i) notes += "word" + std::to_string(i) + " ";
    const TimelineChart noted = LayoutTimelineChart(t, names, notes, style);
    std::vector<std::string> noteLines;
    for (const ChartText& text : noted.texts)
        if (text.anchor == TextAnchor::Start && text.muted) noteLines.push_back(text.text);
    ASSERT_EQ(noteLines.size(), 3u);
    EXPECT_EQ(noteLines[0].rfind("word0 word1 ", 0), 0u);
    EXPECT_EQ(noteLines[2].substr(noteLines[2].size() - 3), "...");
    for (const std::string& l : noteLines) EXPECT_LE(10 + static_cast<double>(l.size()) * style.charWidth, style.width);
    EXPECT_GT(noted.plot.y, chart.plot.y);

    // The long name is cut to the legend, which stays inside the chart.
    ASSERT_EQ(chart.legend.size(), 3u);  // Other is empty and left out
    EXPECT_NE(chart.legend[0].label.text.find("... (72)"), std::string::npos);
    for (const ChartLegendItem& item : chart.legend)
        EXPECT_LE(item.label.x + static_cast<double>(item.label.text.size()) * style.charWidth, style.width);
}

TEST(HighlightFor, CountsTheChosenErrorPerBinInItsSeriesColour) {
    std::vector<TimelinePoint> points;
    for (int e = 0; e < 10; ++e) points.push_back({At(2007, 4, 17, 10, e), e});
    points.push_back({At(2007, 4, 17, 10, 30), 9});
    const Timeline t = BinOccurrences(points);
    const ChartHighlight named = HighlightFor(t, points, 9);  // the only error with two: first series
    EXPECT_EQ(named.series, 0u);
    EXPECT_EQ(std::accumulate(named.perBin.begin(), named.perBin.end(), 0), 2);
    const ChartHighlight other = HighlightFor(t, points, 8);  // ninth of ten: in Other
    EXPECT_EQ(other.series, t.series.size() - 1);
    EXPECT_EQ(SeriesColour(t, other.series), SeriesColour(t, t.series.size() - 1));
    EXPECT_NE(SeriesColour(t, 0), SeriesColour(t, 1));
}

}  // namespace
}  // namespace lognex
