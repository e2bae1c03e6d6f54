// Runs the built lognex-report on fixture logs in a temporary folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "logproc/error_tables_fixture.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct ToolRun {
    int status = -1;
    std::string out, err;
};

const std::string kLog = testing::LogText({
    "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580",
    "Wafer loading error - wafer not sensed on chuck pins",
    "Tue Apr 17 21:49:59 2007 FILE: PreAlign.c at LINE: 912",
    "Prealign failure - flat not found",
    "Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580",
    "Wafer loading error - wafer not sensed on chuck pins",
});

const std::vector<std::string> kReport = {
    "First log entry is on 04/17/07 21:40:58",
    "Last log entry is on 04/18/07",
    "The log spans 0 days, 2 hours, 19 minutes, and 2 seconds",
    "",
    "Total number of occurrences for each error:",
    "",
    "2 - Wafer loading error - wafer not sensed on chuck pins",
    "1 - Prealign failure - flat not found",
};

std::string Joined(const std::vector<std::string>& lines, const char* end) {
    std::string text;
    for (const auto& l : lines) text += l + end;
    return text;
}

struct ReportTool : ::testing::Test {
    testing::TempFolder work;
    std::string db = work / "db";

    ReportTool() {
        fs::create_directory(db);
        testing::CopyInstalledTableFiles(db);
        WriteFile(work / "err_log.rpt", kLog);
    }

    ToolRun Run(const std::string& args, const std::string& exe = LOGNEX_REPORT_EXE) {
        const std::string command = "cd " + Quote(work.Path().string()) + " && LC_ALL=C " + Quote(exe) + " " + args +
                                    " >" + Quote(work / "stdout") + " 2>" + Quote(work / "stderr");
        const int raw = std::system(command.c_str());
        ToolRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadFile(work / "stdout");
        run.err = ReadFile(work / "stderr");
        return run;
    }
    ToolRun RunDb(const std::string& args) { return Run("--db " + Quote(db) + " " + args); }
};

TEST_F(ReportTool, SummaryOnStandardOutput) {
    const ToolRun run = RunDb("err_log.rpt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Joined(kReport, "\n"));
    EXPECT_EQ(run.err, "");  // no bar: standard error is not a terminal
}

TEST_F(ReportTool, SummaryTreeAndWorkbookFiles) {
    const ToolRun run = RunDb("--summary sum.txt --tree tree.txt --excel 'Error Log.xls' --source err_log.rpt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(work / "sum.txt"), Joined(kReport, "\r\n"));
    EXPECT_EQ(ReadFile(work / "tree.txt"), Joined({
                                               "[1] Prealign failure - flat not found - FILE: PreAlign.c at LINE: 912",
                                               "  04/17/07 21:49:59 - Log File line 3",
                                               "[2] Wafer loading error - wafer not sensed on chuck pins - FILE: CVT.c at LINE: 3580",
                                               "  04/17/07 21:40:58 - Log File line 1",
                                               "  04/18/07 - Log File line 5",
                                           },
                                           "\r\n"));
    EXPECT_EQ(ReadFile(work / "Error Log.xls").substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));

    ASSERT_EQ(RunDb("--tree tree.txt err_log.rpt").status, 0);
    EXPECT_EQ(ReadFile(work / "tree.txt").substr(0, 41), "[1] Prealign failure - flat not found\r\n  ");
}

TEST_F(ReportTool, AFailedRunOrWriteChangesNoOutputFile) {
    WriteFile(work / "bad.rpt", testing::LogText({"Tue Apr 17 21:40:58 2007 FILE: a.c", "A", "",
                                                  "Tue Apr 17 21:49:59 2007 FILE: b.c", "Prealign failure - flat not found",
                                                  "Tue Apr 17 21:50:00 2007 FILE: c.c", "C"}));
    std::vector<std::string> big;
    for (int i = 0; i < 16385; ++i) big.insert(big.end(), {"Tue Apr 17 21:40:58 2007 FILE: a.c", "A"});
    WriteFile(work / "big.rpt", testing::LogText(big));
    struct Case {
        std::string args, message;
    } cases[] = {
        {"missing.rpt", "Cannot open file \"" + (work / "missing.rpt") + "\". No such file or directory."},
        {"bad.rpt", "'flat' is not a valid time."},
        {"big.rpt", "32769 is not a valid value for field 'LogLine'. The allowed range is -32768 to 32767."},
        {"--summary no/such/sum.txt err_log.rpt",
         "Cannot create file \"" + (work / "no/such/sum.txt") + "\". No such file or directory."},
        {"--excel no/such/x.xls err_log.rpt", "No such file or directory."},
    };
    for (const auto& c : cases) {
        WriteFile(work / "old.txt", "previous\r\n");
        const ToolRun run = RunDb("--summary old.txt --tree new.txt " + c.args);
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_EQ(run.err, c.message + "\n") << c.args;
        EXPECT_EQ(ReadFile(work / "old.txt"), "previous\r\n") << c.args;
        EXPECT_FALSE(fs::exists(work / "new.txt")) << c.args;
    }
    for (const auto& entry : fs::directory_iterator(work.Path()))  // no staged file is left behind
        EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
}

TEST_F(ReportTool, UsageAndDatabaseErrorsExitWith2) {
    fs::create_directory(work / "empty");
    struct Case {
        std::string args, errStart;
    } cases[] = {
        {"", "lognex-report: no log file given\nusage: lognex-report"},
        {"--db " + Quote(db) + " --bogus err_log.rpt", "lognex-report: unknown option --bogus\n"},
        {"--db " + Quote(db) + " a.rpt b.rpt", "lognex-report: one log file, please\n"},
        {"--db " + Quote(db) + " err_log.rpt --summary", "lognex-report: --summary needs a file name\n"},
        {"--db " + Quote(db) + " --summary err_log.rpt err_log.rpt", "lognex-report: err_log.rpt is the log file\n"},
        {"--db " + Quote(db) + " --tree x.txt --summary ./x.txt err_log.rpt", "lognex-report: ./x.txt is named for two outputs\n"},
        {"--db empty err_log.rpt", "The database files cannot be found.\n"},
        {"--db nowhere err_log.rpt", "The database files cannot be found.\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << c.args;
        EXPECT_EQ(run.out, "") << c.args;
    }
    EXPECT_EQ(ReadFile(work / "err_log.rpt"), kLog);
}

TEST_F(ReportTool, WithoutDbTheAliasNamesTheProgramFolder) {
    const std::string program = work / "program";
    fs::create_directory(program);
    const std::string exe = program + "/lognex-report";
    fs::copy_file(LOGNEX_REPORT_EXE, exe);

    // No table files beside the program: nothing to open.
    ToolRun run = Run("err_log.rpt", exe);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "The database files cannot be found.\n");

    testing::CopyInstalledTableFiles(program);
    fs::remove(program + "/lognex-aliases.cfg");
    run = Run("err_log.rpt", exe);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Joined(kReport, "\n"));
    EXPECT_NE(ReadFile(program + "/lognex-aliases.cfg").find("EgErrors=" + program), std::string::npos);
    // The installed files are only read: the run worked on copies of them.
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"})
        EXPECT_EQ(ReadFile(program + "/" + name), ReadFile(std::string(LOGNEX_PROGRAM_DIR) + "/" + name)) << name;
}

}  // namespace
}  // namespace lognex
