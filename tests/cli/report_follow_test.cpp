// lognex-report --follow against a log that another process appends to.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "cli/tool_run.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// Waits (at most a minute, on a busy machine) until done() answers true.
bool Eventually(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Appends to file from a process of its own, piece by piece with pauses, as
// a prober writes: a header alone, a text without its break, a CR whose LF
// comes later.
void AppendSlowly(const std::string& file, const std::vector<std::string>& pieces) {
    std::string script;
    for (const std::string& piece : pieces)
        script += "printf '%s' " + testing::Quote(piece) + " >>" + testing::Quote(file) + "; sleep 0.3; ";
    ASSERT_EQ(testing::RunInFolder(fs::path(file).parent_path().string(), script).status, 0);
}

TEST(ReportFollow, PrintsEachNewEntryAndLeavesTheOutputsOfTheFinalLog) {
    const testing::TempFolder work;
    const fs::path db = work.Path() / "db", tmp = work.Path() / "tmp";
    testing::MakeFreshTableFiles(db);
    fs::create_directory(tmp);
    const std::string log = (work.Path() / "err_log.rpt").string();
    WriteFile(log, testing::ThreeEntryLog());
    const std::string out = (work.Path() / "follow.out").string(), err = (work.Path() / "follow.err").string();
    const auto output = [&](const char* name) { return (work.Path() / name).string(); };

    const pid_t tool = fork();
    if (tool == 0) {
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::setenv("LC_ALL", "C", 1);
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) ::_exit(126);
        ::execl(LOGNEX_REPORT_EXE, LOGNEX_REPORT_EXE, "--db", db.c_str(), "--follow", "--summary",
                output("summary.txt").c_str(), "--tree", output("tree.txt").c_str(), "--timeline",
                output("timeline.csv").c_str(), "--excel", output("log.xls").c_str(), log.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(tool, 0);
    // The log as it was is counted and written before anything is appended.
    ASSERT_TRUE(Eventually([&] { return fs::exists(output("timeline.csv")); }));
    EXPECT_EQ(ReadFile(out), "");

    AppendSlowly(log, {"Wed Apr 18 01:00:00 2007 FILE: CVT.c at LINE: 3580\r\n", "Wafer loading",
                       " error - wafer not sensed on chuck pins\r",
                       "\nWed Apr 18 01:00:01 2007 FILE: Vac.c at LINE: 7\r\nVacuum lost\r\n"});
    ASSERT_TRUE(Eventually([&] { return LineCount(ReadFile(out)) == 2; })) << ReadFile(out);
    ASSERT_TRUE(
        Eventually([&] { return ReadFile(output("summary.txt")).find("1 - Vacuum lost") != std::string::npos; }));

    // The log goes away for a while (a share disconnected), and the prober
    // starts a new log: it is counted from its start, its entries news.
    fs::remove(log);
    ASSERT_TRUE(Eventually([&] { return ReadFile(err).find("following waits") != std::string::npos; }));
    WriteFile(log, "Thu Apr 19 08:00:00 2007 FILE: New.c at LINE: 1\nFresh start\n");
    ASSERT_TRUE(Eventually([&] { return LineCount(ReadFile(out)) == 3; })) << ReadFile(out);
    // A last entry still without its break when following stops is taken as it stands.
    AppendSlowly(log, {"Thu Apr 19 08:00:05 2007 FILE: New.c at LINE: 1\nFresh start"});
    ::kill(tool, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(tool, &status, 0), tool);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFile(err);

    EXPECT_EQ(ReadFile(out),
              "04/18/07 01:00:00  3  Wafer loading error - wafer not sensed on chuck pins  FILE: CVT.c at LINE: 3580\n"
              "04/18/07 01:00:01  1  Vacuum lost  FILE: Vac.c at LINE: 7\n"
              "04/19/07 08:00:00  1  Fresh start  FILE: New.c at LINE: 1\n"
              "04/19/07 08:00:05  2  Fresh start  FILE: New.c at LINE: 1\n");
    EXPECT_NE(ReadFile(err).find("err_log.rpt\" is back"), std::string::npos) << ReadFile(err);
    EXPECT_NE(ReadFile(err).find("err_log.rpt\" was replaced"), std::string::npos) << ReadFile(err);

    // The outputs are those of a run over the final log.
    const testing::ToolRun once = testing::RunInFolder(
        work.Path().string(), "TMPDIR=" + testing::Quote(tmp.string()) + " LC_ALL=C " + LOGNEX_REPORT_EXE + " --db " +
                                  testing::Quote(db.string()) +
                                  " --summary once.txt --tree once-tree.txt --timeline once.csv --excel once.xls " +
                                  testing::Quote(log));
    ASSERT_EQ(once.status, 0) << once.err;
    EXPECT_EQ(ReadFile(output("summary.txt")), ReadFile(output("once.txt")));
    EXPECT_EQ(ReadFile(output("tree.txt")), ReadFile(output("once-tree.txt")));
    EXPECT_EQ(ReadFile(output("timeline.csv")), ReadFile(output("once.csv")));
    EXPECT_EQ(ReadFile(output("log.xls")), ReadFile(output("once.xls")));
    EXPECT_TRUE(fs::is_empty(tmp));  // the private table copies went
}

// An output alone is still an output: the error table is written while
// following, not only beside the files of the summary, tree or timeline.
TEST(ReportFollow, WritesTheErrorTableWhenItIsTheOnlyOutput) {
    const testing::TempFolder work;
    const fs::path db = work.Path() / "db";
    testing::MakeFreshTableFiles(db);
    const std::string log = (work.Path() / "err_log.rpt").string();
    WriteFile(log, testing::ThreeEntryLog());
    const std::string errors = (work.Path() / "errors.csv").string(), once = (work.Path() / "once.csv").string();

    const pid_t tool = fork();
    if (tool == 0) {
        ::setenv("LC_ALL", "C", 1);
        if (!freopen("/dev/null", "w", stdout)) ::_exit(126);
        ::execl(LOGNEX_REPORT_EXE, LOGNEX_REPORT_EXE, "--db", db.c_str(), "--follow", "--errors", errors.c_str(),
                log.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(tool, 0);
    const bool written = Eventually([&] { return fs::exists(errors); });
    ::kill(tool, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(tool, &status, 0), tool);
    ASSERT_TRUE(written);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const testing::ToolRun run = testing::RunInFolder(
        work.Path().string(), std::string("LC_ALL=C ") + LOGNEX_REPORT_EXE + " --db " + testing::Quote(db.string()) +
                                  " --errors " + testing::Quote(once) + " " + testing::Quote(log));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(errors), ReadFile(once));
}

}  // namespace
}  // namespace lognex
