// Tables filled through the aggregation, for the views built from them.
#pragma once

#include "logproc/error_aggregation.h"
#include "logproc/error_tables_fixture.h"
#include "logproc/log_entry_parser.h"

namespace lognex::testing {

inline DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return EncodeCalendarDate(year, month, day) +
           (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + ms) / 86400000.0;
}

struct Counted {
    DateTime when;
    std::string text, location;
};

// Counts the entries as a run would, the k-th with header line 2k + 1.
inline EntryTimes CountEntries(ErrorTables& tables, const std::vector<Counted>& entries) {
    EntryTimes times;
    int line = 1;
    for (const Counted& e : entries) {
        AddLogEntry(tables, times, LogEntry{e.when, e.location, e.text}, line);
        line += 2;
    }
    return times;
}

}  // namespace lognex::testing
