// Error tables on private copies of the installed table files, and small
// logs written into a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/temporary_folder.h"
#include "tables/error_tables.h"

namespace lognex::testing {

class TempFolder {
public:
    TempFolder() {
        path_ = MakeTemporaryFolder("lognex-test-");
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
    for (tables.tblError.First(); !tables.tblError.AtEnd(); tables.tblError.Next())
        rows.push_back({tables.tblError.GetString("ErrorText"), tables.tblError.GetString("ErrorLoc"),
                        tables.tblError.GetInteger("NumTime")});
    return rows;
}

// LogLine of every stored occurrence, grouped by error, in log order within one.
inline std::vector<int> OccurrenceLines(ErrorTables& tables) {
    const MasterLink link = tables.tblOccur.DetachMasterLink();
    std::vector<int> lines;
    for (tables.tblOccur.First(); !tables.tblOccur.AtEnd(); tables.tblOccur.Next())
        lines.push_back(tables.tblOccur.GetInteger("LogLine"));
    tables.tblOccur.AttachMasterLink(link);
    return lines;
}

}  // namespace lognex::testing
