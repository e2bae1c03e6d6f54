// The session behind the window: the options that steer a run, the log the
// last run read and the analysis it made of it, the reports built from that
// value, and the commands on them. Qt-free: the window renders the session and
// forwards its commands; the tests drive it headless.
//
// A run chooses its source on the caller's thread (the log dialog); loading
// and counting then need nothing but the source, the tables and a progress
// callback (LoadLogLines, CountPairsIntoTables), so they can move to a worker
// while the session stays the one owner of the result.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logproc/analysis.h"
#include "logproc/log_lines.h"
#include "logproc/processing_run.h"
#include "support/locale_format.h"
#include "tables/error_tables.h"
#include "views/error_tree.h"
#include "views/summary_report.h"
#include "views/timeline.h"

namespace lognex {

// The options that steer a run, as the settings file keeps them.
struct SessionOptions {
    bool prompt = false;                     // the log is chosen in the log dialog
    bool logCopy = true;                     // a copy in the copy folder is read, not the log itself
    bool source = false;                     // the tree and the timeline name each error's location
    std::string errPath;                     // where the log dialog opens; follows the chosen log
    std::string proberLog = kProberLogPath;  // what a run reads without the Prompt option
};

// The name the workbook is written under.
inline constexpr const char* kWorkbookName = "Error Log.xls";

class Session {
public:
    // copyFolder takes the log copy; load bounds what a run takes in.
    Session(ErrorTables& tables, LocaleFormat locale, CalendarDefaults calendar, std::string copyFolder,
            LogLoadLimits load = {});

    SessionOptions& Options() { return options_; }
    const SessionOptions& Options() const { return options_; }
    void SetCopyFolder(std::string folder) { copyFolder_ = std::move(folder); }

    // One processing run through host (dialog, lines shown, pair loop and its
    // progress). chosenFile, when given, is read as if chosen in the dialog,
    // whatever the Prompt option. Cancelled changes nothing. Otherwise ErrPath
    // follows the chosen log at once, and the session then holds the new run
    // whatever happens: on a failure, which is passed on, it keeps the lines
    // when they were loaded and the entries counted before the failure, and
    // no reports.
    RunOutcome Run(RunHost& host, std::optional<std::string> chosenFile = std::nullopt);

    // The log the held lines are of, as chosen (not its copy); empty when the
    // last run loaded none.
    const std::string& SourcePath() const { return sourcePath_; }
    const LogLines& Lines() const { return lines_; }
    // The last run's entries and errors: the whole log's, the ones counted
    // before a failure, or none when its log was not loaded.
    const Analysis& LastAnalysis() const { return analysis_; }
    // The last run counted its whole log, so the reports describe it.
    bool Completed() const { return completed_; }

    // The reports of a completed run, built from the value when asked; empty
    // before one and after a failed run.
    SummaryReport Summary() const;
    std::vector<TreeNode> Tree() const;  // named as the Source option says
    TimelineSource Timeline() const;

    // Writes viewText (the summary as the user may have edited it) to path,
    // whole or not at all.
    void SaveSummary(const std::string& path, std::string_view viewText) const;
    // Fills ForExcel with the value's occurrences and writes the workbook with
    // the value's span, in the current folder or, when that takes no files,
    // beside the log or else in documentsFolder. Returns the file as the
    // user is told of it: the bare name in the current folder, else the full path.
    std::string ExportWorkbook(const std::string& documentsFolder) const;

private:
    void Forget();

    ErrorTables& tables_;
    LocaleFormat locale_;
    CalendarDefaults calendar_;
    std::string copyFolder_;
    LogLoadLimits load_;
    SessionOptions options_;

    std::string sourcePath_;
    LogLines lines_;
    Analysis analysis_;
    bool completed_ = false;
};

}  // namespace lognex
