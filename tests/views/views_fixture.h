// Small analyses built in the test, for the views made from them.
#pragma once

#include "logproc/analysis.h"
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

// The entries counted as a run would, the k-th with header line 2k + 1.
inline Analysis CountEntries(const std::vector<Counted>& entries) {
    Analysis analysis;
    std::uint32_t line = 1;
    for (const Counted& e : entries) {
        analysis.Append(LogEntry{e.when, e.location, e.text}, HeaderLine{line});
        line += 2;
    }
    return analysis;
}

}  // namespace lognex::testing
