// A period of the log, and the analysis value seen through it: the entries
// of that period, each error with its occurrences in it and its count for it.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "logproc/analysis.h"
#include "support/date_time.h"
#include "support/locale_format.h"

namespace lognex {

// Times in milliseconds from 30 December 1899, as the tables keep them: an
// entry is placed by its time brought to the nearest millisecond.
//
// A range holds the entries from start (included) to end (not included).
// The default range is the whole log; it alone holds the undated entries
// (time zero, or outside the years 1600 to 3999), which have no place in any
// bounded period. A range whose end is not after its start holds nothing.
struct TimeRange {
    static constexpr std::int64_t kNoStart = std::numeric_limits<std::int64_t>::min();
    static constexpr std::int64_t kNoEnd = std::numeric_limits<std::int64_t>::max();

    std::int64_t startMs = kNoStart;
    std::int64_t endMs = kNoEnd;

    bool IsWholeLog() const { return startMs == kNoStart && endMs == kNoEnd; }
    bool Contains(std::int64_t ms) const { return ms >= startMs && ms < endMs; }
    bool operator==(const TimeRange&) const = default;
};

// The time of a usable date in milliseconds: not zero, and in the years 1600
// to 3999 (the calendar the pages and the timeline can show).
std::optional<std::int64_t> DatedMilliseconds(DateTime when);

enum class RangePreset { Last24Hours, Last7Days };

// The preset period ending with the log's latest dated entry (included). The
// latest rather than the last in log order: a clock set back, or an undated
// last header, would otherwise put the period somewhere else. A log without a
// dated entry gives a range that holds nothing.
TimeRange PresetRange(const Analysis& analysis, RangePreset preset);

// From midnight of the given day on, with no end.
TimeRange SinceDay(DateTime day);

// The analysis limited to a range, without copying it: positions into the
// whole value's entries. It refers to the analysis, which must outlive it.
struct AnalysisInRange {
    const Analysis* whole = nullptr;
    TimeRange range;
    // Positions in whole->Entries() of the entries in the range, in log order.
    std::vector<std::uint32_t> entries;
    // Every error's occurrences in the range, in log order, error after error:
    // error e's are positions[offsets[e]] up to positions[offsets[e + 1]].
    std::vector<std::uint32_t> positions;
    std::vector<std::uint32_t> offsets;
    // Per error, its earliest and latest dated occurrence in the range; zero
    // when it has none there.
    std::vector<DateTime> earliest, latest;
    // The whole log's earliest and latest dated entry, in milliseconds; empty
    // when no entry is dated.
    std::optional<std::int64_t> logFirstMs, logLastMs;

    const Analysis& Whole() const { return *whole; }
    std::span<const std::uint32_t> Occurrences(ErrorId error) const {
        return {positions.data() + offsets[error], offsets[error + 1] - offsets[error]};
    }
    std::size_t Count(ErrorId error) const { return offsets[error + 1] - offsets[error]; }
    // The length of the period the counts cover: the range cut to the span of
    // the log's dated entries (no counts exist outside it). Zero without dates.
    std::int64_t PeriodMs() const;
};

// The range in words, dates in the locale's conventions: "Whole log",
// "From 04/17/07 10:00:00 up to 04/18/07", "From 04/17/07 on", "Up to 04/18/07".
std::string RangeText(const TimeRange& range, const LocaleFormat& locale);

// One pass over the entries, one more over those in the range.
AnalysisInRange LimitToRange(const Analysis& analysis, const TimeRange& range = {});

}  // namespace lognex
