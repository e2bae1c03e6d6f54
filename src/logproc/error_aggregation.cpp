#include "logproc/error_aggregation.h"

namespace lognex {
namespace {

void FillOccurrence(Table& occur, const LogEntry& entry, std::int64_t logLine) {
    occur.Insert();
    occur.SetString(kErrorText, entry.text);
    occur.SetString(kErrorLoc, entry.location);
    occur.SetDateTime(kErrorTime, entry.dateTime);
    occur.SetInteger(kLogLine, logLine);
    occur.Post();
}

}  // namespace

void AddLogEntry(ErrorTables& tables, EntryTimes& times, const LogEntry& entry, std::int64_t logLine) {
    // The times move before anything is stored, so a failing entry still counts here.
    if (times.first == 0) times.first = entry.dateTime;
    times.last = entry.dateTime;

    Table& names = tables.errorNames;
    Table& occur = tables.occurrences;
    if (names.FindKey({entry.text, entry.location})) {
        // The occurrence goes first: when it cannot be stored, the count stays as it was.
        RunChange(occur, [&] { FillOccurrence(occur, entry, logLine); });
        RunChange(names, [&] {
            names.Edit();
            names.SetInteger(kNumTime, names.GetInteger(kNumTime) + 1);
            names.Post();
        });
    } else {
        // Posting the new error makes it current, which moves the occurrences' link range to it.
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

}  // namespace lognex
