// The batch tool's error table, .xlsx workbook and time range options.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/report_range.h"
#include "cli/tool_run.h"
#include "support/error.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using testing::Quote;
using testing::ReadFile;
using testing::ToolRun;
using testing::WriteFile;

std::int64_t Ms(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return DaysSince1899(year, month, day) * kMillisecondsPerDay + ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
}

TEST(ReportRange, ReadsIsoDatesAndDateTimesAsTheLogsTimes) {
    struct Case {
        std::string from, to;
        TimeRange range;
    } cases[] = {
        {"", "", {}},
        {"2007-04-17", "", {Ms(2007, 4, 17), TimeRange::kNoEnd}},
        // A date alone as --to is that whole day.
        {"2007-04-17", "2007-04-17", {Ms(2007, 4, 17), Ms(2007, 4, 18)}},
        {"", "2008-02-29", {TimeRange::kNoStart, Ms(2008, 3, 1)}},
        {"2007-04-17T21:40", "2007-04-17 21:40:58.25", {Ms(2007, 4, 17, 21, 40), Ms(2007, 4, 17, 21, 40, 58, 250)}},
        {"2007-04-17T21:40:58,5", "", {Ms(2007, 4, 17, 21, 40, 58, 500), TimeRange::kNoEnd}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReportRange(c.from, c.to), c.range) << c.from << " " << c.to;
}

TEST(ReportRange, RefusesWhatIsNoDateByName) {
    struct Case {
        std::string from, to, message;
    } cases[] = {
        {"17.04.2007", "",
         "--from 17.04.2007: not a date; use YYYY-MM-DD, YYYY-MM-DDThh:mm or YYYY-MM-DDThh:mm:ss[.sss]"},
        {"2007-4-17", "", "--from 2007-4-17: not a date; use"},
        {"2007-02-29", "", "--from 2007-02-29: no such day"},
        {"", "2007-04-17T24:00", "--to 2007-04-17T24:00: no such time of day"},
        {"", "2007-04-17T21", "--to 2007-04-17T21: not a date and time; use"},
        {"2007-04-17T21:40:58.2501", "",
         "--from 2007-04-17T21:40:58.2501: fractions of a second go to the millisecond"},
        {"2007-04-17T21:40Z", "", "--from 2007-04-17T21:40Z: the log's times have no time zone"},
        {"2007-04-17T21:40:00+02:00", "", "--from 2007-04-17T21:40:00+02:00: the log's times have no time zone"},
        {"1599-12-31", "", "--from 1599-12-31: the year is outside 1600 to 3999"},
        {"2007-04-18", "2007-04-17", "--to 2007-04-17 is not after --from 2007-04-18"},
        {"2007-04-17T10:00", "2007-04-17T10:00", "--to 2007-04-17T10:00 is not after --from 2007-04-17T10:00"},
    };
    for (const Case& c : cases) {
        try {
            ReportRange(c.from, c.to);
            ADD_FAILURE() << c.from << " " << c.to << " was taken";
        } catch (const Error& failure) {
            EXPECT_EQ(std::string(failure.what()).substr(0, c.message.size()), c.message);
        }
    }
}

struct ReportErrors : ::testing::Test {
    testing::TempFolder work;
    std::string db = work / "db";

    ReportErrors() {
        fs::create_directory(db);
        testing::MakeFreshTableFiles(db);
        WriteFile(work / "err_log.rpt", testing::LogText({
                                            "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580",
                                            "Wafer loading error, wafer not \"sensed\"",
                                            "Tue Apr 17 21:49:59 2007 FILE: PreAlign.c at LINE: 912",
                                            "Prealign failure - flat not found \xB0",
                                            "Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580",
                                            "Wafer loading error, wafer not \"sensed\"",
                                        }));
    }
    ToolRun Run(const std::string& args) {
        return testing::RunInFolder(work.Path(),
                                    "env LC_ALL=C " + Quote(LOGNEX_REPORT_EXE) + " --db " + Quote(db) + " " + args);
    }
};

TEST_F(ReportErrors, ErrorTableAsCsv) {
    const ToolRun run = Run("--errors errors.csv err_log.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(work / "errors.csv"),
              "Count,Error,Location,First,Last,Per day,Share (%)\r\n"
              "2,\"Wafer loading error, wafer not \"\"sensed\"\"\",FILE: CVT.c at LINE: 3580,"
              "2007-04-17T21:40:58,2007-04-18T00:00:00,2.00,66.67\r\n"
              "1,Prealign failure - flat not found \xC2\xB0,FILE: PreAlign.c at LINE: 912,"
              "2007-04-17T21:49:59,2007-04-17T21:49:59,1.00,33.33\r\n");
}

TEST_F(ReportErrors, FromAndToLimitEveryOutputButTheSummary) {
    const ToolRun whole = Run("--summary whole.txt err_log.rpt");
    ASSERT_EQ(whole.status, 0) << whole.err;
    const ToolRun run =
        Run("--from 2007-04-17T21:45 --to 2007-04-17 --summary sum.txt --tree tree.txt --errors errors.csv "
            "--timeline timeline.csv --xlsx errors.xlsx err_log.rpt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(work / "sum.txt"), ReadFile(work / "whole.txt"));
    EXPECT_EQ(ReadFile(work / "tree.txt"),
              "[1] Prealign failure - flat not found \xB0\r\n  04/17/07 21:49:59 - Log File line 3\r\n");
    const std::string errors = ReadFile(work / "errors.csv");
    EXPECT_NE(errors.find("\r\n1,Prealign failure"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("Wafer"), std::string::npos) << errors;
    const std::string timeline = ReadFile(work / "timeline.csv");
    EXPECT_EQ(timeline.find("Wafer"), std::string::npos) << timeline;
    EXPECT_EQ(ReadFile(work / "errors.xlsx").substr(0, 4), "PK\x03\x04");

    // A range outside the log: the outputs are empty tables, not failures.
    ASSERT_EQ(Run("--from 2008-01-01 --errors late.csv --tree late.txt err_log.rpt").status, 0);
    EXPECT_EQ(ReadFile(work / "late.csv"), "Count,Error,Location,First,Last,Per day,Share (%)\r\n");
    EXPECT_EQ(ReadFile(work / "late.txt"), "");
}

TEST_F(ReportErrors, BadDatesAndUnwritableOutputsChangeNothing) {
    WriteFile(work / "old.txt", "previous\r\n");
    struct Case {
        std::string args;
        int status;
        std::string errStart;
    } cases[] = {
        {"--from 2007-02-30 --summary old.txt err_log.rpt", 2, "lognex-report: --from 2007-02-30: no such day\n"},
        {"--summary old.txt err_log.rpt --to", 2, "lognex-report: --to needs a date or a date and time\n"},
        {"--errors old.txt --xlsx ./old.txt err_log.rpt", 2, "lognex-report: ./old.txt is named for two outputs\n"},
        {"--merge err_log.rpt err_log.rpt --from 2007-04-17 --summary old.txt", 2,
         "lognex-report: --from and --to go with one log\n"},
        {"--summary old.txt --xlsx no/such/x.xlsx err_log.rpt", 1,
         "Cannot create file \"" + (work / "no/such/x.xlsx") + "\". No such file or directory."},
    };
    for (const Case& c : cases) {
        const ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << c.args;
        EXPECT_EQ(ReadFile(work / "old.txt"), "previous\r\n") << c.args;
    }
}

// The workbook library writes each part through a scratch file and does not
// see a write to it fail: under a file-size limit (or on a full disk) the
// occurrences' sheet was cut short inside a package that still zipped up,
// and the run said it had succeeded.
TEST_F(ReportErrors, AWorkbookWhosePartsCannotBeWrittenWholeIsNotWritten) {
    std::string log;
    for (int i = 0; i < 3000; ++i)
        log += "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: " + std::to_string(i % 7) +
               "\r\nWafer loading error - wafer not sensed on chuck pins\r\n";
    WriteFile(work / "many.rpt", log);
    WriteFile(work / "old.txt", "previous\r\n");
    const ToolRun run =
        testing::RunInFolder(work.Path(), "ulimit -f 100; env LC_ALL=C " + Quote(LOGNEX_REPORT_EXE) + " --db " +
                                              Quote(db) + " --summary old.txt --xlsx many.xlsx many.rpt");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("xl/worksheets/sheet2.xml was cut short"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(work / "old.txt"), "previous\r\n");
    EXPECT_FALSE(fs::exists(work / "many.xlsx"));
}

}  // namespace
}  // namespace lognex
