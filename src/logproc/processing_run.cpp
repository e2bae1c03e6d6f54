#include "logproc/processing_run.h"

#include <climits>
#include <filesystem>
#include <system_error>

#include "logproc/error_aggregation.h"
#include "logproc/line_numbers.h"
#include "logproc/log_entry_parser.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/text_routines.h"

namespace lognex {
namespace {

// Ends the pair loop on every way out of it, the failing ones included.
class PairLoopScope {
public:
    explicit PairLoopScope(RunHost& host) : host_(host) { host_.BeginPairLoop(); }
    ~PairLoopScope() {
        try {
            host_.EndPairLoop();
        } catch (...) {
            // Restoring the cursor must not hide the failure that ended the loop.
        }
    }
    PairLoopScope(const PairLoopScope&) = delete;
    PairLoopScope& operator=(const PairLoopScope&) = delete;

private:
    RunHost& host_;
};

// Copies the log over the copy path, whole or not at all. A log that cannot
// be read fails the run by its own name; an earlier copy is never processed
// in its place, and it stays until a whole new copy replaces it.
void CopyLogOver(const std::string& source, const std::string& copyPath) {
    const std::optional<CopyFailure> failure = CopyFileWhole(source, copyPath);
    if (!failure) return;
    const std::string reason = SystemErrorText(failure->errorNumber);
    if (failure->atSource) throw Error("Cannot open file \"" + PathToAnsi(source) + "\". " + reason);
    throw Error(CannotCreateFileText(copyPath, reason));
}

}  // namespace

std::string LogCopyPath(const std::string& programFolder) { return programFolder + "/" + kLogCopyName; }

RunResult ProcessLog(ErrorTables& tables, EntryTimes& times, RunOptions& options, RunHost& host,
                     const LocaleFormat& locale) {
    RunResult result;
    const std::string copyPath = LogCopyPath(options.programFolder);

    std::string source = options.proberLog;
    if (options.prompt) {
        std::optional<std::string> chosen = host.ChooseLogFile(options.errPath);
        if (!chosen) return result;
        // The folder is remembered even when the file then fails to load.
        options.errPath = FolderOfPath(*chosen);
        source = std::move(*chosen);
    }
    result.sourcePath = source;
    options.sourcePath = source;
    // A source that exists but is no regular file (a FIFO, a folder, a
    // device) is refused by its own reason before anything opens it.
    std::error_code ec;
    const auto type = std::filesystem::status(source, ec).type();
    if (!ec && type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found)
        RequireRegularLogFile(source);
    std::string loaded = source;
    if (options.logCopy) {
        CopyLogOver(source, copyPath);
        loaded = copyPath;
    }
    result.processedPath = loaded;

    // Messages name the log the user chose, also when its copy is read.
    const LogLines lines = LoadLogLines(loaded, source);
    host.ShowLines(lines);

    const std::size_t count = lines.Count();
    const std::size_t step = count / 20 + 1;

    tables.occurrences.Empty();
    tables.errorNames.Empty();
    tables.exportRows.Empty();
    times = EntryTimes{};

    PairLoopScope loop(host);
    for (std::size_t i = 0; i <= count; ++i) {
        // Pairs are positional: a stray or blank line is not re-aligned, so the
        // pairs after it are read out of step.
        if (i % 2 == 0) {
            const std::string header = lines.Line(i);
            const std::string text = lines.Line(i + 1);
            if (!header.empty() && !text.empty()) {
                const LogEntry entry = ParseLogEntry(header, text, locale);
                const LogLineNumber headerLine = LogLineNumberOf(ViewLine{i});
                AddLogEntry(tables, times, entry,
                            headerLine.number <= INT_MAX ? static_cast<int>(headerLine.number) : INT_MAX);
            }
        }
        if (i % step == 0) host.AdvanceProgress();
    }
    result.outcome = RunOutcome::Completed;
    return result;
}

}  // namespace lognex
