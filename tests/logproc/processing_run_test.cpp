#include "logproc/processing_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/failure_message.h"
#include "logproc/error_tables_fixture.h"
#include "support/date_pictures.h"
#include "support/error.h"

namespace lognex {
namespace {

using testing::Header;
using testing::LogText;
using testing::NameRows;
using testing::OccurrenceLines;

const LocaleFormat kC = CLocaleFormat();

// A host that chooses a given file (or cancels) and records what it was told.
class ScriptedHost : public RunHost {
public:
    std::optional<std::string> choice;
    std::string askedFolder;
    int linesShown = 0, begins = 0, ends = 0;
    std::size_t done = 0, total = 0;

    std::optional<std::string> ChooseLogFile(const std::string& initialFolder) override {
        askedFolder = initialFolder;
        return choice;
    }
    void ShowLines(const LogLines&) override { ++linesShown; }
    void BeginPairLoop() override {
        ++begins;
        done = 0;
    }
    void ShowProgress(std::size_t d, std::size_t t) override {
        EXPECT_GE(d, done);  // progress never goes back
        done = d;
        total = t;
    }
    void EndPairLoop() override { ++ends; }
};

// n lines forming n / 2 entries of a few errors (and an unpaired last line when n is odd).
std::vector<std::string> EntryLines(std::size_t n) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; lines.size() < n; ++i) {
        lines.push_back(
            Header("Apr 17 21:40:" + std::to_string(10 + i % 40) + " 2007", "a.c at LINE: " + std::to_string(i % 3)));
        if (lines.size() < n) lines.push_back("Error " + std::to_string(i % 5));
    }
    return lines;
}

struct RunFixture : ::testing::Test {
    testing::FreshTables db;
    testing::TempFolder files;
    Analysis analysis;
    RunOptions options;
    ScriptedHost host;

    RunFixture() {
        options.prompt = true;
        options.logCopy = false;
        options.errPath = "/start";
        options.programFolder = files.Path().string();
    }
    std::string Log(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = files / name;
        testing::WriteFile(path, LogText(lines));
        return path;
    }
    RunResult Run(const std::string& path) {
        host.choice = path;
        return ProcessLog(*db.tables, analysis, options, host, kC);
    }
    std::string Failure(const std::string& path) {
        return testing::FailureOf([&] { Run(path); });
    }
};

TEST_F(RunFixture, PairsArePositional) {
    const std::string h1 = Header("Apr 17 10:00:00 2007", "a.c"), h2 = Header("Apr 17 11:00:00 2007", "b.c");
    const std::string h3 = Header("Apr 17 12:00:00 2007", "c.c");
    struct Case {
        std::vector<std::string> lines;
        std::vector<int> counted;  // header line numbers stored
    } cases[] = {
        {{}, {}},
        {{h1, "T1", h2, "T2", "stray"}, {1, 3}},  // the odd last line meets the empty text past the end
        {{h1, "T1", "", "", h2, "T2"}, {1, 5}},   // a blank pair is skipped
        {{h1, "", h2, "T2"}, {3}},                // a pair with an empty text line too
        {{h1, "T1", h2, "T2", h3}, {1, 3}},
    };
    for (const auto& c : cases) {
        const RunResult result = Run(Log("pairs.rpt", c.lines));
        EXPECT_EQ(result.outcome, RunOutcome::Completed);
        EXPECT_EQ(OccurrenceLines(*db.tables), c.counted);
    }
}

TEST_F(RunFixture, ABlankLineMisalignsThePairsAfterIt) {
    const std::string log =
        Log("misaligned.rpt",
            {Header("Apr 17 10:00:00 2007", "a.c"), "Vacuum lost on chuck", "", Header("Apr 17 11:00:00 2007", "b.c"),
             "Prealign failure - flat not found", Header("Apr 17 12:00:00 2007", "c.c"), "T3"});
    // The pair (blank, H2) is skipped; then "Prealign failure ..." is read as a header.
    EXPECT_EQ(Failure(log), "'flat' is not a valid time");
    EXPECT_EQ(OccurrenceLines(*db.tables), std::vector<int>{1});
    EXPECT_EQ(host.begins, 1);
    EXPECT_EQ(host.ends, 1);  // the bar is hidden after a failure as well
}

TEST_F(RunFixture, ProgressEndsWithEveryLineAndTheStepPastTheEnd) {
    for (std::size_t count : {0u, 1u, 19u, 20u, 99u, 100u, 101u, 9000u}) {
        host = ScriptedHost();
        Run(Log("progress.rpt", EntryLines(count)));
        EXPECT_EQ(host.done, count + 1) << count;
        EXPECT_EQ(host.total, count + 1) << count;
        EXPECT_EQ(host.linesShown, 1);
        EXPECT_EQ(host.ends, 1);
    }
}

TEST_F(RunFixture, CancelledDialogChangesNothing) {
    Run(Log("first.rpt", EntryLines(6)));
    host = ScriptedHost();
    host.choice.reset();
    const RunResult result = ProcessLog(*db.tables, analysis, options, host, kC);
    EXPECT_EQ(result.outcome, RunOutcome::Cancelled);
    EXPECT_EQ(host.askedFolder, files.Path().string());
    EXPECT_EQ(options.errPath, files.Path().string());
    EXPECT_EQ(host.linesShown, 0);
    EXPECT_EQ(OccurrenceLines(*db.tables).size(), 3u);
}

TEST_F(RunFixture, LoadFailureKeepsTablesButTakesTheChosenFolder) {
    Run(Log("first.rpt", EntryLines(6)));
    const EntryTimes before = analysis.Times();
    host = ScriptedHost();
    const std::string missing = (files.Path() / "old" / "err_log.rpt").string();
    EXPECT_EQ(Failure(missing), "Cannot open file \"" + missing + "\". No such file or directory");
    EXPECT_EQ(options.errPath, (files.Path() / "old").string());
    EXPECT_EQ(host.linesShown, 0);
    EXPECT_EQ(host.begins, 0);
    EXPECT_EQ(OccurrenceLines(*db.tables).size(), 3u);
    EXPECT_EQ(analysis.Times().first, before.first);
}

// The staged copies a run may leave in folder (none, after any run).
std::vector<std::string> StagedCopies(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".lognex-copy-", 0) == 0) names.push_back(entry.path().string());
    return names;
}

// A log that cannot be read ends the run by its own name, and the copy of an
// earlier run is neither processed in its place nor replaced; a copy that
// cannot be written ends it by the copy's name. The tables stay as they were.
TEST_F(RunFixture, ACopyThatCannotBeMadeFailsTheRunAndKeepsTheEarlierCopy) {
    options.logCopy = true;
    const std::string copyPath = LogCopyPath(options.programFolder);
    const std::string earlier = Log("one.rpt", EntryLines(2));
    RunResult result = Run(earlier);
    EXPECT_EQ(result.processedPath, copyPath);
    EXPECT_EQ(result.sourcePath, earlier);
    ASSERT_EQ(testing::ReadFile(copyPath), testing::ReadFile(earlier));

    const std::string gone = files / "gone.rpt";
    EXPECT_EQ(Failure(gone), "Cannot open file \"" + gone + "\". No such file or directory");
    EXPECT_EQ(options.sourcePath, gone);
    // Without the Prompt option the prober's own path is the source; it does not exist here.
    options.prompt = false;
    EXPECT_EQ(testing::FailureOf([&] { ProcessLog(*db.tables, analysis, options, host, kC); }),
              "Cannot open file \"" + options.proberLog + "\". No such file or directory");
    options.prompt = true;
    EXPECT_EQ(host.linesShown, 1);  // only the first run's
    EXPECT_EQ(OccurrenceLines(*db.tables), std::vector<int>{1});
    EXPECT_EQ(testing::ReadFile(copyPath), testing::ReadFile(earlier));

    const std::string bigger = Log("two.rpt", EntryLines(400));
    options.programFolder = files / "no-such-folder";
    const std::string unwritable = LogCopyPath(options.programFolder);
    EXPECT_EQ(Failure(bigger), "Cannot create file \"" + unwritable + "\". No such file or directory");
    options.programFolder = files.Path().string();

#ifndef _WIN32
    // Past a file-size limit (as on a full disk) the copy is never taken for
    // a whole one. The limit is set in a child process of its own.
    const auto runWithinTheLimit = [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::fputs(Failure(bigger).c_str(), stderr);
        std::_Exit(OccurrenceLines(*db.tables).size() == 1 ? 0 : 1);
    };
    EXPECT_EXIT(runWithinTheLimit(), ::testing::ExitedWithCode(0),
                "Cannot create file \".*err_log.rpt\". File too large");
    EXPECT_EQ(testing::ReadFile(copyPath), testing::ReadFile(earlier));
#endif
    EXPECT_EQ(StagedCopies(files.Path()), std::vector<std::string>{});

    // A whole copy replaces the earlier one, also when the copy itself is chosen.
    EXPECT_EQ(Run(bigger).outcome, RunOutcome::Completed);
    EXPECT_EQ(testing::ReadFile(copyPath), testing::ReadFile(bigger));
    EXPECT_EQ(Run(copyPath).outcome, RunOutcome::Completed);
    EXPECT_EQ(OccurrenceLines(*db.tables).size(), 200u);
    EXPECT_EQ(StagedCopies(files.Path()), std::vector<std::string>{});
}

// A FIFO would block the run in open, a folder or device is no log: each is
// refused by name before it is opened or copied, with LogCopy on or off, and
// neither the tables nor an earlier copy are touched.
#ifndef _WIN32  // FIFOs and devices of POSIX
TEST_F(RunFixture, ASourceThatIsNoRegularFileIsRefusedBeforeItIsOpened) {
    options.logCopy = true;
    Run(Log("first.rpt", EntryLines(6)));
    const std::string copyPath = LogCopyPath(options.programFolder);
    const std::string earlierCopy = testing::ReadFile(copyPath);
    ASSERT_EQ(::mkfifo((files / "fifo.rpt").c_str(), 0600), 0);
    struct Case {
        std::string path, reason;
    } cases[] = {
        {files / "fifo.rpt", "It is a FIFO (named pipe), not a regular file"},
        {files.Path().string(), "Is a directory"},
        {"/dev/zero", "It is a device, not a regular file"},
    };
    for (bool copy : {true, false}) {
        options.logCopy = copy;
        for (const Case& c : cases) {
            host = ScriptedHost();
            EXPECT_EQ(Failure(c.path), "Cannot open file \"" + c.path + "\". " + c.reason) << c.path;
            EXPECT_EQ(host.linesShown, 0) << c.path;
            EXPECT_EQ(OccurrenceLines(*db.tables).size(), 3u) << c.path;
            EXPECT_EQ(testing::ReadFile(copyPath), earlierCopy) << c.path;
        }
    }
}
#endif

TEST_F(RunFixture, WithoutPromptTheProberLogIsReadAndAFailureStillNamesTheLoadedFile) {
    options.prompt = false;
    options.proberLog = Log("prober.rpt", EntryLines(4));
    RunResult result = ProcessLog(*db.tables, analysis, options, host, kC);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(result.processedPath, options.proberLog);
    EXPECT_EQ(OccurrenceLines(*db.tables).size(), 2u);
    EXPECT_EQ(options.errPath, "/start");  // no dialog, no folder taken

    // A run that stops after loading still tells which log it read: the
    // chosen one, not its copy.
    options.proberLog = Log("bad.rpt", {"not a header", "text"});
    options.logCopy = true;
    EXPECT_THROW(ProcessLog(*db.tables, analysis, options, host, kC), ConversionError);
    EXPECT_EQ(options.sourcePath, options.proberLog);
}

TEST_F(RunFixture, SecondRunStartsAfresh) {
    Run(Log("a.rpt", {Header("Jan 2 08:00:00 2005", "a.c"), "A", Header("Jan 3 08:00:00 2005", "a.c"), "A"}));
    Run(Log("b.rpt", {Header("Mar 4 09:15:27 2004", "b.c"), "B"}));
    EXPECT_EQ(NameRows(*db.tables), (std::vector<testing::NameRow>{{"B", "FILE: b.c", 1}}));
    EXPECT_EQ(analysis.Times().first, analysis.Times().last);
    EXPECT_EQ(FormatDateTimeText("", analysis.Times().first, kC), "03/04/04 09:15:27");
}

TEST_F(RunFixture, LogsPastSixteenThousandEntriesAreCountedWhole) {
    // 16,385 entries: header lines up to 32,769, past what a 16-bit LogLine held.
    EXPECT_EQ(Run(Log("big.rpt", EntryLines(32770))).outcome, RunOutcome::Completed);
    const std::vector<int> lines = OccurrenceLines(*db.tables);
    ASSERT_EQ(lines.size(), 16385u);
    EXPECT_EQ(*std::max_element(lines.begin(), lines.end()), 32769);
    int counted = 0;
    for (const auto& row : NameRows(*db.tables)) counted += row.count;
    EXPECT_EQ(counted, 16385);
    EXPECT_EQ(host.ends, 1);
}

}  // namespace
}  // namespace lognex
