#include "views/error_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <utility>

namespace lognex {
namespace {

// Dense places of the errors in an order: equal words share a place.
std::vector<std::uint32_t> PlacesIn(const std::vector<ErrorId>& order, const std::vector<DistinctError>& errors,
                                    std::string DistinctError::*words) {
    std::vector<std::uint32_t> place(errors.size());
    std::uint32_t current = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && errors[order[i]].*words != errors[order[i - 1]].*words) ++current;
        place[order[i]] = current;
    }
    return place;
}

// The rows' positions ordered by key, equal keys in their present order: a
// least-significant-digit radix sort over the keys less the least of them,
// 11 bits a pass (each pass's counts fit the first-level cache) and only as
// many passes as their spread needs: none for equal keys, two for the ranks
// of a million texts, four for times over years.
std::vector<std::uint32_t> StableOrderByKey(std::vector<std::uint64_t> keys) {
    constexpr unsigned kBits = 11;
    constexpr std::size_t kBuckets = std::size_t{1} << kBits;
    const std::size_t n = keys.size();
    std::vector<std::uint32_t> order(n), spare(n);
    std::iota(order.begin(), order.end(), 0u);
    if (n < 2) return order;
    const auto [least, most] = std::minmax_element(keys.begin(), keys.end());
    const std::uint64_t base = *least;
    const auto passes = static_cast<std::size_t>((std::bit_width(*most - base) + kBits - 1) / kBits);
    for (std::uint64_t& key : keys) key -= base;
    std::vector<std::uint32_t> counts(passes * kBuckets, 0);
    for (std::uint64_t key : keys)
        for (std::size_t p = 0; p < passes; ++p) ++counts[p * kBuckets + ((key >> (kBits * p)) & (kBuckets - 1))];
    for (std::size_t p = 0; p < passes; ++p) {
        std::uint32_t* count = counts.data() + p * kBuckets;
        const auto shift = static_cast<unsigned>(kBits * p);
        std::uint32_t sum = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) sum += std::exchange(count[b], sum);
        for (std::uint32_t at : order) spare[count[(keys[at] >> shift) & (kBuckets - 1)]++] = at;
        order.swap(spare);
    }
    return order;
}

// A date-time's millisecond as a key that sorts as the time does.
std::uint64_t TimeKey(DateTime when) {
    return static_cast<std::uint64_t>(ToMilliseconds(when)) ^ (std::uint64_t{1} << 63);
}

}  // namespace

ErrorTextRanks RankErrorTexts(const Analysis& analysis) {
    const std::vector<DistinctError>& errors = analysis.Errors();
    ErrorTextRanks ranks;
    ranks.text = PlacesIn(ErrorsByTextAndLocation(analysis), errors, &DistinctError::text);
    std::vector<ErrorId> byLocation(errors.size());
    std::iota(byLocation.begin(), byLocation.end(), ErrorId{0});
    std::sort(byLocation.begin(), byLocation.end(),
              [&](ErrorId a, ErrorId b) { return errors[a].location < errors[b].location; });
    ranks.location = PlacesIn(byLocation, errors, &DistinctError::location);
    return ranks;
}

ErrorTable BuildErrorTable(const AnalysisInRange& value, const ErrorTextRanks& ranks, bool groupByText) {
    const std::size_t errorCount = value.Whole().Errors().size();
    ErrorTable table;
    table.entries = value.entries.size();
    // A period shorter than a day counts as one day: a rate per day is then
    // never more than the count, as a day in which only two hours were logged
    // still had its errors within that day.
    table.days = std::max(1.0, static_cast<double>(value.PeriodMs()) / static_cast<double>(kMillisecondsPerDay));

    // The row of each error: its own, or its text's first seen one.
    constexpr std::uint32_t kNoRow = UINT32_MAX;
    std::vector<std::uint32_t> rowOfError(errorCount, kNoRow);
    std::vector<std::uint32_t> rowOfText(groupByText ? errorCount : 0, kNoRow);
    for (ErrorId e = 0; e < errorCount; ++e) {
        if (value.Count(e) == 0) continue;
        std::uint32_t* row = groupByText ? &rowOfText[ranks.text[e]] : &rowOfError[e];
        if (*row == kNoRow) {
            *row = static_cast<std::uint32_t>(table.rows.size());
            table.rows.push_back({.error = e, .locations = 0});
        }
        rowOfError[e] = *row;
        ErrorRow& r = table.rows[*row];
        ++r.locations;
        r.count += value.Count(e);
        if (value.earliest[e] != 0) {
            r.first = r.first == 0 ? value.earliest[e] : std::min(r.first, value.earliest[e]);
            r.last = std::max(r.last, value.latest[e]);
        }
    }

    std::uint32_t member = 0;
    for (ErrorRow& r : table.rows) {
        r.firstMember = member;
        member += r.locations;
        r.perDay = static_cast<double>(r.count) / table.days;
        r.share = 100.0 * static_cast<double>(r.count) / static_cast<double>(table.entries);
    }
    table.members.resize(member);
    std::vector<std::uint32_t> next(table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) next[r] = table.rows[r].firstMember;
    for (ErrorId e = 0; e < errorCount; ++e)
        if (rowOfError[e] != kNoRow) table.members[next[rowOfError[e]]++] = e;

    SortErrorTable(table, ErrorColumn::Count, SortOrder::Descending, ranks);
    return table;
}

void SortErrorTable(ErrorTable& table, ErrorColumn column, SortOrder order, const ErrorTextRanks& ranks) {
    const std::uint64_t errorCount = ranks.location.size();
    std::vector<std::uint64_t> keys(table.rows.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const ErrorRow& row = table.rows[i];
        switch (column) {
            case ErrorColumn::Count:
            case ErrorColumn::PerDay:
            case ErrorColumn::Share: keys[i] = row.count; break;
            case ErrorColumn::Error: keys[i] = ranks.text[row.error]; break;
            case ErrorColumn::Location:
                keys[i] = row.locations == 1 ? ranks.location[row.error] : errorCount + row.locations;
                break;
            case ErrorColumn::First: keys[i] = TimeKey(row.first); break;
            case ErrorColumn::Last: keys[i] = TimeKey(row.last); break;
        }
        if (order == SortOrder::Descending) keys[i] = ~keys[i];
    }
    std::vector<ErrorRow> sorted;
    sorted.reserve(table.rows.size());
    for (std::uint32_t at : StableOrderByKey(std::move(keys))) sorted.push_back(table.rows[at]);
    table.rows.swap(sorted);
}

std::string LocationCellText(const ErrorRow& row, const Analysis& analysis) {
    if (row.locations == 1) return analysis.Errors()[row.error].location;
    return std::to_string(row.locations) + " locations";
}

}  // namespace lognex
