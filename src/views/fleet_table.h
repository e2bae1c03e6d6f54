// One table over many logs: a row per error, a column per log with its
// count and rate per day, and a total. Logs are added one at a time, so only
// the table and the log being added are held, never every log's analysis.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "logproc/analysis.h"

namespace lognex {

struct FleetColumn {
    std::string name;  // Windows-1252 text: the log's file name or its prober's
    double days = 0;   // from the log's earliest to its latest dated entry
    std::size_t entries = 0;
};

struct FleetRow {
    std::string text, location;
    // Per column; a row made after some columns, or whose error a later log
    // lacks, is shorter: the missing counts are 0.
    std::vector<std::size_t> counts;
    std::size_t total = 0;

    std::size_t CountIn(std::size_t column) const { return column < counts.size() ? counts[column] : 0; }
};

struct FleetTable {
    std::vector<FleetColumn> columns;
    std::vector<FleetRow> rows;  // in order of first appearance
    std::map<std::pair<std::string, std::string>, std::size_t> rowOf;
};

// Adds a log as the next column.
void AddFleetLog(FleetTable& fleet, std::string name, const Analysis& analysis);

// The rows by falling total; equal totals by text, then location.
std::vector<std::size_t> FleetRowsByTotal(const FleetTable& fleet);

// The row's rate per day in one log; none for a log that spans no time.
std::optional<double> FleetRate(const FleetTable& fleet, const FleetRow& row, std::size_t column);

// The row's rate per day of log over the whole fleet: its count in the logs
// that span time over the sum of their days, so a prober's own rate can be
// set against it. None when no log spans time.
std::optional<double> FleetTotalRate(const FleetTable& fleet, const FleetRow& row);

// The table as CSV (UTF-8, CR LF): "text,location", for each log "NAME
// count,NAME per day", then "total count,total per day"; rows by total.
// Rates have a point and three decimals; an unknown one is empty.
std::string FleetCsv(const FleetTable& fleet);

// The columns' names for logs given by their paths: the file names; when two
// are alike (every prober writes err_log.rpt), the names of the folders they
// sit in, named after their probers; when those are alike too, folder and
// file; failing that, the paths. Paths and names are the system's bytes.
std::vector<std::string> FleetColumnNames(const std::vector<std::string>& paths);

}  // namespace lognex
