// Error tables on private copies of the installed table files, and small
// logs written into a temporary folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tables/error_tables.h"

namespace lognex::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lognex-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void CopyTableFiles(const std::filesystem::path& to) {
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"})
        std::filesystem::copy_file(std::filesystem::path(LOGNEX_PROGRAM_DIR) / name, to / name);
}

// The three tables, open and empty, in a folder of their own.
struct OpenTables {
    OpenTables() {
        CopyTableFiles(folder.Path());
        aliases.AddAlias(kDatabaseAlias, folder.Path().string());
        tables = std::make_unique<ErrorTables>(aliases);
        tables->Open();
    }

    TempFolder folder;
    AliasRegistry aliases;
    std::unique_ptr<ErrorTables> tables;
};

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
