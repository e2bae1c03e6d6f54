// Runs the built lognex-report under strace, which makes chosen system calls
// fail (EIO, ENOSPC) or sends a signal at them, and checks that a run either
// does all of its work or fails by name with every earlier output intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cli/tool_run.h"
#include "common/temp_folder.h"
#include "logproc/error_tables_fixture.h"
#include "support/app_paths.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using testing::Quote;
using testing::ReadFile;
using testing::ToolRun;
using testing::WriteFile;

const std::string kLog = testing::ThreeEntryLog();

// Why strace cannot be used here; empty when it can.
std::string StraceProblem() {
    if (std::system("command -v strace >/dev/null 2>&1") != 0) return "strace is not installed";
    if (std::system("strace -qq -o /dev/null true >/dev/null 2>&1") != 0)
        return "strace cannot trace here (ptrace is not permitted)";
    return "";
}

// Files in folder, by name, with their bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = entry.is_regular_file() ? ReadFile(entry.path()) : "<not a file>";
    return files;
}

// Names and sizes, for a failure's message.
std::string Listing(const std::map<std::string, std::string>& files) {
    std::string text;
    for (const auto& [name, bytes] : files) text += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

struct ReportFaults : ::testing::Test {
    testing::TempFolder work;
    const std::string out = work / "out", tmp = work / "tmp";
    std::string tool = LOGNEX_REPORT_EXE;

    void SetUp() override {
        if (const std::string problem = StraceProblem(); !problem.empty()) GTEST_SKIP() << problem;
        testing::MakeFreshTableFiles(work / "db");
        fs::create_directory(out);
        fs::create_directory(tmp);
        WriteFile(work / "err_log.rpt", kLog);
    }

    // The tool on args (relative to work) with the tables in db and TMPDIR
    // tmp; under strace with options when they are given. The sanitizer's
    // leak check stops the world by ptrace, which a traced process cannot.
    ToolRun Run(const std::string& strace, const std::string& args) {
        std::string command = "env LC_ALL=C TMPDIR=" + Quote(tmp);
        if (!strace.empty())
            command += " ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 timeout -s KILL 60 strace -f -qq " +
                       strace;
        return testing::RunInFolder(work.Path(), command + " " + Quote(tool) + " --db db " + args);
    }
};

// A signal while an output is being staged (its temporary file written and
// synced) removes the temporary with everything else the tool made.
TEST_F(ReportFaults, ASignalWhileOutputsAreStagedLeavesNothingBehind) {
    for (const char* when : {"1", "2"}) {  // while the first output is synced, or the second
        WriteFile(out + "/s.txt", "previous\r\n");
        const ToolRun run = Run(std::string("-o /dev/null -e trace=fsync -e inject=fsync:signal=TERM:when=") + when,
                                "--summary out/s.txt --tree out/t.txt err_log.rpt");
        EXPECT_NE(run.status, 0) << when;
        EXPECT_EQ(Contents(out), (std::map<std::string, std::string>{{"s.txt", "previous\r\n"}})) << when;
        EXPECT_TRUE(fs::is_empty(tmp)) << when;
    }
}

// A rename that fails after others succeeded: the files already replaced are
// put back; when putting one back fails as well, the message says which file
// now holds the new output and where the previous one is.
TEST_F(ReportFaults, AFailedRenamePutsBackWhatWasReplaced) {
    const std::string args = "--summary out/s.txt --tree out/t.txt --timeline out/new.csv err_log.rpt";
    const std::map<std::string, std::string> before = {{"s.txt", "previous s\r\n"}, {"t.txt", "previous t\r\n"}};
    const auto prepare = [&] {
        fs::remove_all(out);
        fs::create_directory(out);
        for (const auto& [name, bytes] : before) WriteFile(out + "/" + name, bytes);
    };
    for (const char* when : {"2", "3"}) {  // the tree's rename, or the timeline's (a new file)
        prepare();
        const ToolRun run =
            Run(std::string("-o /dev/null -e trace=rename -e inject=rename:error=EIO:when=") + when, args);
        EXPECT_EQ(run.status, 1) << when;
        const std::string failed = std::string(when) == "2" ? "t.txt" : "new.csv";
        EXPECT_EQ(run.err, "Cannot create file \"" + out + "/" + failed + "\". Input/output error.\n") << when;
        EXPECT_EQ(Contents(out), before) << when;
    }

    // Every rename from the second on fails: the summary cannot be put back.
    prepare();
    const ToolRun run = Run("-o /dev/null -e trace=rename -e inject=rename:error=EIO:when=2+", args);
    EXPECT_EQ(run.status, 1);
    const std::regex expected("Cannot create file \"" + out + "/t\\.txt\"\\. Input/output error\\.\n\"" + out +
                              "/s\\.txt\" was replaced; the previous file is \"" + out +
                              "/(\\.lognex-[0-9a-f]{8}\\.old)\" \\(Input/output error\\)\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(run.err, match, expected)) << run.err;
    const auto after = Contents(out);
    EXPECT_EQ(after.size(), 3u);
    EXPECT_EQ(after.at("s.txt").rfind("First log entry is on ", 0), 0u);
    EXPECT_EQ(after.at("t.txt"), "previous t\r\n");
    EXPECT_EQ(after.at(match[1]), "previous s\r\n");
    EXPECT_TRUE(fs::is_empty(tmp));
}

TEST_F(ReportFaults, AFailedReadOfTheLogNamesItAndTheCause) {
    const ToolRun run =
        Run("-o /dev/null -P " + Quote(work / "err_log.rpt") + " -e trace=read -e inject=read:error=EIO:when=1",
            "--summary out/s.txt err_log.rpt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Failed to Load Stream.\n" + (work / "err_log.rpt") + ": Input/output error\n");
    EXPECT_TRUE(fs::is_empty(out));
}

// Table copies left behind are said; the run's outputs and status stand.
TEST_F(ReportFaults, TableCopiesThatCannotBeRemovedAreSaid) {
    const ToolRun run = Run("-o /dev/null -e trace=rmdir -e inject=rmdir:error=EIO", "--summary out/s.txt err_log.rpt");
    EXPECT_EQ(run.status, 0);
    const std::regex expected("lognex-report: cannot remove the table copies: " + tmp +
                              "/lognex-report-[A-Za-z0-9]{6}: Input/output error\n");
    EXPECT_TRUE(std::regex_match(run.err, expected)) << run.err;
    EXPECT_EQ(ReadFile(out + "/s.txt").rfind("First log entry is on ", 0), 0u);
}

// What sets a call in a trace (strace -y -s 0) apart from others of its
// kind: the folders it touches and its flags, not which file in a folder,
// how many bytes, or the random part of a name.
std::string PhaseOf(const std::string& line) {
    std::string call = line.substr(0, line.rfind(" = "));
    call = std::regex_replace(call, std::regex("^\\d+ +"), "");
    call = std::regex_replace(call, std::regex("lognex-report-[A-Za-z0-9]+"), "lognex-report-*");
    call = std::regex_replace(call, std::regex("/[^/\"<>]*([\"<>])"), "/*$1");  // a path's last part
    call = std::regex_replace(call, std::regex("\"[^\"/]*\""), "\"*\"");        // a name inside a folder
    return std::regex_replace(call, std::regex("\\d+"), "N");
}

// The number of the first call of syscall in a clean run of args whose
// file's path (strace -y) contains part.
int FirstCallOn(ReportFaults& test, const std::string& syscall, const std::string& part, const std::string& args) {
    const std::string trace = test.work / "trace";
    const ToolRun run = test.Run("-y -s 0 -o " + Quote(trace) + " -e trace=" + syscall, args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::regex call("^(\\d+ +)?" + syscall + "\\(");
    int number = 0;
    std::istringstream lines(ReadFile(trace));
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_search(line, call)) continue;
        ++number;
        if (line.find(part) != std::string::npos) return number;
    }
    ADD_FAILURE() << "no " << syscall << " on " << part;
    return 0;
}

// A write of the tables that fails (past a file-size limit, on a full disk)
// is said with where the tables are and why, below the store's own words.
TEST_F(ReportFaults, AFailedWriteOfTheTablesNamesThemAndTheCause) {
    const std::string args = "--summary out/s.txt err_log.rpt";
    // The store's journal is written as the run goes; the tables themselves in batches.
    const int call = FirstCallOn(*this, "pwrite64", "-journal>", args);
    struct Case {
        std::string error, words, cause;
    } cases[] = {
        {"EFBIG", "Database error: disk I/O error\\.", "File too large"},
        {"ENOSPC", "Database error: database or disk is full\\.", "No space left on device"},
    };
    for (const Case& c : cases) {
        fs::remove_all(out);
        fs::create_directory(out);
        const ToolRun run =
            Run("-o /dev/null -e trace=pwrite64 -e inject=pwrite64:error=" + c.error + ":when=" + std::to_string(call),
                args);
        EXPECT_EQ(run.status, 1) << c.error;
        const std::regex expected(c.words + "\n" + tmp +
                                  "/lognex-report-[A-Za-z0-9]{6} \\(the table copies\\): " + c.cause + "\n");
        EXPECT_TRUE(std::regex_match(run.err, expected)) << c.error << ": " << run.err;
        EXPECT_TRUE(fs::is_empty(out)) << c.error;
        EXPECT_TRUE(fs::is_empty(tmp)) << c.error;
    }
}

// The numbers (from 1, as strace counts them: per system call) of the calls
// of each of syscalls in a clean run of args to make fail: the first and the
// last of each phase (PhaseOf), so every kind of call is failed without
// repeating its kind for every file. The sanitizer runtime's calls are left
// alone: it tells readable memory by writing it into a pipe of its own, and
// stops when that fails.
std::map<std::string, std::vector<int>> CallsToFail(ReportFaults& test, const std::set<std::string>& syscalls,
                                                    const std::string& args) {
    const std::string trace = test.work / "trace";
    std::string names;
    for (const std::string& syscall : syscalls) names += (names.empty() ? "" : ",") + syscall;
    const ToolRun run = test.Run("-y -s 0 -o " + Quote(trace) + " -e trace=" + names, args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::regex call("^(\\d+ +)?([a-z0-9_]+)\\(");
    std::map<std::string, int> counted;
    std::map<std::string, std::map<std::string, std::pair<int, int>>> phases;  // first and last call
    std::istringstream lines(ReadFile(trace));
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_search(line, match, call) || !syscalls.contains(match[2])) continue;
        const int number = ++counted[match[2]];
        if (line.find("<pipe:[") != std::string::npos) continue;
        const auto [phase, added] = phases[match[2]].try_emplace(PhaseOf(line), number, number);
        phase->second.second = number;
    }
    fs::remove(trace);
    std::map<std::string, std::vector<int>> calls;
    for (const auto& [syscall, ofSyscall] : phases) {
        std::set<int> numbers;
        for (const auto& [phase, firstAndLast] : ofSyscall) numbers.insert({firstAndLast.first, firstAndLast.second});
        calls[syscall].assign(numbers.begin(), numbers.end());
    }
    return calls;
}

// Each kind of call a full run makes to open, write, sync, rename or remove
// a file fails in turn (one call per run): the run either succeeds with the
// outputs of a clean run, or fails with a message and leaves every earlier
// output as it was. Nothing it made stays behind in the output, temporary or
// program folder unless it says so, the table files it read stay as they
// were, and so the next run starts from where the first did.
TEST_F(ReportFaults, EveryFailingFileCallFailsTheRunWholeOrIsSaid) {
    // A program folder of its own, to see that nothing is left in it either.
    fs::create_directory(work / "bin");
    tool = work / "bin/lognex-report";
    fs::copy_file(LOGNEX_REPORT_EXE, tool);
    const std::string args =
        "--summary out/s.txt --tree out/t.txt --excel out/x.xls --timeline out/tl.svg --source err_log.rpt";
    const std::map<std::string, std::string> before = {{"s.txt", "previous summary\r\n"},
                                                       {"x.xls", "previous workbook"}};
    const auto prepare = [&] {
        fs::remove_all(out);
        fs::remove_all(tmp);
        fs::create_directory(out);
        fs::create_directory(tmp);
        for (const auto& entry : fs::directory_iterator(work / "bin"))
            if (entry.path() != tool) fs::remove_all(entry.path());
        for (const auto& [name, bytes] : before) WriteFile(out + "/" + name, bytes);
    };
    const auto tables = Contents(work / "db");

    prepare();
    ToolRun run = Run("", args);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto expected = Contents(out);
    ASSERT_EQ(expected.size(), 4u);

    struct Fault {
        std::string syscall, error;
    } faults[] = {{"openat", "EIO"}, {"write", "EIO"},    {"write", "ENOSPC"}, {"fsync", "EIO"},   {"rename", "EIO"},
                  {"unlink", "EIO"}, {"unlinkat", "EIO"}, {"rmdir", "EIO"},    {"pwrite64", "EIO"}};
    std::map<std::string, int> outcomes;
    int runs = 0;
    std::set<std::string> syscalls;
    for (const Fault& fault : faults) syscalls.insert(fault.syscall);
    prepare();
    const auto calls = CallsToFail(*this, syscalls, args);
    for (const Fault& fault : faults) {
        EXPECT_TRUE(calls.contains(fault.syscall)) << fault.syscall;
        if (!calls.contains(fault.syscall)) continue;
        for (int call : calls.at(fault.syscall)) {
            const std::string what = fault.syscall + " " + fault.error + " at call " + std::to_string(call);
            prepare();
            run = Run("-o /dev/null -e trace=" + fault.syscall + " -e inject=" + fault.syscall +
                          ":error=" + fault.error + ":when=" + std::to_string(call),
                      args);
            ++runs;
            EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << what << "\n" << run.err;
            EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << what << "\n" << run.err;
            auto now = Contents(out);
            // Whatever is left over must have been named.
            std::set<std::string> leftOvers;
            for (const auto& [name, bytes] : now)
                if (!expected.contains(name)) leftOvers.insert(name);
            for (const std::string& folder : {tmp, work / "bin"})
                for (const auto& entry : fs::directory_iterator(folder))
                    if (entry.path() != tool) leftOvers.insert(entry.path().filename().string());
            for (const std::string& name : leftOvers) {
                EXPECT_NE(run.err.find(name), std::string::npos) << what << ": " << name << " left unsaid\n" << run.err;
                now.erase(name);
            }
            if (run.status == 0) {
                EXPECT_TRUE(now == expected) << what << ":" << Listing(now) << "\n" << run.err;
                ++outcomes[leftOvers.empty() ? "succeeded" : "succeeded, saying what was left over"];
            } else {
                EXPECT_NE(run.err, "") << what;
                EXPECT_TRUE(now == before) << what << ":" << Listing(now) << "\n" << run.err;
                ++outcomes["failed with a message"];
            }
            EXPECT_TRUE(Contents(work / "db") == tables) << what;
        }
    }

    prepare();
    run = Run("", args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Contents(out), expected);
    std::cout << runs << " runs with a failing call:";
    for (const auto& [outcome, count] : outcomes) std::cout << " " << count << " " << outcome << ";";
    std::cout << "\n";
}

}  // namespace
}  // namespace lognex
