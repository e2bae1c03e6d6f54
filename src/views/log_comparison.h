// Two periods side by side: a log before a repair against the log after it,
// or two stretches of time of one log. One row per error with its count and
// rate per day in each, and how it changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logproc/analysis.h"
#include "support/date_time.h"
#include "support/locale_format.h"

namespace lognex {

// A stretch of time from start (inclusive) to end (exclusive), both taken to
// the millisecond as the entries' times are.
struct TimeRange {
    DateTime start = 0;
    DateTime end = 0;
};

// What one side of a comparison covers.
struct ComparedPeriod {
    // A range as given; a whole log from its earliest to its latest dated
    // entry (entries without a date, time zero, count but span nothing).
    DateTime start = 0, end = 0;
    double days = 0;  // end - start; 0 for a range that ends before it starts
    std::size_t entries = 0;
    bool wholeLog = true;
};

struct ComparisonOptions {
    std::optional<TimeRange> baselineRange, currentRange;  // none: the whole log
    bool groupByText = false;                              // one row per text, whatever its locations
};

enum class Change { New, Gone, Rise, Fall, Same };

struct ComparisonRow {
    std::string text;
    std::string location;  // empty when grouped by text
    // The current log's distinct errors the row stands for (several when
    // grouped by text; none when the error is not in it).
    std::vector<ErrorId> currentErrors;
    std::size_t baselineCount = 0, currentCount = 0;
    // Per day; none for a period that spans no time.
    std::optional<double> baselineRate, currentRate;
    std::optional<double> rateChange;  // current rate minus baseline rate, when both are known
    // Current over baseline: the rates when both periods span time, else the
    // counts; none for a new error.
    std::optional<double> factor;
    Change change = Change::Same;

    std::int64_t CountChange() const {
        return static_cast<std::int64_t>(currentCount) - static_cast<std::int64_t>(baselineCount);
    }
};

struct Comparison {
    ComparedPeriod baseline, current;
    // Both periods span time, so rates are compared; otherwise counts are.
    bool byRate = false;
    // By the change (in rate, or in count without rates), largest rise
    // first; then more current occurrences first; then text and location.
    // Errors that occur in neither period have no row.
    std::vector<ComparisonRow> rows;
    // Empty, or a sentence on the periods' lengths: when one spans no time
    // (no rates, rows by the change in count), or when one is more than half
    // as long again as the other (the counts then mislead; the rates do not).
    std::string note;
};

// A whole log as a period: from its earliest to its latest dated entry.
ComparedPeriod WholeLogPeriod(const Analysis& analysis);

// Compares the current analysis with the baseline; the two may be one
// analysis with two ranges.
Comparison CompareAnalyses(const Analysis& baseline, const Analysis& current, const ComparisonOptions& options = {});

// The comparison as CSV (UTF-8, CR LF): a heading record, then one record
// per row: text, location, baseline count, baseline per day, current count,
// current per day, change, change per day, factor, mark ("new", "gone" or
// empty). Numbers have a point and three decimals; an unknown one is empty.
std::string ComparisonCsv(const Comparison& comparison);

// The comparison as readable lines (Windows-1252): each period with its
// name, first and last time in the locale's form, length and entries; the
// note; then a table with the error's words last.
std::vector<std::string> ComparisonLines(const Comparison& comparison, const std::string& baselineName,
                                         const std::string& currentName, const LocaleFormat& locale);

}  // namespace lognex
