// Runs the built lognex-report under desktop locales compiled into a private
// folder (LOCPATH), so the system's own locale list is never touched.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "logproc/error_tables_fixture.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

constexpr char kLocaleSources[] = "/usr/share/i18n/locales";

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int Shell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The tree without its dates: error lines as they are, occurrence lines from
// " - Log File line" on.
std::vector<std::string> TreeWithoutDates(const std::string& tree) {
    std::vector<std::string> lines = Lines(tree);
    for (std::string& line : lines)
        if (line.rfind("  ", 0) == 0) line = line.substr(line.find(" - Log File line"));
    return lines;
}

// What openpyxl reads from an .xlsx: a line per sheet, width and cell.
std::string ReadBackWorkbook(const std::string& file) {
    std::string text;
    if (FILE* pipe = ::popen(
            ("/usr/bin/python3 " + Quote(LOGNEX_SOURCE_DIR "/tests/xlsx/read_xlsx.py") + " " + Quote(file) + " 2>&1")
                .c_str(),
            "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}

// One entry in every month of 2007, three errors counted 6, 4 and 3 times.
std::string EveryMonthLog() {
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) {
        const char* error = i < 6    ? "Wafer loading error - wafer not sensed on chuck pins"
                            : i < 10 ? "Prealign failure"
                                     : "Z-axis limit";
        lines.push_back(std::string("Tue ") + months[i] + (i == 2 ? "  4 " : " 17 ") +
                        (i == 5 ? "00:00:00.5" : "21:40:58") + " 2007 FILE: CVT.c at LINE: 3580");
        lines.push_back(error);
    }
    lines.insert(lines.end(), {"Mon Dec 31 23:59:59 2007 FILE: Z.c at LINE: 1", "Z-axis limit"});
    return testing::LogText(lines);
}

// The first line where two texts part, or "" when they are equal.
std::string FirstDifference(const std::string& a, const std::string& b) {
    const std::vector<std::string> x = Lines(a), y = Lines(b);
    for (std::size_t i = 0; i < std::max(x.size(), y.size()); ++i) {
        const std::string l = i < x.size() ? x[i] : "(none)", r = i < y.size() ? y[i] : "(none)";
        if (l != r) return "line " + std::to_string(i + 1) + ": " + l + "\n  instead of: " + r;
    }
    return "";
}

struct Outputs {
    int status = -1;
    std::string summary, tree, timeline, err;  // err: anything on standard output or error
    std::string errors;                        // the error table as CSV
};

TEST(ReportUnderLocales, EveryMonthReadsTheSameOnEveryDesktop) {
    if (Shell("command -v localedef >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "localedef is not installed (Debian package libc-bin), so no locale can be compiled";
    if (!fs::exists(fs::path(kLocaleSources) / "de_DE"))
        GTEST_SKIP() << "no locale sources in " << kLocaleSources << " (Debian package locales)";

    testing::TempFolder work;
    const std::string locales = work / "locales";
    const std::string db = work / "db";
    fs::create_directory(locales);
    fs::create_directory(db);
    testing::MakeFreshTableFiles(db);
    testing::WriteFile(work / "err_log.rpt", EveryMonthLog());

    struct Case {
        const char* locale;
        const char* january;  // the date of the summary and the tree, in the locale's own format
        const char* june;     // midnight: the date alone
    } cases[] = {
        {"C", "01/17/07 21:40:58", "06/17/07"},
        {"de_DE.UTF-8", "17.01.2007 21:40:58", "17.06.2007"},
        {"fi_FI.UTF-8", "17.01.2007 21.40.58", "17.06.2007"},
        {"ja_JP.UTF-8", "2007/01/17 21:40:58", "2007/06/17"},
        {"en_US.UTF-8", "01/17/2007 09:40:58 PM", "06/17/2007"},
    };

    // Only the categories the tool reads are compiled (collation stays POSIX,
    // which alone would take many seconds a locale); all at once.
    std::string compile;
    for (const Case& c : cases) {
        const std::string name = c.locale;
        if (name == "C") continue;
        const std::string base = name.substr(0, name.find('.'));
        const std::string source = work / ("source-" + base);
        std::string text = "LC_COLLATE\ncopy \"POSIX\"\nEND LC_COLLATE\n";
        for (const char* category : {"LC_CTYPE", "LC_TIME", "LC_NUMERIC"})
            text += std::string(category) + "\ncopy \"" + base + "\"\nEND " + category + "\n";
        testing::WriteFile(source, text);
        compile +=
            "localedef -c -i " + Quote(source) + " -f UTF-8 " + Quote(locales + "/" + name) + " >/dev/null 2>&1 & ";
    }
    Shell(compile + "wait");

    // environment: the locale variables of the run, as NAME=value words.
    auto run = [&](const std::string& tag, const std::string& environment) {
        const std::string tree = work / ("tree-" + tag + ".txt");
        const std::string summary = work / ("summary-" + tag + ".txt");
        const std::string timeline = work / ("timeline-" + tag + ".svg");
        const std::string errors = work / ("errors-" + tag + ".csv");
        const std::string command =
            "cd " + Quote(work.Path().string()) + " && env -u LC_ALL -u LANG LOCPATH=" + Quote(locales) + " " +
            environment + " " + Quote(LOGNEX_REPORT_EXE) + " --db " + Quote(db) + " --summary " + Quote(summary) +
            " --tree " + Quote(tree) + " --excel " + Quote(work / "Error Log.xls") + " --timeline " + Quote(timeline) +
            " --errors " + Quote(errors) + " err_log.rpt >" + Quote(work / "out") + " 2>" + Quote(work / "err");
        Outputs o;
        o.status = Shell(command);
        o.err = ReadFile(work / "out") + ReadFile(work / "err");
        if (fs::exists(summary)) o.summary = ReadFile(summary);
        if (fs::exists(tree)) o.tree = ReadFile(tree);
        if (fs::exists(timeline)) o.timeline = ReadFile(timeline);
        if (fs::exists(errors)) o.errors = ReadFile(errors);
        return o;
    };

    const Outputs c = run("C", "LC_ALL=C");
    ASSERT_EQ(c.status, 0) << c.err;
    const std::vector<std::string> cSummary = Lines(c.summary);
    ASSERT_GE(cSummary.size(), 8u);
    EXPECT_EQ(cSummary[2], "The log spans 348 days, 2 hours, 19 minutes, and 1 seconds");
    EXPECT_EQ(cSummary[6], "6 - Wafer loading error - wafer not sensed on chuck pins");

    for (const Case& k : cases) {
        SCOPED_TRACE(k.locale);
        if (std::string(k.locale) != "C") {
            ASSERT_TRUE(fs::exists(fs::path(locales) / k.locale)) << "localedef did not compile " << k.locale;
        }
        const Outputs o = run(k.locale, std::string("LC_ALL=") + k.locale);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, "");
        const std::vector<std::string> summary = Lines(o.summary);
        ASSERT_EQ(summary.size(), cSummary.size());
        EXPECT_EQ(summary[0], std::string("First log entry is on ") + k.january);
        EXPECT_EQ(std::vector<std::string>(summary.begin() + 2, summary.end()),
                  std::vector<std::string>(cSummary.begin() + 2, cSummary.end()));
        EXPECT_EQ(TreeWithoutDates(o.tree), TreeWithoutDates(c.tree));
        const auto hasLine = [&](const std::string& line) { return o.tree.find(line + "\r\n") != std::string::npos; };
        EXPECT_TRUE(hasLine(std::string("  ") + k.january + " - Log File line 1")) << o.tree;
        EXPECT_TRUE(hasLine(std::string("  ") + k.june + " - Log File line 11")) << o.tree;
        // The chart's numbers are the file format's, with a point, on every desktop.
        EXPECT_EQ(FirstDifference(o.timeline, c.timeline), "");
        // The error table's times are ISO 8601 and its numbers have a point.
        EXPECT_EQ(FirstDifference(o.errors, c.errors), "");
    }
    ASSERT_NE(c.timeline.find("<svg "), std::string::npos);
    const std::string errorsHead =
        "Count,Error,Location,First,Last,Per day,Share (%)\r\n6,Wafer loading error - wafer not sensed on chuck pins,";
    EXPECT_EQ(c.errors.substr(0, errorsHead.size()), errorsHead);
    const Outputs numeric = run("numeric", "LANG=C LC_NUMERIC=de_DE.UTF-8");
    EXPECT_EQ(FirstDifference(numeric.timeline, c.timeline), "");
    EXPECT_EQ(FirstDifference(numeric.errors, c.errors), "");

    // The workbook's numbers (cells, widths, heights) are the file format's
    // too: under LC_NUMERIC=de_DE they were written "41,78", which readers
    // take for 41 or refuse.
    const auto workbook = [&](const std::string& tag, const std::string& environment) {
        const std::string xlsx = work / ("errors-" + tag + ".xlsx");
        Shell("cd " + Quote(work.Path().string()) + " && env -u LC_ALL -u LANG LOCPATH=" + Quote(locales) + " " +
              environment + " " + Quote(LOGNEX_REPORT_EXE) + " --db " + Quote(db) + " --xlsx " + Quote(xlsx) +
              " err_log.rpt");
        return ReadBackWorkbook(xlsx);
    };
    if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0) {
        const std::string cBook = workbook("C", "LC_ALL=C");
        EXPECT_NE(cBook.find("\tn\t"), std::string::npos) << cBook;
        EXPECT_EQ(FirstDifference(workbook("numeric", "LANG=C LC_NUMERIC=de_DE.UTF-8"), cBook), "");
    }

    // The comparison's CSV has its rates with a point under every locale.
    const auto compareCsv = [&](const std::string& tag, const std::string& environment) {
        const std::string csv = work / ("compare-" + tag + ".csv");
        Shell("cd " + Quote(work.Path().string()) + " && env -u LC_ALL -u LANG LOCPATH=" + Quote(locales) + " " +
              environment + " " + Quote(LOGNEX_REPORT_EXE) + " --compare err_log.rpt err_log.rpt --out " + Quote(csv));
        return ReadFile(csv);
    };
    const std::string cCsv = compareCsv("C", "LC_ALL=C");
    EXPECT_NE(cCsv.find(",6,0.017,6,0.017,0,0.000,1.000,\r\n"), std::string::npos) << cCsv;
    for (const char* environment : {"LANG=C LC_NUMERIC=de_DE.UTF-8", "LC_ALL=fi_FI.UTF-8"})
        EXPECT_EQ(compareCsv("other", environment), cCsv) << environment;
}

}  // namespace
}  // namespace lognex
