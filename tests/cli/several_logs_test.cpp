// Runs the built lognex-report over several logs: --compare, --fleet, --merge.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/tool_run.h"
#include "logproc/error_tables_fixture.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using testing::LogText;
using testing::Quote;
using testing::ReadFile;
using testing::ToolRun;
using testing::WriteFile;

// count entries of one error, a day apart from the first of the month on.
std::vector<std::string> Daily(const std::string& month, int count, const std::string& text,
                               const std::string& source = "CVT.c at LINE: 3580") {
    std::vector<std::string> lines;
    for (int day = 1; day <= count; ++day) {
        lines.push_back("Tue " + month + " " + std::to_string(day) + " 08:00:00 2007 FILE: " + source);
        lines.push_back(text);
    }
    return lines;
}

std::string Log(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> lines;
    for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
    return LogText(lines);
}

// A log that stops at its third pair: the time is no time.
const std::string kBadLog = LogText({"Tue Apr 17 21:40:58 2007 FILE: a.c", "A", "Tue Apr 17 21:41:00 2007 FILE: a.c",
                                     "A", "Tue Apr 17 flat 2007 FILE: a.c", "A"});

// CSV records as gnumeric reads them back, each as its cells (no cell here holds a '|').
std::vector<std::vector<std::string>> SpreadsheetCells(const std::string& folder, const std::string& csv) {
    const ToolRun run =
        testing::RunInFolder(folder,
                             "ssconvert --import-type=Gnumeric_stf:stf_csvtab --export-type=Gnumeric_stf:stf_assistant "
                             "-O 'separator=| quoting-mode=never format=raw eol=unix' " +
                                 Quote(csv) + " cells.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ReadFile(folder + "/cells.txt"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '|');) cells.push_back(cell);
        if (!line.empty() && line.back() == '|') cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

bool HaveSsconvert() { return std::system("command -v ssconvert >/dev/null 2>&1") == 0; }

struct SeveralLogs : ::testing::Test {
    testing::TempFolder work;
    ToolRun Run(const std::string& args) {
        return testing::RunInFolder(work.Path(), "env LC_ALL=C " + Quote(LOGNEX_REPORT_EXE) + " " + args);
    }
};

TEST_F(SeveralLogs, CompareWritesCsvTextOrStandardOutput) {
    // Four days of vacuum errors before the repair; after it, one day of
    // two, and an error the old log did not have.
    WriteFile(work / "before.rpt", Log({Daily("Apr", 5, "Vacuum lost, chuck \"A\"")}));
    WriteFile(work / "after.rpt",
              Log({Daily("May", 2, "Vacuum lost, chuck \"A\""), Daily("May", 2, "Caf\xE9 timeout", "T.c")}));

    ToolRun run = Run("--compare before.rpt after.rpt --out cmp.csv");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const std::string csv = ReadFile(work / "cmp.csv");
    EXPECT_EQ(csv,
              "text,location,baseline count,baseline per day,current count,current per day,change,change per day,"
              "factor,mark\r\n"
              "Caf\xC3\xA9 timeout,FILE: T.c,0,0.000,2,2.000,2,2.000,,new\r\n"
              "\"Vacuum lost, chuck \"\"A\"\"\",FILE: CVT.c at LINE: 3580,5,1.250,2,2.000,-3,0.750,1.600,\r\n");

    if (HaveSsconvert()) {
        const auto cells = SpreadsheetCells(work.Path(), "cmp.csv");
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(cells[0],
                  (std::vector<std::string>{"text", "location", "baseline count", "baseline per day", "current count",
                                            "current per day", "change", "change per day", "factor", "mark"}));
        for (const auto& row : cells) EXPECT_EQ(row.size(), 10u);
        EXPECT_EQ(cells[1][0], "Caf\xC3\xA9 timeout");
        EXPECT_EQ(cells[1][9], "new");
        EXPECT_EQ(cells[2][0], "Vacuum lost, chuck \"A\"");
        EXPECT_EQ(cells[2][8], "1.6");
    }

    run = Run("--compare before.rpt after.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = run.out;
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "Baseline: before.rpt, 04/01/07 08:00:00 to 04/05/07 08:00:00 "
              "(4.00 days), 5 entries");
    EXPECT_NE(text.find("\nThe periods differ much in length (baseline 4.00 days, current 1.00 days)"),
              std::string::npos)
        << text;
    ASSERT_EQ(Run("--out cmp.txt --compare before.rpt after.rpt").status, 0);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadFile(work / "cmp.txt"), crlf);
}

TEST_F(SeveralLogs, CompareNamesEveryLogItCannotRead) {
    WriteFile(work / "good.rpt", Log({Daily("Apr", 2, "A")}));
    WriteFile(work / "bad.rpt", kBadLog);
    WriteFile(work / "cmp.csv", "previous");
    const ToolRun run = Run("--compare missing.rpt bad.rpt --out cmp.csv");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot open file \"" + (work / "missing.rpt") + "\". No such file or directory.\n" +
                           (work / "bad.rpt") + " line 5: 'flat' is not a valid time.\n");
    EXPECT_EQ(ReadFile(work / "cmp.csv"), "previous");
}

TEST_F(SeveralLogs, FleetOverAFolderOfProbersWithABadLog) {
    for (const char* prober : {"P01", "P02", "P03", "P04"}) fs::create_directories(work.Path() / "fleet" / prober);
    WriteFile(work / "fleet/P01/err_log.rpt", Log({Daily("Apr", 3, "Vacuum"), Daily("Apr", 1, "Align", "A.c")}));
    WriteFile(work / "fleet/P02/err_log.rpt", kBadLog);
    WriteFile(work / "fleet/P03/err_log.rpt", Log({Daily("Apr", 5, "Align", "A.c")}));
    WriteFile(work / "fleet/P04/err_log.RPT", Log({Daily("Apr", 1, "Vacuum")}));  // one moment: no rate
    WriteFile(work / "fleet/P03/notes.txt", "not a log");
    WriteFile(work / "fleet/P03/old.rpt", kBadLog);  // failed, it does not change how the others are named

    const ToolRun run = Run("--fleet fleet.csv fleet");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, (work / "fleet/P02/err_log.rpt") + " line 5: 'flat' is not a valid time.\n" +
                           (work / "fleet/P03/old.rpt") + " line 5: 'flat' is not a valid time.\n");
    const std::string csv = ReadFile(work / "fleet.csv");
    EXPECT_EQ(csv,
              "text,location,P01 count,P01 per day,P03 count,P03 per day,P04 count,P04 per day,total count,"
              "total per day\r\n"
              "Align,FILE: A.c,1,0.500,5,1.250,0,,6,1.000\r\n"
              "Vacuum,FILE: CVT.c at LINE: 3580,3,1.500,0,0.000,1,,4,0.500\r\n");
    if (HaveSsconvert()) {
        const auto cells = SpreadsheetCells(work.Path(), "fleet.csv");
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(cells[0][2], "P01 count");
        EXPECT_EQ(cells[1],
                  (std::vector<std::string>{"Align", "FILE: A.c", "1", "0.5", "5", "1.25", "0", "", "6", "1"}));
    }

    // Logs named one by one take their file names; one that is missing is
    // named, and when none can be read nothing is written.
    const ToolRun named = Run("--fleet named.csv fleet/P01/err_log.rpt missing.rpt");
    EXPECT_EQ(named.status, 1);
    EXPECT_NE(named.err.find("Cannot open file \"" + (work / "missing.rpt") + "\""), std::string::npos) << named.err;
    EXPECT_EQ(ReadFile(work / "named.csv").substr(0, 73),
              "text,location,err_log.rpt count,err_log.rpt per day,total count,total per");
    const ToolRun none = Run("--fleet none.csv missing.rpt fleet/P02");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("lognex-report: no log could be read; none.csv is not written"), std::string::npos);
    EXPECT_FALSE(fs::exists(work / "none.csv"));
}

TEST_F(SeveralLogs, MergeReadsRotatedFilesAsOneLogInTimeOrder) {
    WriteFile(work / "err_log.rpt", Log({Daily("May", 1, "Vacuum")}));
    WriteFile(work / "err_log.1.rpt", Log({Daily("Apr", 2, "Vacuum"), Daily("Apr", 1, "Align", "A.c")}));
    const ToolRun run = Run("--merge --summary sum.txt --tree tree.txt err_log.rpt err_log.1.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(work / "tree.txt"), LogText({
                                               "[1] Align",
                                               "  04/01/07 08:00:00 - err_log.1.rpt line 5",
                                               "[3] Vacuum",
                                               "  04/01/07 08:00:00 - err_log.1.rpt line 1",
                                               "  04/02/07 08:00:00 - err_log.1.rpt line 3",
                                               "  05/01/07 08:00:00 - err_log.rpt line 1",
                                           }));
    const std::string summary = ReadFile(work / "sum.txt");
    EXPECT_EQ(summary.substr(0, summary.find("\r\n")), "First log entry is on 04/01/07 08:00:00");
    EXPECT_NE(summary.find("\r\n3 - Vacuum\r\n1 - Align\r\n"), std::string::npos) << summary;

    // A file that cannot be read is named; the others are still reported.
    const ToolRun partial = Run("--merge err_log.rpt missing.rpt");
    EXPECT_EQ(partial.status, 1);
    EXPECT_EQ(partial.out.substr(0, partial.out.find('\n')), "First log entry is on 05/01/07 08:00:00");
    EXPECT_NE(partial.err.find("missing.rpt"), std::string::npos);
}

// SIGTERM while the outputs are put in place (here: the summary waits for a
// reader of its FIFO, the tree is staged beside its file) leaves nothing
// staged behind and still ends the tool by the signal.
TEST_F(SeveralLogs, AnInterruptedMergeLeavesNoStagedOutput) {
    WriteFile(work / "err_log.rpt", Log({Daily("May", 2, "Vacuum")}));
    ASSERT_EQ(::mkfifo((work / "pipe").c_str(), 0600), 0);
    fs::create_directory(work.Path() / "out");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(LOGNEX_REPORT_EXE, LOGNEX_REPORT_EXE, "--merge", "--summary", (work / "pipe").c_str(), "--tree",
                (work / "out/tree.txt").c_str(), (work / "err_log.rpt").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto staged = [&] { return !fs::is_empty(work.Path() / "out"); };
    for (int tries = 0; tries < 2000 && !staged(); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(staged());
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(fs::is_empty(work.Path() / "out"));
}

TEST_F(SeveralLogs, WrongCommandLines) {
    struct Case {
        std::string args, message;
    } cases[] = {
        {"--compare a.rpt", "--compare takes two logs: the baseline, then the current log"},
        {"--compare a.rpt b.rpt --out c.xlsx", "--out needs a file ending in .csv or .txt"},
        {"--compare a.rpt b.rpt --summary s.txt", "--compare writes only --out"},
        {"--compare a.csv b.rpt --out a.csv", "a.csv is the log file"},
        {"--fleet f.txt a.rpt", "--fleet needs a file ending in .csv"},
        {"--fleet f.csv", "--fleet needs logs or folders of logs"},
        {"--fleet f.csv --merge a.rpt", "choose one of --compare, --fleet and --merge"},
        {"--merge", "--merge needs the files of one log"},
        {"--merge --out x.csv a.rpt", "--out goes with --compare"},
        {"--fleet f.csv --out g.csv a.rpt", "--out goes with --compare"},
        {"--out g.csv --fleet f.csv a.rpt", "--out goes with --compare"},
        {"--out x.csv a.rpt", "--out goes with --compare"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "lognex-report: " + c.message) << c.args;
    }
}

}  // namespace
}  // namespace lognex
