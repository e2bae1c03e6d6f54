// Runs the built lognex-report on fixture logs in a temporary folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string_view>
#include <thread>

#include "cli/tool_run.h"
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
        testing::MakeFreshTableFiles(db);
        WriteFile(work / "err_log.rpt", kLog);
    }

    ToolRun Run(const std::string& args, const std::string& exe = LOGNEX_REPORT_EXE,
                const std::string& environment = "") {
        return testing::RunInFolder(work.Path(), "env LC_ALL=C " + environment + " " + Quote(exe) + " " + args);
    }
    ToolRun RunDb(const std::string& args) { return Run("--db " + Quote(db) + " " + args); }
    // A table file as the build makes it, to compare installed ones with.
    std::string FreshTableFile(std::string_view name) {
        const std::string fresh = work / "fresh";
        if (!fs::exists(fresh)) testing::MakeFreshTableFiles(fresh);
        return ReadFile(fresh + "/" + std::string(name));
    }
    // After prefix (a ulimit, a setpriv, ...).
    ToolRun RunWith(const std::string& prefix, const std::string& args, const std::string& exe = LOGNEX_REPORT_EXE) {
        return testing::RunInFolder(work.Path(), prefix + "env LC_ALL=C " + Quote(exe) + " " + args);
    }
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
    EXPECT_EQ(ReadFile(work / "tree.txt"),
              Joined(
                  {
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
    WriteFile(work / "bad.rpt",
              testing::LogText({"Tue Apr 17 21:40:58 2007 FILE: a.c", "A", "", "Tue Apr 17 21:49:59 2007 FILE: b.c",
                                "Prealign failure - flat not found", "Tue Apr 17 21:50:00 2007 FILE: c.c", "C"}));
    struct Case {
        std::string args, message;
    } cases[] = {
        {"missing.rpt", "Cannot open file \"" + (work / "missing.rpt") + "\". No such file or directory."},
        {"bad.rpt", "'flat' is not a valid time."},
        {"--summary no/such/sum.txt err_log.rpt",
         "Cannot create file \"" + (work / "no/such/sum.txt") + "\". No such file or directory."},
        {"--excel no/such/x.xls err_log.rpt",
         "Cannot create file \"" + (work / "no/such/x.xls") + "\". No such file or directory."},
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

TEST_F(ReportTool, CountsLogsPastSixteenThousandEntriesWhole) {
    // 16,385 entries: the last header is line 32,769, which a 16-bit line number could not hold.
    std::vector<std::string> big;
    for (int i = 0; i < 16385; ++i) big.insert(big.end(), {"Tue Apr 17 21:40:58 2007 FILE: a.c", "A"});
    big.insert(big.end(), {"Wed Apr 18 06:00:00 2007 FILE: b.c", "B"});
    WriteFile(work / "big.rpt", testing::LogText(big));
    const ToolRun run = RunDb("--summary sum.txt --tree tree.txt --excel big.xls big.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string summary = ReadFile(work / "sum.txt");
    EXPECT_NE(summary.find("16385 - A"), std::string::npos) << summary.substr(0, 400);
    EXPECT_NE(summary.find("1 - B"), std::string::npos);
    const std::string tree = ReadFile(work / "tree.txt");
    EXPECT_NE(tree.find("Log File line 32769\r\n"), std::string::npos);
    EXPECT_NE(tree.find("Log File line 32771\r\n"), std::string::npos);
}

TEST_F(ReportTool, UsageAndDatabaseErrorsExitWith2) {
    fs::create_directory(work / "empty");
    // Links are followed to where a write would land, a dangling one too.
    fs::create_symlink("o.txt", work / "dangling");
    fs::create_symlink(db + "/ErrorOccur.ff2", work / "table-link");
    struct Case {
        std::string args, errStart;
    } cases[] = {
        {"", "lognex-report: no log file given\nusage: lognex-report"},
        {"--db " + Quote(db) + " --bogus err_log.rpt", "lognex-report: unknown option --bogus\n"},
        {"--db " + Quote(db) + " a.rpt b.rpt", "lognex-report: one log file, please\n"},
        {"--db " + Quote(db) + " err_log.rpt --summary", "lognex-report: --summary needs a file name\n"},
        {"--db " + Quote(db) + " --summary err_log.rpt err_log.rpt", "lognex-report: err_log.rpt is the log file\n"},
        {"--db " + Quote(db) + " --tree x.txt --summary ./x.txt err_log.rpt",
         "lognex-report: ./x.txt is named for two outputs\n"},
        {"--db " + Quote(db) + " --summary o.txt --tree dangling err_log.rpt",
         "lognex-report: o.txt is named for two outputs\n"},
        {"--db " + Quote(db) + " --excel " + Quote(db + "/ForExcel.ff2") + " err_log.rpt",
         "lognex-report: " + db + "/ForExcel.ff2 is a table file\n"},
        {"--db " + Quote(db) + " --timeline x.csv --tree table-link err_log.rpt",
         "lognex-report: table-link is a table file\n"},
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
    EXPECT_FALSE(fs::exists(work / "o.txt"));
    EXPECT_FALSE(fs::exists(work / "x.csv"));
    for (std::string_view table : kInstalledTableFiles)
        EXPECT_EQ(ReadFile(db + "/" + std::string(table)), FreshTableFile(table)) << table;
}

// Any name the file system takes can be written: the staged file's own name
// stays short.
TEST_F(ReportTool, OutputsMayHaveTheLongestNames) {
    const std::string longest = std::string(251, 's') + ".txt";
    const std::string shorter = std::string(237, 't') + ".txt";
    WriteFile(work / longest, "previous\r\n");
    const ToolRun run = RunDb("--summary " + longest + " --tree " + shorter + " err_log.rpt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(work / longest), Joined(kReport, "\r\n"));
    EXPECT_EQ(ReadFile(work / shorter).substr(0, 4), "[1] ");
    for (const auto& entry : fs::directory_iterator(work.Path()))  // nothing staged is left
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// A temporary folder the table copies cannot go to is named with the cause
// below the usual words; an empty TMPDIR counts as none, a relative one is
// taken from the current folder.
TEST_F(ReportTool, AnUnusableTemporaryFolderIsNamed) {
    WriteFile(work / "a-file", "");
    fs::create_directory(work / "here");
    struct Case {
        std::string tmpdir, cause;  // cause empty: the run works
    } cases[] = {
        {work / "missing", work / "missing (the temporary folder): No such file or directory"},
        {work / "a-file", work / "a-file (the temporary folder): Not a directory"},
        {"gone", work / "gone (the temporary folder): No such file or directory"},
        {"", ""},
        {"here", ""},
    };
    for (const auto& c : cases) {
        const ToolRun run = Run("--db " + Quote(db) + " err_log.rpt", LOGNEX_REPORT_EXE, "TMPDIR=" + Quote(c.tmpdir));
        if (c.cause.empty()) {
            EXPECT_EQ(run.status, 0) << c.tmpdir << ": " << run.err;
            EXPECT_EQ(run.out, Joined(kReport, "\n")) << c.tmpdir;
        } else {
            EXPECT_EQ(run.status, 2) << c.tmpdir;
            EXPECT_EQ(run.err, "The database files cannot be found.\n" + c.cause + "\n") << c.tmpdir;
        }
    }
    EXPECT_TRUE(fs::is_empty(work / "here"));
}

TEST_F(ReportTool, WithoutDbTheAliasNamesTheProgramFolder) {
    const std::string program = work / "program";
    fs::create_directory(program);
    const std::string exe = program + "/lognex-report";
    fs::copy_file(LOGNEX_REPORT_EXE, exe);

    // No table files beside the program: nothing to open.
    ToolRun run = Run("err_log.rpt", exe);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "The database files cannot be found.\n" + program + "/ErrorName.ff2: No such file or directory\n");

    testing::MakeFreshTableFiles(program);
    fs::remove(program + "/lognex-aliases.cfg");
    run = Run("err_log.rpt", exe);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Joined(kReport, "\n"));
    EXPECT_NE(ReadFile(program + "/lognex-aliases.cfg").find("EgErrors=" + program), std::string::npos);
    // The installed files are only read: the run worked on copies of them.
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"})
        EXPECT_EQ(ReadFile(program + "/" + name), FreshTableFile(name)) << name;
}

// Inputs that would hang the tool, never end, or flood the terminal: each is
// refused or shown by name, the exit status stays 1 and no earlier output
// changes.
TEST_F(ReportTool, HostileInputsFailByNameAndChangeNoOutput) {
    ASSERT_EQ(::mkfifo((work / "fifo.rpt").c_str(), 0600), 0);
    fs::create_symlink(work / "fifo.rpt", work / "link.rpt");
    fs::create_directory(work / "folder.rpt");
    WriteFile(work / "escape.rpt", testing::LogText({"Tue Apr 17 \x1b]0;owned\x07 2007", "text"}));
    WriteFile(work / "nul.rpt", std::string("Tue Apr 17 '17.\0x 2007\r\ntext\r\n", 30));
    struct Case {
        std::string log, message;
    } cases[] = {
        {"fifo.rpt",
         "Cannot open file \"" + (work / "fifo.rpt") + "\". It is a FIFO (named pipe), not a regular file."},
        {"link.rpt",
         "Cannot open file \"" + (work / "link.rpt") + "\". It is a FIFO (named pipe), not a regular file."},
        {"folder.rpt", "Cannot open file \"" + (work / "folder.rpt") + "\". Is a directory."},
        {"/dev/zero", "Cannot open file \"/dev/zero\". It is a device, not a regular file."},
        {"escape.rpt", "'\\x1B]0;owned\\x07' is not a valid time."},
        {"nul.rpt", "''17.\\0x' is not a valid time."},
    };
    for (const auto& c : cases) {
        WriteFile(work / "old.txt", "previous\r\n");
        const ToolRun run = RunDb("--summary old.txt " + c.log);
        EXPECT_EQ(run.status, 1) << c.log;
        EXPECT_EQ(run.err, c.message + "\n") << c.log;
        EXPECT_EQ(ReadFile(work / "old.txt"), "previous\r\n") << c.log;
    }

    // A NUL inside an error text is stored and written like any other byte.
    WriteFile(work / "nul-text.rpt", std::string("Tue Apr 17 21:40:58 2007 FILE: a.c\r\nabc\0def\r\n", 45));
    ASSERT_EQ(RunDb("--tree tree.txt nul-text.rpt").status, 0);
    EXPECT_EQ(ReadFile(work / "tree.txt").substr(0, 13), std::string("[1] abc\0def\r\n", 13));
}

// An output that is a link is written where the link points, the link kept;
// a FIFO or device is written into, never replaced; a full device or a file
// size limit fails the run by name (exit 1) before any other output changes.
TEST_F(ReportTool, OutputsAreWrittenThroughLinksAndIntoDevices) {
    WriteFile(work / "real.txt", "old real");
    fs::create_symlink("real.txt", work / "link.txt");
    ToolRun run = RunDb("--summary link.txt err_log.rpt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(work / "link.txt"));
    EXPECT_EQ(ReadFile(work / "real.txt"), Joined(kReport, "\r\n"));

    // A reader on a FIFO gets the summary through it.
    ASSERT_EQ(::mkfifo((work / "pipe").c_str(), 0600), 0);
    run = RunWith("{ cat pipe > from-pipe.txt & } ; ",
                  "--db " + Quote(db) + " --summary pipe err_log.rpt 2>err; s=$?; wait; exit $s");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(work / "from-pipe.txt"), Joined(kReport, "\r\n"));
    EXPECT_EQ(fs::symlink_status(work / "pipe").type(), fs::file_type::fifo);

    std::vector<std::string> many;
    for (int i = 0; i < 700; ++i)
        many.insert(many.end(), {"Tue Apr 17 21:40:58 2007 FILE: a.c", "E" + std::to_string(i % 7)});
    WriteFile(work / "many.rpt", testing::LogText(many));

    // Device nodes of this test's own (root only): written into, kept as nodes.
    const bool devices = ::mknod((work / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                         ::mknod((work / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    struct Case {
        std::string prefix, args, message;
    } cases[] = {
        {"", "--tree old.txt --summary pipe err_log.rpt",  // nobody reads it: no wait
         "Cannot create file \"" + (work / "pipe") + "\". No such device or address."},
        // The workbook (about 33 KB) passes the limit, the table copies (up to 16 KB) do not.
        {"ulimit -f 24; ", "--summary old.txt --excel big.xls many.rpt",
         "Cannot create file \"" + (work / "big.xls") + "\". File too large."},
        {"", devices ? "--tree old.txt --summary full err_log.rpt" : "",
         "Cannot create file \"" + (work / "full") + "\". No space left on device."},
        {"", devices ? "--tree old.txt --summary null err_log.rpt" : "", ""},
    };
    for (const auto& c : cases) {
        if (c.args.empty()) continue;
        WriteFile(work / "old.txt", "previous\r\n");
        run = RunWith(c.prefix, "--db " + Quote(db) + " " + c.args);
        EXPECT_EQ(run.status, c.message.empty() ? 0 : 1) << c.args;
        EXPECT_EQ(run.err, c.message.empty() ? "" : c.message + "\n") << c.args;
        if (!c.message.empty()) {
            EXPECT_EQ(ReadFile(work / "old.txt"), "previous\r\n") << c.args;
        }
        EXPECT_FALSE(fs::exists(work / "big.xls")) << c.args;
    }
    if (devices) {
        EXPECT_EQ(fs::symlink_status(work / "null").type(), fs::file_type::character);
        EXPECT_EQ(fs::symlink_status(work / "full").type(), fs::file_type::character);
    }
    for (const auto& entry : fs::directory_iterator(work.Path()))  // no temporary is left behind
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

// setpriv prefix that runs a command as nobody when the tests run as root.
std::string AsOrdinaryUser() { return ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : ""; }

// Every way the table files can fail to open is named with the file and the
// cause below the usual words, exit 2; read-only installed files work.
TEST_F(ReportTool, TableOpenFailuresNameTheFileAndTheCause) {
    fs::permissions(work.Path(), fs::perms::all);  // an ordinary user may go in
    // ... and run the tool, wherever the build lies (a private folder, say).
    const std::string tool = work / "lognex-report";
    fs::copy_file(LOGNEX_REPORT_EXE, tool);
    const std::string bad = work / "bad";
    fs::create_directory(bad);
    testing::MakeFreshTableFiles(bad);
    const std::string name = bad + "/ErrorName.ff2";
    const std::string fresh = db + "/ErrorName.ff2";
    struct Case {
        const char* what;
        std::string content, prefix, cause;  // content "-": a fresh file, mode 0000; "+": a fresh file
    } cases[] = {
        {"damaged", std::string(4096, 'x'), "", name + ": file is not a database"},
        {"empty", "", "", name + ": Table does not exist."},
        {"unreadable", "-", AsOrdinaryUser(), name + ": Permission denied"},
        // A table copy past the file-size limit: named, not killed by SIGXFSZ.
        {"too large to copy", "+", "ulimit -f 8; ", "/ErrorName.ff2: File too large"},
    };
    for (const auto& c : cases) {
        fs::remove(name);
        if (c.content == "-" || c.content == "+") {
            fs::copy_file(fresh, name);
            if (c.content == "-") fs::permissions(name, fs::perms::none);
        } else {
            WriteFile(name, c.content);
        }
        const ToolRun run = RunWith(c.prefix, "--db " + Quote(bad) + " err_log.rpt", tool);
        EXPECT_EQ(run.status, 2) << c.what;
        const std::string first = "The database files cannot be found.\n";
        EXPECT_EQ(run.err.substr(0, first.size()), first) << c.what;
        EXPECT_TRUE(run.err.ends_with(c.cause + "\n")) << c.what << ": " << run.err;
    }

    // Installed read-only, run by an ordinary user: the private copies can be written.
    const std::string readOnly = work / "readonly";
    fs::create_directory(readOnly);
    testing::MakeFreshTableFiles(readOnly);
    for (const auto& entry : fs::directory_iterator(readOnly))
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(work / "err_log.rpt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ToolRun run = RunWith(AsOrdinaryUser(), "--db " + Quote(readOnly) + " err_log.rpt", tool);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(work / "stdout"), Joined(kReport, "\n"));
}

// In a shared sticky folder another user's file cannot be replaced, though
// it may be written: the run fails on it before any output changes.
TEST_F(ReportTool, AnOutputThatCannotBeReplacedChangesNoOther) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    fs::permissions(work.Path(), fs::perms::all);
    const std::string tool = work / "lognex-report";
    fs::copy_file(LOGNEX_REPORT_EXE, tool);
    const std::string shared = work / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    WriteFile(shared + "/mine.txt", "previous mine\r\n");
    ASSERT_EQ(::chown((shared + "/mine.txt").c_str(), 65534, 65534), 0);
    WriteFile(shared + "/theirs.txt", "previous theirs\r\n");
    fs::permissions(shared + "/theirs.txt",
                    fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec & ~fs::perms::others_exec);
    const ToolRun run =
        RunWith(AsOrdinaryUser(),
                "--db " + Quote(db) + " --summary shared/mine.txt --tree shared/theirs.txt err_log.rpt", tool);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot create file \"" + shared + "/theirs.txt\". Operation not permitted.\n");
    EXPECT_EQ(ReadFile(shared + "/mine.txt"), "previous mine\r\n");
    EXPECT_EQ(ReadFile(shared + "/theirs.txt"), "previous theirs\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 2);
}

// Out of memory is said with the log it happened on.
TEST_F(ReportTool, RunningOutOfMemoryIsNamed) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer needs more address space than a limit leaves, and its operator new aborts "
                    "instead of throwing";
#endif
    // The least address space a run on the small log needs, found by halving;
    // then a log whose buffer (12 MB) does not fit in what is left.
    const auto runsWithin = [&](long kilobytes) {
        return RunWith("ulimit -v " + std::to_string(kilobytes) + "; ", "--db " + Quote(db) + " err_log.rpt").status ==
               0;
    };
    long low = 1024, high = 1 << 20;
    ASSERT_TRUE(runsWithin(high));
    while (high - low > 1024) {
        const long middle = (low + high) / 2;
        (runsWithin(middle) ? high : low) = middle;
    }
    WriteFile(work / "large.rpt", kLog + std::string(12 << 20, '\n'));
    const ToolRun run = RunWith("ulimit -v " + std::to_string(high + 4096) + "; ",
                                "--db " + Quote(db) + " --summary old.txt large.rpt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Out of memory.\n" + (work / "large.rpt") + ": Cannot allocate memory\n");
}

// SIGINT or SIGTERM while the tool works (here: stuck writing a summary no
// one reads) removes its private table copies and still ends it by the signal.
TEST_F(ReportTool, AnInterruptedRunLeavesNoTableCopies) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1500; ++i)
        lines.insert(lines.end(), {"Tue Apr 17 21:40:58 2007 FILE: a.c",
                                   "Distinct error number " + std::to_string(i) + std::string(40, '.')});
    WriteFile(work / "many.rpt", testing::LogText(lines));
    const std::string tmp = work / "tmp";
    for (int signalNumber : {SIGINT, SIGTERM}) {
        fs::create_directory(tmp);
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::setenv("TMPDIR", tmp.c_str(), 1);
            ::execl(LOGNEX_REPORT_EXE, LOGNEX_REPORT_EXE, "--db", db.c_str(), (work / "many.rpt").c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        // The summary (over 64 KB) fills the pipe: the tool waits with its copies in place.
        bool copies = false;
        for (int tries = 0; tries < 3000 && !copies; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (const auto& entry : fs::directory_iterator(tmp))
                copies = copies || fs::exists(entry.path() / "ForExcel.ff2");
        }
        EXPECT_TRUE(copies);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(child, signalNumber);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(out[0]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
        EXPECT_TRUE(fs::is_empty(tmp)) << signalNumber;
        fs::remove_all(tmp);
    }
}

TEST_F(ReportTool, HelpAndVersionAnswerOnStandardOutput) {
    ToolRun run = Run("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("usage: lognex-report ", 0), 0u) << run.out;
    for (const char* option : {"--summary FILE ", "--tree FILE ", "--excel FILE ", "--source ", "--db DIR ", "--help ",
                               "--version ", "\n  -- "})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    EXPECT_EQ(Run("--summary x.txt -h err_log.rpt").out, run.out);  // nothing else runs
    EXPECT_FALSE(fs::exists(work / "x.txt"));

    run = Run("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("lognex-report ") + LOGNEX_VERSION + "\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(ReportTool, MessagesReachAUtf8TerminalAsUtf8) {
    // A path the system names in UTF-8 and a log word in Windows-1252 both
    // read as é; under the C locale the bytes go out as they are.
    const std::string missing = "fich\xC3\xA9.rpt";
    ToolRun run = RunDb(Quote(missing));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot open file \"" + (work / "fich\xE9.rpt") + "\". No such file or directory.\n");
    run = Run("--db " + Quote(db) + " " + Quote(missing), LOGNEX_REPORT_EXE, "LC_ALL=C.UTF-8");
    EXPECT_EQ(run.err, "Cannot open file \"" + (work / missing) + "\". No such file or directory.\n");

    WriteFile(work / "bad.rpt", testing::LogText({"Tue Apr 17 d\xE9j\xE0 2007 FILE: a.c", "text"}));
    run = Run("--db " + Quote(db) + " bad.rpt", LOGNEX_REPORT_EXE, "LC_ALL=C.UTF-8");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "'d\xC3\xA9j\xC3\xA0' is not a valid time.\n");

    // A table folder named in UTF-8, in the cause below the usual words: a
    // table the store refuses, and one that cannot be copied.
    const std::string folder = "Pr\u00FCfung";  // UTF-8 bytes
    const std::string names = work / (folder + "/ErrorName.ff2"), occurrences = work / (folder + "/ErrorOccur.ff2");
    testing::MakeFreshTableFiles(work / folder);
    fs::remove(occurrences);
    fs::create_directory(occurrences);
    run = Run("--db " + folder + " err_log.rpt", LOGNEX_REPORT_EXE, "LC_ALL=C.UTF-8");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.ends_with("\n" + occurrences + ": Is a directory\n")) << run.err;
    run = Run("--db " + folder + " err_log.rpt");  // the C locale: the message's own Windows-1252 bytes
    EXPECT_TRUE(run.err.ends_with(std::string("/Pr\xFC") + "fung/ErrorOccur.ff2: Is a directory\n")) << run.err;
    fs::remove(occurrences);
    testing::MakeFreshTableFiles(work / folder);
    WriteFile(names, std::string(4096, 'x'));
    run = Run("--db " + folder + " err_log.rpt", LOGNEX_REPORT_EXE, "LC_ALL=C.UTF-8");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.ends_with("\n" + names + ": file is not a database\n")) << run.err;
}

TEST_F(ReportTool, DoubleDashEndsTheOptions) {
    WriteFile(work / "-odd.rpt", kLog);
    ToolRun run = RunDb("-- -odd.rpt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Joined(kReport, "\n"));
    run = RunDb("-- --help");  // a log file of that name
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot open file \"" + (work / "--help") + "\". No such file or directory.\n");
}

// Everything under a directory with its size and time of change, to see that nothing changed.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files[entry.path().string()] =
            (entry.is_regular_file() ? std::to_string(entry.file_size()) : std::string("<folder>")) + " " +
            std::to_string(entry.last_write_time().time_since_epoch().count());
    return files;
}

TEST_F(ReportTool, AnInstalledCopyKeepsEachUsersTablesAndAliasesApart) {
    // bin/ without table files beside share/lognex with them: an installation,
    // whoever may write to it.
    const fs::path prefix = work / "prefix";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/lognex");
    const std::string exe = (prefix / "bin/lognex-report").string();
    fs::copy_file(LOGNEX_REPORT_EXE, exe);
    testing::MakeFreshTableFiles(prefix / "share/lognex");
    const auto installed = Snapshot(prefix);

    struct User {
        std::string environment, config, data;
    } users[] = {
        {"HOME=" + Quote(work / "ann") + " XDG_CONFIG_HOME= XDG_DATA_HOME=", work / "ann/.config/lognex",
         work / "ann/.local/share/lognex"},
        {"HOME=" + Quote(work / "bob") + " XDG_CONFIG_HOME=" + Quote(work / "bob-config") +
             " XDG_DATA_HOME=" + Quote(work / "bob-data"),
         work / "bob-config/lognex", work / "bob-data/lognex"},
    };
    for (const User& user : users) {
        const ToolRun run = Run("err_log.rpt", exe, user.environment);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, Joined(kReport, "\n"));
        EXPECT_NE(ReadFile(user.config + "/lognex-aliases.cfg").find("\nEgErrors=" + user.data + "\n"),
                  std::string::npos);
        for (std::string_view table : kInstalledTableFiles)
            EXPECT_EQ(ReadFile(user.data + "/" + std::string(table)), FreshTableFile(table)) << table;
    }
    EXPECT_EQ(Snapshot(prefix), installed);
}

// ---- --timeline ------------------------------------------------------------

// The rows of a CSV without quoted fields: the timeline's data rows.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = csv.find("\r\n") + 2;  // past the header
    while (at < csv.size()) {
        const std::size_t end = csv.find("\r\n", at);
        std::vector<std::string> row;
        std::size_t field = at;
        for (;;) {
            const std::size_t comma = csv.find(',', field);
            if (comma == std::string::npos || comma > end) {
                row.push_back(csv.substr(field, end - field));
                break;
            }
            row.push_back(csv.substr(field, comma - field));
            field = comma + 1;
        }
        rows.push_back(row);
        at = end + 2;
    }
    return rows;
}

TEST_F(ReportTool, TimelineCsvTotalsAddUpOnTheLargestLog) {
    const std::string make = "python3 " LOGNEX_SOURCE_DIR "/scripts/make-sample-log.py " + Quote(work / "largest.rpt") +
                             " --lines 32768 --distinct 300";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const ToolRun run = RunDb("--timeline bins.csv --source largest.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string csv = ReadFile(work / "bins.csv");
    const std::string header = csv.substr(0, csv.find("\r\n"));
    EXPECT_EQ(header.rfind("start,end,total,Wafer loading error - wafer not sensed on chuck pins - FILE: CVT.c", 0), 0u)
        << header;
    EXPECT_EQ(header.substr(header.size() - 6), ",Other");
    const auto rows = CsvRows(csv);
    EXPECT_GE(rows.size(), 40u);
    EXPECT_LE(rows.size(), 180u);
    long entries = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u + 9u);  // start, end, total, eight errors, Other
        EXPECT_EQ(row[0].size(), 19u);   // 2007-04-17T21:30:00
        long series = 0;
        for (std::size_t i = 3; i < row.size(); ++i) series += std::stol(row[i]);
        EXPECT_EQ(series, std::stol(row[2]));
        entries += std::stol(row[2]);
    }
    EXPECT_EQ(entries, 16384);
}

TEST_F(ReportTool, TimelineSvgIsWellFormedWithHostileNames) {
    WriteFile(work / "hostile.rpt", testing::LogText({
                                        "Tue Apr 17 21:40:58 2007 FILE: <a>&amp;\x01.c",
                                        "Caf\xe9 \x80 ]]> \"quotes\" & <tags> \x1b[0m",
                                        "Tue Apr 17 23:40:58 2007 FILE: b.c",
                                        "Plain",
                                    }));
    const ToolRun run = RunDb("--timeline chart.SVG --source hostile.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string lint = "xmllint --noout " + Quote(work / "chart.SVG") + " 2>" + Quote(work / "lint");
    EXPECT_EQ(std::system(lint.c_str()), 0) << ReadFile(work / "lint");
    EXPECT_NE(
        ReadFile(work / "chart.SVG").find("Caf\xC3\xA9 \xE2\x82\xAC ]]&gt; &quot;quotes&quot; &amp; &lt;tags&gt;"),
        std::string::npos);
}

TEST_F(ReportTool, TimelineNeedsAnSvgOrCsvNameOfItsOwn) {
    for (const char* args : {"--timeline bins.txt err_log.rpt", "--timeline svg err_log.rpt",
                             "--timeline out.csv --summary out.csv err_log.rpt"}) {
        SCOPED_TRACE(args);
        const ToolRun run = RunDb(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: lognex-report"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(work / "out.csv"));
}

}  // namespace
}  // namespace lognex
