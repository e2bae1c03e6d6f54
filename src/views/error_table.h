// The error table: one row per distinct error (or per text, its locations
// merged) with its count, first and last time, rate per day and share of the
// period's entries; sortable by any column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logproc/analysis.h"
#include "views/time_range.h"

namespace lognex {

enum class ErrorColumn { Count, Error, Location, First, Last, PerDay, Share };
enum class SortOrder { Ascending, Descending };

// The places of the errors' texts and locations in byte order (equal words,
// equal place), per error id. Made once per analysis, they turn sorting by
// a text column into sorting numbers.
struct ErrorTextRanks {
    std::vector<std::uint32_t> text, location;
};

ErrorTextRanks RankErrorTexts(const Analysis& analysis);

struct ErrorRow {
    ErrorId error = 0;  // the row's error; a merged row's first seen location
    // How many locations the row stands for: 1, or more for a merged row.
    std::uint32_t locations = 1;
    // The row's errors: ErrorTable::members[firstMember] on, `locations` of them.
    std::uint32_t firstMember = 0;
    std::uint64_t count = 0;
    DateTime first = 0, last = 0;  // earliest and latest dated occurrence; zero when none is dated
    double perDay = 0;
    double share = 0;  // percent of the period's entries
};

struct ErrorTable {
    std::vector<ErrorRow> rows;
    std::vector<ErrorId> members;
    std::uint64_t entries = 0;  // the period's entries, the 100 % of the shares
    double days = 1;            // the days the rates are counted over
};

// The rows of the errors that occur in the range, most frequent first, equal
// counts in order of first occurrence. With groupByText the rows of one text
// are merged into one (counts added, the earliest first and latest last).
ErrorTable BuildErrorTable(const AnalysisInRange& value, const ErrorTextRanks& ranks, bool groupByText);

// Sorts the rows by a column; rows equal in it keep their order, so sorting
// by one column and then another orders by the second, then the first. Text
// columns sort in byte order; on a merged row Location sorts after every
// single location, by the number of locations. Per day and Share sort as
// Count does, which they are proportional to.
void SortErrorTable(ErrorTable& table, ErrorColumn column, SortOrder order, const ErrorTextRanks& ranks);

// What the Location column holds: the location, or "3 locations" for a merged row.
std::string LocationCellText(const ErrorRow& row, const Analysis& analysis);

}  // namespace lognex
