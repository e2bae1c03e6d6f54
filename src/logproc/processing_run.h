// A processing run: choose the log, copy it, load it, empty the tables and
// count its lines two by two.
#pragma once

#include <optional>
#include <string>

#include "logproc/analysis.h"
#include "logproc/log_lines.h"
#include "logproc/pair_pass.h"
#include "support/locale_format.h"
#include "tables/error_tables.h"

namespace lognex {

// Where the prober's control software keeps its log; the source of a run
// without the Prompt option. It exists only on the prober's own computer.
inline constexpr const char* kProberLogPath = "C:\\Comander\\EG_Root\\Machine\\err_log.rpt";
// Name of the copy in the program folder.
inline constexpr const char* kLogCopyName = "err_log.rpt";

struct RunOptions {
    bool prompt = false;
    bool logCopy = true;
    std::string errPath;                     // in/out: replaced by the chosen file's folder at once
    std::string programFolder;               // where the copy "err_log.rpt" goes
    std::string proberLog = kProberLogPath;  // the source of a run without Prompt
    std::string sourcePath;                  // out: the log chosen (not its copy), set also when the run then fails
    LogLoadLimits load;                      // how much of a log the run takes in (the window's are smaller)
};

// What the window (or the batch tool) supplies to a run.
class RunHost {
public:
    virtual ~RunHost() = default;
    // The log-file dialog, opened in initialFolder; nullopt when cancelled.
    virtual std::optional<std::string> ChooseLogFile(const std::string& initialFolder) = 0;
    // The loaded lines replace the log view's content (called before anything is emptied).
    virtual void ShowLines(const LogLines& lines) = 0;
    virtual void BeginPairLoop() = 0;  // show the bar, hourglass cursor
    // done of total steps of the pair loop (one per line, one past the end),
    // told now and then; done = total at its end, and where a failure stopped it.
    virtual void ShowProgress(std::size_t done, std::size_t total) = 0;
    virtual void EndPairLoop() = 0;  // restore cursor, hide bar; also after a failure
};

// Begins the host's pair loop and ends it on every way out of the scope, the
// failing ones included.
class PairLoopScope {
public:
    explicit PairLoopScope(RunHost& host);
    ~PairLoopScope();
    PairLoopScope(const PairLoopScope&) = delete;
    PairLoopScope& operator=(const PairLoopScope&) = delete;

private:
    RunHost& host_;
};

enum class RunOutcome { Completed, Cancelled };

// The file a run reads.
struct RunSource {
    std::string sourcePath;     // the log chosen (or the prober log), before any copy
    std::string processedPath;  // the file actually loaded (the copy path when LogCopy is on)
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Cancelled;
    std::string processedPath;
    std::string sourcePath;
};

// The copy path: programFolder, a separator, "err_log.rpt". A root folder
// keeps its own separator, so the path then has two in a row, which the file
// system takes as one.
std::string LogCopyPath(const std::string& programFolder);

// The first step of a run: the source (the dialog's choice with Prompt, else
// the prober log), and with LogCopy its copy over the copy path, whole or not
// at all, which is then processed. nullopt when the dialog was cancelled, and
// nothing changed. errPath takes the chosen file's folder at once. A source
// that is no regular file or cannot be read fails the run by its name
// ("Cannot open file "%s". %s"); a copy that cannot be written fails it by
// the copy's ("Cannot create file "%s". %s"), and an earlier copy stays as
// it was.
std::optional<RunSource> ChooseSource(RunOptions& options, RunHost& host);

// Empties ErrorOccur, ErrorName and ForExcel, in that order.
void ResetTables(ErrorTables& tables);

// Counts the pairs of lines from view line `from` into analysis (CountPairs)
// and writes the emptied tables from it (StoreAnalysis), also when a pair
// fails to parse: the entries before it are stored, then the failure goes
// on. The pass stops at the first entry the tables cannot hold, whose failure
// StoreAnalysis raises.
void CountPairsIntoTables(ErrorTables& tables, Analysis& analysis, const LogLines& lines, std::size_t from,
                          const LocaleFormat& locale, const PassProgress& progress);

// Runs one processing run. Cancelled when the dialog was cancelled (nothing
// changed). Otherwise errPath takes the chosen file's folder before anything
// is read; with LogCopy the source is copied over the copy path, whole or not
// at all, and the copy is processed (ChooseSource). Every message about
// reading names the source, not its copy. The file is loaded and shown
// before the tables are emptied, so a load failure ("Cannot open file "%s".
// %s", "Failed to Load Stream") or a failed copy leaves them untouched. Then
// ErrorOccur, ErrorName and ForExcel are emptied and the lines
// walked in positional pairs (0 and 1, 2 and 3, ...; a pair with an empty
// line is skipped, a stray line is not re-aligned) into the analysis, from
// which the tables are written. A parse or store failure
// stops the run and is passed on, the entries before it stay counted in the
// tables; EndPairLoop runs whatever happens once BeginPairLoop has.
// analysis is emptied with the tables and then holds what they hold: the
// whole log's entries, or after a failed pass the entries before it.
RunResult ProcessLog(ErrorTables& tables, Analysis& analysis, RunOptions& options, RunHost& host,
                     const LocaleFormat& locale);

}  // namespace lognex
