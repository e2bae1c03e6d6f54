// lognex-report killed with SIGKILL in the middle of a run: the table files it
// leaves behind open and work at the next start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "logproc/error_tables_fixture.h"
#include "tables/sqlite_db.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The largest log a run takes: 16,384 entries of 300 distinct errors.
std::string LargestLog() {
    std::string log;
    for (int i = 0; i < 16384; ++i) {
        char header[96];
        std::snprintf(header, sizeof header, "Tue Apr 17 %02d:%02d:%02d 2007 FILE: Unit%d.c at LINE: %d", i / 3600 % 24,
                      i / 60 % 60, i % 60, i % 300, 100 + i % 300);
        log += std::string(header) + "\r\n" + "Error number " + std::to_string(i * 7 % 300) + " of the prober\r\n";
    }
    return log;
}

// The private table folder a run made under tmp, if it made one.
std::optional<fs::path> PrivateFolder(const fs::path& tmp) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tmp, ec)) {
        if (entry.path().filename().string().starts_with("lognex-report-")) return entry.path();
    }
    return std::nullopt;
}

// True when folder holds the three table files copied whole from db (a file
// being copied is shorter than its source).
bool HasAllTables(const fs::path& folder, const fs::path& db) {
    std::error_code ec;
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"}) {
        const auto size = fs::file_size(folder / name, ec);
        if (ec || size < fs::file_size(db / name)) return false;
    }
    return true;
}

// True while a rollback journal beside a table file holds pages: the run is
// writing to the files.
bool WritingTheFiles(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().string().ends_with("-journal") && entry.file_size(ec) > 0) return true;
    }
    return false;
}

// Starts lognex-report on log with its temporary files under tmp, waits until
// killNow() answers true, and kills it with SIGKILL. Answers whether the run
// was still going when it was killed.
bool RunAndKill(const std::string& db, const std::string& log, const fs::path& tmp,
                const std::function<bool()>& killNow) {
    const std::string summary = (tmp / "summary.txt").string();
    const pid_t pid = fork();
    if (pid == 0) {
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::setenv("LC_ALL", "C", 1);
        ::execl(LOGNEX_REPORT_EXE, LOGNEX_REPORT_EXE, "--db", db.c_str(), "--summary", summary.c_str(), log.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (killNow() || Clock::now() > giveUp) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;  // the run ended first
}

// What the next start does with the tables: open, read, empty, store, read.
void ExpectTablesWork(const fs::path& folder) {
    SCOPED_TRACE(folder.string());
    AliasRegistry aliases;
    aliases.AddAlias(kDatabaseAlias, folder.string());
    {
        ErrorTables tables(aliases);
        ASSERT_NO_THROW(tables.Open());
        // Whatever survived reads (each file is whole on its own; the next
        // start empties them, so no count has to match across files).
        ASSERT_NO_THROW({
            for (tables.errorNames.First(); !tables.errorNames.AtEnd(); tables.errorNames.Next())
                tables.errorNames.GetString(kErrorText);
            tables.occurrences.DetachMasterLink();
            for (tables.occurrences.First(); !tables.occurrences.AtEnd(); tables.occurrences.Next())
                tables.occurrences.GetInteger(kLogLine);
        });
        ASSERT_NO_THROW({
            tables.Empty();
            RunChange(tables.errorNames, [&] {
                tables.errorNames.Insert();
                tables.errorNames.SetString(kErrorText, "after the kill");
                tables.errorNames.SetString(kErrorLoc, "CVT.c");
                tables.errorNames.SetInteger(kNumTime, 1);
                tables.errorNames.Post();
            });
        });
        EXPECT_TRUE(tables.errorNames.FindKey({"after the kill", "CVT.c"}));
        EXPECT_EQ(tables.errorNames.RecordCount(), 1);
    }
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"}) {
        Connection file((folder / name).string(), OpenExistingFlags());
        Statement check(file.Handle(), "PRAGMA integrity_check");
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.ColumnText(0), "ok") << name;
    }
}

TEST(ReportKilled, TableFilesOpenAtTheNextStartWhereverTheRunWasKilled) {
    testing::TempFolder work;
    const std::string db = work / "db";
    fs::create_directory(db);
    testing::MakeFreshTableFiles(db);
    const std::string log = work / "err_log.rpt";
    testing::WriteFile(log, LargestLog());

    // Kill points: as soon as the run has its table files, while it writes
    // them, and at a few moments after it got them (whatever these moments
    // meet on this machine; only what is left behind is checked).
    struct KillPoint {
        std::string name;
        std::function<bool(const fs::path& tmp, Clock::duration sinceFiles)> now;
    };
    const std::vector<KillPoint> points = {
        {"files copied", [](const fs::path&, Clock::duration) { return true; }},
        {"journal written",
         [](const fs::path& tmp, Clock::duration) {
             const auto folder = PrivateFolder(tmp);
             return folder && WritingTheFiles(*folder);
         }},
        {"5 ms", [](const fs::path&, Clock::duration d) { return d >= std::chrono::milliseconds(5); }},
        {"30 ms", [](const fs::path&, Clock::duration d) { return d >= std::chrono::milliseconds(30); }},
        {"100 ms", [](const fs::path&, Clock::duration d) { return d >= std::chrono::milliseconds(100); }},
        {"400 ms", [](const fs::path&, Clock::duration d) { return d >= std::chrono::milliseconds(400); }},
    };
    int killedWithFiles = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        SCOPED_TRACE(points[i].name);
        const fs::path tmp = work.Path() / ("tmp" + std::to_string(i));
        fs::create_directory(tmp);
        std::optional<Clock::time_point> filesSeen;
        const bool killed = RunAndKill(db, log, tmp, [&] {
            if (!filesSeen) {
                const auto folder = PrivateFolder(tmp);
                if (!folder || !HasAllTables(*folder, db)) return false;
                filesSeen = Clock::now();
            }
            return points[i].now(tmp, Clock::now() - *filesSeen);
        });
        const auto folder = PrivateFolder(tmp);
        if (!killed || !folder || !HasAllTables(*folder, db)) continue;
        ++killedWithFiles;
        ExpectTablesWork(*folder);
    }
    // At least the kill right after the copy meets a running process.
    EXPECT_GE(killedWithFiles, 1);
}

}  // namespace
}  // namespace lognex
