// Small logs written into a temporary folder, and what the error tables hold.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/fresh_tables.h"
#include "common/temp_folder.h"
#include "tables/error_tables.h"

namespace lognex::testing {

// A header line the parser reads as the given date and time.
inline std::string Header(const std::string& monthDayTimeYear, const std::string& source) {
    return "Tue " + monthDayTimeYear + " FILE: " + source;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Lines joined with CR LF after each, as the prober writes them.
inline std::string LogText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct NameRow {
    std::string text, location;
    int count = 0;
    bool operator==(const NameRow&) const = default;
};

// ErrorName in its current order.
inline std::vector<NameRow> NameRows(ErrorTables& tables) {
    std::vector<NameRow> rows;
    for (tables.errorNames.First(); !tables.errorNames.AtEnd(); tables.errorNames.Next())
        rows.push_back({tables.errorNames.GetString("ErrorText"), tables.errorNames.GetString("ErrorLoc"),
                        tables.errorNames.GetInteger("NumTime")});
    return rows;
}

// LogLine of every stored occurrence, grouped by error, in log order within one.
inline std::vector<int> OccurrenceLines(ErrorTables& tables) {
    const MasterLink link = tables.occurrences.DetachMasterLink();
    std::vector<int> lines;
    for (tables.occurrences.First(); !tables.occurrences.AtEnd(); tables.occurrences.Next())
        lines.push_back(tables.occurrences.GetInteger("LogLine"));
    tables.occurrences.AttachMasterLink(link);
    return lines;
}

}  // namespace lognex::testing
