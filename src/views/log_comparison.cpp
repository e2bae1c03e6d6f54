#include "views/log_comparison.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "support/date_pictures.h"
#include "views/csv_text.h"

namespace lognex {
namespace {

constexpr double kMsPerDay = static_cast<double>(kMillisecondsPerDay);
// Past this ratio of lengths the counts of the two periods mislead.
constexpr double kLengthsDifferMuch = 1.5;

DateTime FromMilliseconds(std::int64_t ms) { return static_cast<double>(ms) / kMsPerDay; }

// The period one side covers and each of its errors' counts in it.
ComparedPeriod MeasurePeriod(const Analysis& analysis, const std::optional<TimeRange>& range,
                             std::vector<std::size_t>& perError) {
    ComparedPeriod period;
    perError.assign(analysis.Errors().size(), 0);
    if (range) {
        const std::int64_t start = ToMilliseconds(range->start), end = ToMilliseconds(range->end);
        for (const AnalysisEntry& entry : analysis.Entries()) {
            const std::int64_t at = ToMilliseconds(entry.when);
            if (at < start || at >= end) continue;
            ++perError[entry.error];
            ++period.entries;
        }
        period.wholeLog = false;
        period.start = FromMilliseconds(start);
        period.end = FromMilliseconds(end);
        period.days = end > start ? static_cast<double>(end - start) / kMsPerDay : 0;
        return period;
    }
    for (const AnalysisEntry& entry : analysis.Entries()) ++perError[entry.error];
    return WholeLogPeriod(analysis);
}

std::optional<double> RateOf(std::size_t count, const ComparedPeriod& period) {
    if (period.days <= 0) return std::nullopt;
    return static_cast<double>(count) / period.days;
}

// Equal but for the rounding of two divisions.
bool NearlyEqual(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b)); }

void Classify(ComparisonRow& row, bool byRate) {
    if (byRate) row.rateChange = *row.currentRate - *row.baselineRate;
    if (row.baselineCount > 0) {
        row.factor = byRate ? *row.currentRate / *row.baselineRate
                            : static_cast<double>(row.currentCount) / static_cast<double>(row.baselineCount);
    }
    if (row.baselineCount == 0) {
        row.change = Change::New;
    } else if (row.currentCount == 0) {
        row.change = Change::Gone;
    } else if (byRate ? NearlyEqual(*row.currentRate, *row.baselineRate) : row.CountChange() == 0) {
        row.change = Change::Same;
    } else {
        row.change = (byRate ? *row.rateChange > 0 : row.CountChange() > 0) ? Change::Rise : Change::Fall;
    }
}

std::string DaysText(double days) { return DecimalText(days, 2) + " days"; }

std::string LengthNote(const Comparison& c) {
    if (c.baseline.days <= 0 && c.current.days <= 0)
        return "Neither period spans any time, so there are no rates per day; the rows are ordered by the change "
               "in count.";
    if (c.baseline.days <= 0 || c.current.days <= 0)
        return std::string(c.baseline.days <= 0 ? "The baseline" : "The current period") +
               " spans no time, so there are no rates per day to compare; the rows are ordered by the change in "
               "count.";
    const double longer = std::max(c.baseline.days, c.current.days);
    const double shorter = std::min(c.baseline.days, c.current.days);
    if (longer <= kLengthsDifferMuch * shorter) return {};
    return "The periods differ much in length (baseline " + DaysText(c.baseline.days) + ", current " +
           DaysText(c.current.days) + "): compare the rates per day, not the counts.";
}

std::string OptionalNumber(const std::optional<double>& value) {
    return value ? DecimalText(*value, 3) : std::string();
}

std::string MarkOf(Change change) {
    if (change == Change::New) return "new";
    if (change == Change::Gone) return "gone";
    return {};
}

// A change with its sign; no change has none.
std::string Signed(std::string number) {
    const bool zero = number.find_first_not_of("0.") == std::string::npos;
    return number.front() == '-' || zero ? number : "+" + number;
}

}  // namespace

ComparedPeriod WholeLogPeriod(const Analysis& analysis) {
    ComparedPeriod period;
    std::optional<std::int64_t> earliest, latest;
    for (const AnalysisEntry& entry : analysis.Entries()) {
        const std::int64_t at = ToMilliseconds(entry.when);
        if (at == 0) continue;
        earliest = std::min(at, earliest.value_or(at));
        latest = std::max(at, latest.value_or(at));
    }
    period.entries = analysis.Entries().size();
    if (earliest) {
        period.start = FromMilliseconds(*earliest);
        period.end = FromMilliseconds(*latest);
        period.days = static_cast<double>(*latest - *earliest) / kMsPerDay;
    }
    return period;
}

Comparison CompareAnalyses(const Analysis& baseline, const Analysis& current, const ComparisonOptions& options) {
    Comparison comparison;
    std::vector<std::size_t> baselineCounts, currentCounts;
    comparison.baseline = MeasurePeriod(baseline, options.baselineRange, baselineCounts);
    comparison.current = MeasurePeriod(current, options.currentRange, currentCounts);
    comparison.byRate = comparison.baseline.days > 0 && comparison.current.days > 0;

    std::map<std::pair<std::string, std::string>, std::size_t> rowOf;
    std::vector<ComparisonRow>& rows = comparison.rows;
    const auto keyOf = [&](const DistinctError& error) {
        return std::make_pair(error.text, options.groupByText ? std::string() : error.location);
    };
    const auto rowFor = [&](const DistinctError& error) -> ComparisonRow& {
        const auto [at, added] = rowOf.try_emplace(keyOf(error), rows.size());
        if (added) {
            ComparisonRow& row = rows.emplace_back();
            row.text = at->first.first;
            row.location = at->first.second;
        }
        return rows[at->second];
    };
    for (ErrorId id = 0; id < baseline.Errors().size(); ++id)
        if (baselineCounts[id] > 0) rowFor(baseline.Errors()[id]).baselineCount += baselineCounts[id];
    for (ErrorId id = 0; id < current.Errors().size(); ++id) {
        const DistinctError& error = current.Errors()[id];
        // An error of the current log that is outside its period still leads to its occurrences.
        if (currentCounts[id] == 0 && !rowOf.contains(keyOf(error))) continue;
        ComparisonRow& row = rowFor(error);
        row.currentCount += currentCounts[id];
        row.currentErrors.push_back(id);
    }
    for (ComparisonRow& row : rows) {
        row.baselineRate = RateOf(row.baselineCount, comparison.baseline);
        row.currentRate = RateOf(row.currentCount, comparison.current);
        Classify(row, comparison.byRate);
    }

    const bool byRate = comparison.byRate;
    std::sort(rows.begin(), rows.end(), [byRate](const ComparisonRow& a, const ComparisonRow& b) {
        const double changeA = byRate ? *a.rateChange : static_cast<double>(a.CountChange());
        const double changeB = byRate ? *b.rateChange : static_cast<double>(b.CountChange());
        if (!NearlyEqual(changeA, changeB)) return changeA > changeB;
        if (a.currentCount != b.currentCount) return a.currentCount > b.currentCount;
        if (a.text != b.text) return a.text < b.text;
        return a.location < b.location;
    });
    comparison.note = LengthNote(comparison);
    return comparison;
}

std::string ComparisonCsv(const Comparison& comparison) {
    std::string csv = CsvRecord({"text", "location", "baseline count", "baseline per day", "current count",
                                 "current per day", "change", "change per day", "factor", "mark"});
    for (const ComparisonRow& row : comparison.rows)
        csv += CsvRecord({CsvField(row.text), CsvField(row.location), std::to_string(row.baselineCount),
                          OptionalNumber(row.baselineRate), std::to_string(row.currentCount),
                          OptionalNumber(row.currentRate), std::to_string(row.CountChange()),
                          OptionalNumber(row.rateChange), OptionalNumber(row.factor), MarkOf(row.change)});
    return csv;
}

std::vector<std::string> ComparisonLines(const Comparison& comparison, const std::string& baselineName,
                                         const std::string& currentName, const LocaleFormat& locale) {
    const auto periodLine = [&](const char* label, const std::string& name, const ComparedPeriod& period) {
        std::string line = std::string(label) + name + ", ";
        if (period.wholeLog && period.start == 0)
            line += "no dated entries";
        else
            line += FormatDateTimeText("", period.start, locale) + " to " + FormatDateTimeText("", period.end, locale);
        return line + " (" + DaysText(period.days) + "), " + std::to_string(period.entries) + " entries";
    };
    std::vector<std::string> lines = {periodLine("Baseline: ", baselineName, comparison.baseline),
                                      periodLine("Current:  ", currentName, comparison.current)};
    if (!comparison.note.empty()) lines.push_back(comparison.note);
    lines.emplace_back();

    // Right-aligned numbers in columns as wide as their widest cell; the
    // error's words last, where their length does no harm.
    std::vector<std::vector<std::string>> table = {
        {"Baseline", "Per day", "Current", "Per day", "Change", "Per day", "Factor", "Mark", "Error"}};
    for (const ComparisonRow& row : comparison.rows) {
        const auto shown = [](const std::optional<double>& v) { return v ? DecimalText(*v, 3) : std::string("-"); };
        table.push_back({std::to_string(row.baselineCount), shown(row.baselineRate), std::to_string(row.currentCount),
                         shown(row.currentRate), Signed(std::to_string(row.CountChange())),
                         row.rateChange ? Signed(DecimalText(*row.rateChange, 3)) : "-", shown(row.factor),
                         MarkOf(row.change), row.location.empty() ? row.text : row.text + " - " + row.location});
    }
    std::vector<std::size_t> widths(table.front().size() - 1, 0);
    for (const auto& cells : table)
        for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], cells[c].size());
    for (const auto& cells : table) {
        std::string line;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const std::size_t pad = widths[c] - cells[c].size();
            // The mark reads as a word: left-aligned.
            line += c == 7 ? cells[c] + std::string(pad, ' ') : std::string(pad, ' ') + cells[c];
            line += "  ";
        }
        lines.push_back(line + cells.back());
    }
    return lines;
}

}  // namespace lognex
