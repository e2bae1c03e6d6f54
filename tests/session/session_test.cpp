// The session headless: runs over small logs, what it holds after each kind
// of ending, and its reports and commands.
#include "session/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/fresh_tables.h"
#include "common/temp_folder.h"

namespace lognex {
namespace {

const std::string kLog =
    "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580\r\n"
    "Wafer not sensed\r\n"
    "Tue Apr 17 21:45:00 2007 FILE: Align.c at LINE: 12\r\n"
    "Align failed\r\n"
    "Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580\r\n"
    "Wafer not sensed\r\n";

// One good entry, then a pair whose header is no header.
const std::string kBadLog = "Tue Apr 17 21:40:58 2007 FILE: a.c\r\nx\r\nnot a header\r\ny\r\n";

// Answers the dialog with `choice` (nullopt cancels) and records what it was told.
struct Host : RunHost {
    std::optional<std::string> choice;
    int dialogs = 0, linesShown = 0, loops = 0;
    std::size_t done = 0, total = 0;

    std::optional<std::string> ChooseLogFile(const std::string&) override {
        ++dialogs;
        return choice;
    }
    void ShowLines(const LogLines&) override { ++linesShown; }
    void BeginPairLoop() override { ++loops; }
    void ShowProgress(std::size_t d, std::size_t t) override { done = d, total = t; }
    void EndPairLoop() override { --loops; }
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct SessionTest : ::testing::Test {
    testing::FreshTables db;
    testing::TempFolder files;
    Session session{*db.tables, CLocaleFormat(), CalendarDefaults{1, 2007}, files.Path().string()};
    Host host;

    std::string Log(const std::string& name, const std::string& bytes) {
        std::ofstream(files / name, std::ios::binary) << bytes;
        return files / name;
    }
    void RunOn(const std::string& path) {
        session.Options().prompt = true;
        host.choice = path;
        ASSERT_EQ(session.Run(host), RunOutcome::Completed);
    }
    static std::vector<std::string> TreeLabels(const Session& s) {
        std::vector<std::string> labels;
        for (const TreeNode& node : s.Tree()) labels.push_back(node.text);
        return labels;
    }
};

TEST_F(SessionTest, ACompletedRunHoldsTheLogItsValueAndItsReports) {
    session.Options().logCopy = false;
    const std::string log = Log("good.rpt", kLog);
    EXPECT_EQ(session.Summary().lines.size(), 0u);  // no report before a run
    RunOn(log);

    EXPECT_EQ(session.SourcePath(), log);
    EXPECT_EQ(session.Options().errPath, files.Path().string());
    EXPECT_EQ(session.Lines().ViewLineCount(), 7u);  // and the empty line after the last break
    EXPECT_EQ(session.LastAnalysis().Entries().size(), 3u);
    EXPECT_EQ(host.linesShown, 1);
    EXPECT_EQ(host.loops, 0);  // the pair loop was begun and ended
    EXPECT_EQ(host.done, host.total);

    const SummaryReport summary = session.Summary();
    EXPECT_EQ(summary.spanText, "The log spans 0 days, 2 hours, 19 minutes, and 2 seconds");
    EXPECT_EQ(summary.lines.at(6), "2 - Wafer not sensed");
    EXPECT_EQ(TreeLabels(session), (std::vector<std::string>{"[1] Align failed", "[2] Wafer not sensed"}));
    session.Options().source = true;  // the tree is built anew from the value, named as the option says
    EXPECT_EQ(TreeLabels(session), (std::vector<std::string>{"[1] Align failed - FILE: Align.c at LINE: 12",
                                                             "[2] Wafer not sensed - FILE: CVT.c at LINE: 3580"}));
    EXPECT_EQ(session.Timeline().points.size(), 3u);
}

TEST_F(SessionTest, AGivenFileIsReadWithoutTheDialogAndTheProberLogWithoutPrompt) {
    session.Options().logCopy = false;
    const std::string log = Log("good.rpt", kLog);
    session.Options().prompt = false;
    EXPECT_EQ(session.Run(host, log), RunOutcome::Completed);
    EXPECT_EQ(host.dialogs, 0);
    EXPECT_EQ(session.SourcePath(), log);

    session.Options().proberLog = Log("prober.rpt", "Tue Apr 17 21:40:58 2007 FILE: a.c\r\nx\r\n");
    EXPECT_EQ(session.Run(host), RunOutcome::Completed);
    EXPECT_EQ(host.dialogs, 0);
    EXPECT_EQ(session.SourcePath(), session.Options().proberLog);
    EXPECT_EQ(session.LastAnalysis().Entries().size(), 1u);
}

TEST_F(SessionTest, ACancelledDialogChangesNothing) {
    RunOn(Log("good.rpt", kLog));
    const Analysis before = session.LastAnalysis();
    session.Options().errPath = "/elsewhere";
    host.choice.reset();
    EXPECT_EQ(session.Run(host), RunOutcome::Cancelled);
    EXPECT_EQ(session.LastAnalysis(), before);
    EXPECT_TRUE(session.Completed());
    EXPECT_EQ(session.Options().errPath, "/elsewhere");
}

// Whatever way a run fails, nothing of the log before stays: the lines are
// the failed log's when they were loaded, the value what the tables hold of
// it, and no report describes it.
TEST_F(SessionTest, AFailedRunLeavesNothingOfTheLogBefore) {
    const struct {
        const char* name;
        std::string bytes;  // none: the file is missing
        bool linesKept;
        std::size_t entries;
    } cases[] = {
        {"missing.rpt", {}, false, 0},
        {"bad.rpt", kBadLog, true, 1},
    };
    for (const bool copy : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (copy ? " copied" : ""));
            session.Options().logCopy = copy;
            RunOn(Log("good.rpt", kLog));
            const std::string log = c.bytes.empty() ? files / c.name : Log(c.name, c.bytes);
            host.choice = log;
            EXPECT_ANY_THROW(session.Run(host));
            EXPECT_EQ(session.Options().errPath, files.Path().string());
            EXPECT_FALSE(session.Completed());
            EXPECT_EQ(session.SourcePath(), c.linesKept ? log : std::string());
            EXPECT_EQ(session.Lines().ViewLineCount(), c.linesKept ? 5u : 0u);
            EXPECT_EQ(session.LastAnalysis().Entries().size(), c.entries);
            EXPECT_TRUE(session.Summary().spanText.empty());
            EXPECT_TRUE(session.Tree().empty());
            EXPECT_TRUE(session.Timeline().points.empty());
            EXPECT_EQ(host.loops, 0);
        }
    }
}

// The workbook's span is the value's own, never one left from an earlier run.
TEST_F(SessionTest, TheWorkbookTakesItsSpanFromTheValue) {
    session.Options().logCopy = false;
    std::filesystem::create_directory(files / "out");
    const std::string documents = files / "documents";  // not used: the current folder takes the file
    RunOn(Log("good.rpt", kLog));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(files / "out");
    const std::string shown = session.ExportWorkbook(documents);
    EXPECT_EQ(shown, kWorkbookName);
    EXPECT_NE(ReadBytes(files / "out/Error Log.xls").find(session.Summary().spanText), std::string::npos);

    host.choice = Log("bad.rpt", kBadLog);
    EXPECT_ANY_THROW(session.Run(host));
    session.ExportWorkbook(documents);
    std::filesystem::current_path(previous);
    EXPECT_EQ(ReadBytes(files / "out/Error Log.xls").find("The log spans"), std::string::npos);
    EXPECT_EQ(db.tables->exportRows.RecordCount(), 1);  // the entry counted before the failure
}

}  // namespace
}  // namespace lognex
