#include "views/timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <stdexcept>

#include "views/time_range.h"

namespace lognex {
namespace {

using namespace timeline_units;

struct Unit {
    std::int64_t ms;
    const char* name;
};

constexpr Unit kUnits[] = {
    {kMinute, "1 minute"},    {5 * kMinute, "5 minutes"}, {15 * kMinute, "15 minutes"},
    {kHour, "1 hour"},        {6 * kHour, "6 hours"},     {kDay, "1 day"},
    {kWeek, "1 week"},        {4 * kWeek, "4 weeks"},     {13 * kWeek, "13 weeks"},
    {52 * kWeek, "52 weeks"},
};

constexpr double kFewestBins = 40;
constexpr double kMostBins = 120;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Where a bin of width ms containing t starts: on the calendar boundary.
std::int64_t AlignedStart(std::int64_t t, std::int64_t width) {
    const std::int64_t anchor = width >= kWeek ? kMondayAnchor : 0;
    return FloorDiv(t - anchor, width) * width + anchor;
}

std::int64_t BinsFor(std::int64_t first, std::int64_t last, std::int64_t width) {
    return (last - AlignedStart(first, width)) / width + 1;
}

// How far a bin count lies from 40..120, as a ratio (1 inside it).
double Distance(std::int64_t bins) {
    const double b = static_cast<double>(bins);
    if (b < kFewestBins) return kFewestBins / b;
    if (b > kMostBins) return b / kMostBins;
    return 1;
}

}  // namespace

int Timeline::MaxBinTotal() const {
    return binTotals.empty() ? 0 : *std::max_element(binTotals.begin(), binTotals.end());
}

Timeline BinOccurrences(std::span<const TimelinePoint> points) {
    Timeline timeline;
    timeline.entries = points.size();

    // Series: the most frequent errors, then Other.
    int errorCount = 0;
    for (const TimelinePoint& p : points) {
        if (p.error < 0) throw std::invalid_argument("negative error id in the timeline");
        errorCount = std::max(errorCount, p.error + 1);
    }
    std::vector<int> perError(static_cast<std::size_t>(errorCount), 0);
    for (const TimelinePoint& p : points) ++perError[static_cast<std::size_t>(p.error)];
    std::vector<int> ranked;
    for (int e = 0; e < errorCount; ++e)
        if (perError[static_cast<std::size_t>(e)] > 0) ranked.push_back(e);
    std::stable_sort(ranked.begin(), ranked.end(), [&](int a, int b) {
        return perError[static_cast<std::size_t>(a)] > perError[static_cast<std::size_t>(b)];
    });
    if (ranked.size() > kTimelineNamedSeries) ranked.resize(kTimelineNamedSeries);
    std::vector<int> seriesOfError(static_cast<std::size_t>(errorCount), static_cast<int>(ranked.size()));
    for (std::size_t s = 0; s < ranked.size(); ++s) {
        seriesOfError[static_cast<std::size_t>(ranked[s])] = static_cast<int>(s);
        timeline.series.push_back({ranked[s], perError[static_cast<std::size_t>(ranked[s])]});
    }
    timeline.series.push_back({kOtherSeries, 0});
    for (int e = 0; e < errorCount; ++e)
        if (seriesOfError[static_cast<std::size_t>(e)] == static_cast<int>(ranked.size()))
            timeline.series.back().occurrences += perError[static_cast<std::size_t>(e)];
    const std::size_t seriesCount = timeline.series.size();

    // The span of the dated entries, and the entries out of time order.
    std::vector<std::int64_t> ms(points.size(), 0);
    std::vector<bool> dated(points.size(), false);
    std::int64_t first = 0, last = 0, previous = 0;
    bool any = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::optional<std::int64_t> at = DatedMilliseconds(points[i].when);
        if (!at) continue;
        ms[i] = *at;
        dated[i] = true;
        if (any && ms[i] < previous) {
            if (timeline.outOfOrder++ == 0) timeline.firstOutOfOrder = static_cast<std::ptrdiff_t>(i);
        }
        first = any ? std::min(first, ms[i]) : ms[i];
        last = any ? std::max(last, ms[i]) : ms[i];
        previous = ms[i];
        any = true;
    }

    // The width whose bin count lies nearest to 40..120.
    if (any) {
        const Unit* best = nullptr;
        double bestDistance = 0;
        for (const Unit& unit : kUnits) {
            const double d = Distance(BinsFor(first, last, unit.ms));
            if (!best || d < bestDistance) {
                best = &unit;
                bestDistance = d;
            }
        }
        timeline.widthMs = best->ms;
        timeline.widthName = best->name;
        const std::int64_t largest = std::end(kUnits)[-1].ms;
        if (best->ms == largest && BinsFor(first, last, largest) > static_cast<std::int64_t>(kMostBins)) {
            const std::int64_t times = (BinsFor(first, last, largest) + 119) / 120;
            timeline.widthMs = largest * times;
            timeline.widthName = std::to_string(52 * times) + " weeks";
        }
        timeline.startMs = AlignedStart(first, timeline.widthMs);
        timeline.binCount = static_cast<std::size_t>(BinsFor(first, last, timeline.widthMs));
    }

    timeline.counts.assign(timeline.binCount * seriesCount, 0);
    timeline.binTotals.assign(timeline.binCount, 0);
    timeline.undatedCounts.assign(seriesCount, 0);
    timeline.binOf.assign(points.size(), -1);
    timeline.seriesOf.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const int s = seriesOfError[static_cast<std::size_t>(points[i].error)];
        timeline.seriesOf[i] = s;
        if (!dated[i]) {
            ++timeline.undated;
            ++timeline.undatedCounts[static_cast<std::size_t>(s)];
            continue;
        }
        const std::size_t bin = static_cast<std::size_t>((ms[i] - timeline.startMs) / timeline.widthMs);
        timeline.binOf[i] = static_cast<std::ptrdiff_t>(bin);
        ++timeline.counts[bin * seriesCount + static_cast<std::size_t>(s)];
        ++timeline.binTotals[bin];
    }
    return timeline;
}

TimelineSource ReadTimelineSource(const Analysis& analysis) { return ReadTimelineSource(LimitToRange(analysis)); }

TimelineSource ReadTimelineSource(const AnalysisInRange& value) {
    const Analysis& analysis = value.Whole();
    TimelineSource source;
    std::vector<int> place(analysis.Errors().size(), -1);
    for (ErrorId id : ErrorsByTextAndLocation(analysis)) {
        if (value.Count(id) == 0) continue;
        const DistinctError& error = analysis.Errors()[id];
        place[id] = static_cast<int>(source.texts.size());
        source.texts.push_back(error.text);
        source.locations.push_back(error.location);
    }
    std::vector<int> seen(analysis.Errors().size(), 0);
    const std::size_t n = value.entries.size();
    source.points.reserve(n);
    source.logLines.reserve(n);
    source.childIndex.reserve(n);
    for (std::uint32_t at : value.entries) {
        const AnalysisEntry& entry = analysis.Entries()[at];
        source.points.push_back({StoredTime(entry.when), place[entry.error]});
        source.logLines.push_back(static_cast<int>(entry.line.number));
        source.childIndex.push_back(seen[entry.error]++);
    }
    return source;
}

std::string SeriesName(const TimelineSource& source, const TimelineSeries& series, bool showSource) {
    if (series.error == kOtherSeries) return "Other";
    const auto e = static_cast<std::size_t>(series.error);
    std::string name = e < source.texts.size() ? source.texts[e] : std::string();
    if (showSource && e < source.locations.size()) name += " - " + source.locations[e];
    return name;
}

std::string IsoDateTime(std::int64_t milliseconds) {
    const DateParts p = SplitDateTime(static_cast<double>(milliseconds) / static_cast<double>(kMillisecondsPerDay));
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return text;
}

}  // namespace lognex
