// Counting log entries into the error tables one by one, as runs once did:
// the reference the tables written from an analysis are compared with.
#pragma once

#include <cstdint>

#include "logproc/entry_times.h"
#include "logproc/log_entry_parser.h"
#include "tables/error_tables.h"

namespace lognex::testing {

inline void FillOccurrence(Table& occur, const LogEntry& entry, std::int64_t logLine) {
    occur.Insert();
    occur.SetString(kErrorText, entry.text);
    occur.SetString(kErrorLoc, entry.location);
    occur.SetDateTime(kErrorTime, entry.dateTime);
    occur.SetInteger(kLogLine, logLine);
    occur.Post();
}

// Counts one entry whose header is log line logLine (1-based): updates the
// entry times, then finds the distinct error in ErrorName. Known: the
// occurrence is stored, then the count raised. New: the error is stored with
// count 1, then its occurrence. Each change is a transaction of its own.
inline void AddLogEntry(ErrorTables& tables, EntryTimes& times, const LogEntry& entry, std::int64_t logLine) {
    if (times.first == 0) times.first = entry.dateTime;
    times.last = entry.dateTime;

    Table& names = tables.errorNames;
    Table& occur = tables.occurrences;
    if (names.FindKey({entry.text, entry.location})) {
        RunChange(occur, [&] { FillOccurrence(occur, entry, logLine); });
        RunChange(names, [&] {
            names.Edit();
            names.SetInteger(kNumTime, names.GetInteger(kNumTime) + 1);
            names.Post();
        });
    } else {
        RunChange(names, [&] {
            names.Insert();
            names.SetString(kErrorText, entry.text);
            names.SetString(kErrorLoc, entry.location);
            names.SetInteger(kNumTime, 1);
            names.Post();
        });
        RunChange(occur, [&] { FillOccurrence(occur, entry, logLine); });
    }
}

}  // namespace lognex::testing
