// The error timeline: when the errors of a run happened, counted in bins of
// equal width over the log's span, the most frequent errors each in a series
// of their own and the rest together as "Other".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "logproc/analysis.h"
#include "support/date_time.h"
#include "views/time_range.h"

namespace lognex {

// Bin units in milliseconds, as the binning and the chart's axis use them.
namespace timeline_units {
inline constexpr std::int64_t kMinute = 60'000;
inline constexpr std::int64_t kHour = 60 * kMinute;
inline constexpr std::int64_t kDay = 24 * kHour;
inline constexpr std::int64_t kWeek = 7 * kDay;
// 1 January 1900, the first Monday after 30 December 1899: weeks start on it.
inline constexpr std::int64_t kMondayAnchor = 2 * kDay;
}  // namespace timeline_units

// One occurrence: its date-time and the distinct error it belongs to, as a
// 0-based id that the caller gives meaning to (the tree's order, for one).
struct TimelinePoint {
    DateTime when = 0;
    int error = 0;
};

// The number of errors that get a series of their own; the rest are "Other".
inline constexpr std::size_t kTimelineNamedSeries = 8;
inline constexpr int kOtherSeries = -1;

struct TimelineSeries {
    int error = kOtherSeries;  // the error id, or kOtherSeries
    int occurrences = 0;       // over the whole log, undated entries included
};

struct Timeline {
    std::int64_t widthMs = 60'000;       // bin width in milliseconds
    std::string widthName = "1 minute";  // "15 minutes", "1 day", "4 weeks"
    std::int64_t startMs = 0;            // start of the first bin, from 30 December 1899
    std::size_t binCount = 0;
    // The named series by falling count (equal counts by error id), then
    // always "Other" last, which may be empty.
    std::vector<TimelineSeries> series;
    // counts[bin * series.size() + s]; binTotals[bin] is the bin's sum.
    std::vector<int> counts;
    std::vector<int> binTotals;

    // Entries without a usable date (date-time zero, or outside the years the
    // calendar can hold) are not placed in the span, which they would
    // stretch back to 1899; they are counted here per series instead.
    std::vector<int> undatedCounts;
    int undated = 0;
    // Entries whose time is earlier than the dated entry before them (a
    // clock reset): they are binned by their own time, and counted here.
    int outOfOrder = 0;
    std::ptrdiff_t firstOutOfOrder = -1;  // index into the points, or -1

    // For every point, its bin, or -1 when it is undated.
    std::vector<std::ptrdiff_t> binOf;
    // The point's series index into series.
    std::vector<int> seriesOf;
    std::size_t entries = 0;  // sum of binTotals plus undated

    int Count(std::size_t bin, std::size_t s) const { return counts[bin * series.size() + s]; }
    std::int64_t BinStart(std::size_t bin) const { return startMs + static_cast<std::int64_t>(bin) * widthMs; }
    std::int64_t BinEnd(std::size_t bin) const { return BinStart(bin) + widthMs; }
    int MaxBinTotal() const;
};

// Bins the points, given in log order. The width is the unit among 1, 5 and
// 15 minutes, 1 and 6 hours, 1 day, 1, 4, 13 and 52 weeks whose bin count
// comes nearest to 40..120 (on a ratio scale, the smaller unit on a tie);
// spans beyond 120 times 52 weeks take whole multiples of 52 weeks, so there
// are never more than about 180 bins. Bins start on the unit's calendar
// boundary (a minute, the hour, midnight, 6 o'clock; weeks on Monday), so
// points within one calendar minute share one bin. Error ids must not be
// negative (std::invalid_argument otherwise).
Timeline BinOccurrences(std::span<const TimelinePoint> points);

// What the timeline reads of a run: its occurrences and the errors they
// belong to.
struct TimelineSource {
    // Per distinct error in ErrorName's usual order (the tree's top-level
    // order): its text, and its location.
    std::vector<std::string> texts, locations;
    // Every occurrence in log order (by its header line).
    std::vector<TimelinePoint> points;
    std::vector<int> logLines;
    // The occurrence's position among its error's children in the tree.
    std::vector<int> childIndex;
};

// The occurrences in log order, each with its error's place in the tree's
// order and its place among that error's children.
TimelineSource ReadTimelineSource(const Analysis& analysis);

// The occurrences in the range, the errors that have some there in the
// tree's order, each occurrence placed among its error's in the range.
TimelineSource ReadTimelineSource(const AnalysisInRange& value);

// A series' name as the tree names its error: the text, or with showSource
// "text - location"; "Other" for the rest.
std::string SeriesName(const TimelineSource& source, const TimelineSeries& series, bool showSource);

// "2007-04-17T21:40:00": a bin boundary in ISO 8601, local time as the log has it.
std::string IsoDateTime(std::int64_t milliseconds);

}  // namespace lognex
