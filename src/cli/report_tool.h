// The batch tool lognex-report: one processing run over a log file, its
// summary, tree and workbook written to files or the summary to standard
// output, without a window.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "support/app_paths.h"
#include "support/error.h"
#include "support/locale_format.h"
#include "views/time_range.h"

namespace lognex {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;  // the run or a write failed
inline constexpr int kExitUsage = 2;   // bad arguments, or no database files

// A wrong command line.
class UsageError : public Error {
public:
    using Error::Error;
};

// One log, or one of the modes over several.
enum class ReportMode { Single, Compare, Fleet, Merge };

struct ReportArguments {
    std::string summaryFile, treeFile, excelFile;
    std::string timelineFile;  // ends in .svg (the chart) or .csv (the bins)
    bool source = false;
    std::string dbFolder;  // empty: through the alias in the program folder
    std::string logFile;
    bool help = false;     // --help: print the help, run nothing
    bool version = false;  // --version: print the version, run nothing
    ReportMode mode = ReportMode::Single;
    std::vector<std::string> logFiles;  // as given: logs, and with --fleet folders of logs
    std::string outFile;                // --out of --compare, FILE of --fleet
    std::string xlsxFile;               // the error table and occurrences as .xlsx
    std::string errorsFile;             // the error table as CSV
    std::string from, to;               // --from, --to as given
    TimeRange range;                    // what they limit the outputs (but the summary) to
    bool follow = false;                // --follow: go on counting what is appended to the log
};

// Reads the arguments after the program name. Throws UsageError for a wrong
// command line.
ReportArguments ParseReportArguments(const std::vector<std::string>& args);

struct ReportEnvironment {
    std::string programFolder;  // where the alias registry and the table files are
    // Where the alias registry and the table files are for an installed copy
    // (the user's own folders, prepared when first needed). Not perUser: the
    // program folder.
    AppPaths paths;
    LocaleFormat locale;
    CalendarDefaults calendar;
    bool progressBar = false;  // draw a bar on err while the lines are counted
    // Messages are Windows-1252 text; a UTF-8 terminal gets them as UTF-8.
    bool utf8Messages = false;
};

// Runs the tool and returns its exit status; messages go to err, the summary
// (when no output file is named) to out.
int RunReport(const std::vector<std::string>& args, const ReportEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace lognex
