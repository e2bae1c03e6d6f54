// What a processing run makes of a log, as one value: every entry in log
// order and every distinct error with its occurrences.
//
// An analysis grows one entry at a time, in log order, through Append; a
// hash index over the distinct errors finds an entry's error without any
// search of the tables. Appending the entries of a log in two or more
// stretches gives the same value as appending them in one go, so a log that
// grows can be followed by appending its new entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logproc/entry_times.h"
#include "logproc/line_numbers.h"
#include "logproc/log_entry_parser.h"
#include "support/date_time.h"

namespace lognex {

// How many characters of an error's text and of its location are kept: the
// width of the tables' fields. Two entries whose texts and locations agree in
// their first 90 characters are one distinct error.
inline constexpr std::size_t kErrorWordsWidth = 90;

// A distinct error's place in Analysis::Errors(): errors are numbered in the
// order of their first occurrence in the log, from 0.
using ErrorId = std::uint32_t;

struct AnalysisEntry {
    DateTime when = 0;  // as parsed, not yet rounded to the millisecond
    HeaderLine line;
    ErrorId error = 0;
    bool operator==(const AnalysisEntry&) const = default;
};

struct DistinctError {
    std::string text;      // cut to kErrorWordsWidth
    std::string location;  // cut to kErrorWordsWidth; empty for a header without "FILE:"
    DateTime first = 0;    // date-time of its first occurrence in log order
    DateTime last = 0;     // and of its last, which need not be the latest
    // Positions in Analysis::Entries() of its occurrences, in log order.
    std::vector<std::uint32_t> occurrences;

    std::size_t Count() const { return occurrences.size(); }
    bool operator==(const DistinctError&) const = default;
};

// A date-time as the tables keep it and the pages show it: to the millisecond.
inline DateTime StoredTime(DateTime when) {
    return static_cast<double>(ToMilliseconds(when)) / static_cast<double>(kMillisecondsPerDay);
}

class Analysis {
public:
    // Counts one entry whose header is on line `line`. Entries come in log
    // order: the entry times follow the rule of a run (the first entry whose
    // time is not zero; the last entry appended).
    void Append(const LogEntry& entry, HeaderLine line);

    const std::vector<AnalysisEntry>& Entries() const { return entries_; }
    const std::vector<DistinctError>& Errors() const { return errors_; }
    const DistinctError& ErrorOf(const AnalysisEntry& entry) const { return errors_[entry.error]; }
    const EntryTimes& Times() const { return times_; }

    // Equal entries, errors and times; the index follows from them.
    bool operator==(const Analysis& other) const {
        return entries_ == other.entries_ && errors_ == other.errors_ && times_.first == other.times_.first &&
               times_.last == other.times_.last;
    }

private:
    ErrorId FindOrAdd(std::string_view text, std::string_view location);
    void Grow();

    std::vector<AnalysisEntry> entries_;
    std::vector<DistinctError> errors_;
    EntryTimes times_;
    // Open addressing over the errors: slot holds id + 1, 0 when free; the
    // table is kept at most half full. hashes_ keeps each error's hash so
    // that growing does not hash the texts again.
    std::vector<std::uint32_t> slots_;
    std::vector<std::size_t> hashes_;
};

// The distinct errors in ErrorName's usual order: by text, then location,
// byte by byte (the tree's order, and the export's before it sorts by date).
std::vector<ErrorId> ErrorsByTextAndLocation(const Analysis& analysis);

// The distinct errors most frequent first, equal counts in order of first
// occurrence (the summary's order).
std::vector<ErrorId> ErrorsByFallingCount(const Analysis& analysis);

}  // namespace lognex
