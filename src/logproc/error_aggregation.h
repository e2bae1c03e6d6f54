// Counting log entries into the error tables.
#pragma once

#include <cstdint>

#include "logproc/entry_times.h"
#include "logproc/log_entry_parser.h"
#include "tables/error_tables.h"

namespace lognex {

// Counts one entry whose header is log line logLine (1-based): updates the
// entry times, then finds the distinct error (text and location, each cut to
// 90 characters) in ErrorName. Known: the occurrence is stored, then the
// count raised. New: the error is stored with count 1, then its occurrence.
// Each of the two changes is a transaction of its own, skipped without a word
// when a transaction is already active. A failure (LogLine outside the 32-bit
// range, a store error) is passed on after its change was undone; a change
// committed before it stays.
void AddLogEntry(ErrorTables& tables, EntryTimes& times, const LogEntry& entry, std::int64_t logLine);

}  // namespace lognex
