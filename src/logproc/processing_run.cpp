#include "logproc/processing_run.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "logproc/error_aggregation.h"
#include "logproc/line_numbers.h"
#include "logproc/log_entry_parser.h"
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
    // A source that exists but is no regular file (a FIFO, a folder, a
    // device) is refused before anything opens it, also with LogCopy on,
    // where a copy would otherwise be skipped silently for an earlier one.
    std::error_code ec;
    const auto type = std::filesystem::status(source, ec).type();
    if (!ec && type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found) {
        options.loadedPath = source;  // the refused file is the one the run names
        RequireRegularLogFile(source);
    }
    if (options.logCopy) {
        // A failed copy is not an error: whatever is at the copy path (maybe an
        // earlier run's copy) is processed, and copyFailed says so.
        result.copyFailed = !CopyFileTo(source, copyPath, true);
        source = copyPath;
    }
    result.processedPath = source;
    options.loadedPath = source;

    const LogLines lines = LoadLogLines(source, options.load);
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
                // Past the field's range the store refuses the line with its range message.
                AddLogEntry(tables, times, entry, static_cast<std::int64_t>(headerLine.number));
            }
        }
        if (i % step == 0) host.AdvanceProgress();
    }
    result.outcome = RunOutcome::Completed;
    return result;
}

}  // namespace lognex
