#include "views/time_range.h"

#include <algorithm>
#include <cmath>

#include "support/date_pictures.h"

namespace lognex {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;

std::int64_t FloorToDay(std::int64_t ms) {
    const std::int64_t days = ms / kMillisecondsPerDay - (ms % kMillisecondsPerDay < 0 ? 1 : 0);
    return days * kMillisecondsPerDay;
}

}  // namespace

std::optional<std::int64_t> DatedMilliseconds(DateTime when) {
    static const double kFirstDay = static_cast<double>(DaysSince1899(1600, 1, 1));
    static const double kPastLastDay = static_cast<double>(DaysSince1899(4000, 1, 1));
    if (!std::isfinite(when) || when < kFirstDay || when >= kPastLastDay) return std::nullopt;
    const std::int64_t ms = ToMilliseconds(when);
    if (ms == 0) return std::nullopt;
    return ms;
}

TimeRange PresetRange(const Analysis& analysis, RangePreset preset) {
    std::optional<std::int64_t> latest;
    for (const AnalysisEntry& entry : analysis.Entries())
        if (const auto ms = DatedMilliseconds(entry.when); ms && (!latest || *ms > *latest)) latest = ms;
    if (!latest) return {0, 0};
    const std::int64_t length = preset == RangePreset::Last24Hours ? 24 * kHourMs : 7 * 24 * kHourMs;
    return {*latest + 1 - length, *latest + 1};
}

TimeRange SinceDay(DateTime day) { return {FloorToDay(ToMilliseconds(day)), TimeRange::kNoEnd}; }

std::string RangeText(const TimeRange& range, const LocaleFormat& locale) {
    const auto text = [&](std::int64_t ms) {
        return FormatDateTimeText("", static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay), locale);
    };
    if (range.IsWholeLog()) return "Whole log";
    if (range.endMs == TimeRange::kNoEnd) return "From " + text(range.startMs) + " on";
    if (range.startMs == TimeRange::kNoStart) return "Up to " + text(range.endMs);
    return "From " + text(range.startMs) + " up to " + text(range.endMs);
}

std::int64_t AnalysisInRange::PeriodMs() const {
    if (!logFirstMs) return 0;
    const std::int64_t from = std::max(range.startMs, *logFirstMs);
    const std::int64_t to = std::min(range.endMs, *logLastMs);
    return std::max<std::int64_t>(0, to - from);
}

AnalysisInRange LimitToRange(const Analysis& analysis, const TimeRange& range) {
    const std::vector<AnalysisEntry>& all = analysis.Entries();
    const std::size_t errorCount = analysis.Errors().size();
    AnalysisInRange view;
    view.whole = &analysis;
    view.range = range;
    view.offsets.assign(errorCount + 1, 0);
    view.earliest.assign(errorCount, 0);
    view.latest.assign(errorCount, 0);
    std::vector<std::int64_t> earliestMs(errorCount, TimeRange::kNoEnd), latestMs(errorCount, TimeRange::kNoStart);

    const bool whole = range.IsWholeLog();
    if (whole) view.entries.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const AnalysisEntry& entry = all[i];
        const std::optional<std::int64_t> ms = DatedMilliseconds(entry.when);
        if (ms) {
            view.logFirstMs = std::min(view.logFirstMs.value_or(*ms), *ms);
            view.logLastMs = std::max(view.logLastMs.value_or(*ms), *ms);
        }
        if (!whole && !(ms && range.Contains(*ms))) continue;
        view.entries.push_back(static_cast<std::uint32_t>(i));
        ++view.offsets[entry.error + 1];
        if (ms) {
            earliestMs[entry.error] = std::min(earliestMs[entry.error], *ms);
            latestMs[entry.error] = std::max(latestMs[entry.error], *ms);
        }
    }

    for (std::size_t e = 0; e < errorCount; ++e) {
        view.offsets[e + 1] += view.offsets[e];
        if (earliestMs[e] == TimeRange::kNoEnd) continue;
        view.earliest[e] = static_cast<double>(earliestMs[e]) / static_cast<double>(kMillisecondsPerDay);
        view.latest[e] = static_cast<double>(latestMs[e]) / static_cast<double>(kMillisecondsPerDay);
    }
    view.positions.resize(view.entries.size());
    std::vector<std::uint32_t> next(view.offsets.begin(), view.offsets.end() - 1);
    for (std::uint32_t at : view.entries) view.positions[next[all[at].error]++] = at;
    return view;
}

}  // namespace lognex
