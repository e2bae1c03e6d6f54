#include "logproc/processing_run.h"

#include <filesystem>
#include <system_error>

#include "logproc/analysis_store.h"
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

std::optional<RunSource> ChooseSource(RunOptions& options, RunHost& host) {
    const std::string copyPath = LogCopyPath(options.programFolder);
    std::string source = options.proberLog;
    if (options.prompt) {
        std::optional<std::string> chosen = host.ChooseLogFile(options.errPath);
        if (!chosen) return std::nullopt;
        // The folder is remembered even when the file then fails to load.
        options.errPath = FolderOfPath(*chosen);
        source = std::move(*chosen);
    }
    RunSource result;
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
    return result;
}

void ResetTables(ErrorTables& tables) {
    tables.occurrences.Empty();
    tables.errorNames.Empty();
    tables.exportRows.Empty();
}

void CountPairsIntoTables(ErrorTables& tables, Analysis& analysis, const LogLines& lines, std::size_t from,
                          const LocaleFormat& locale, const PassProgress& progress) {
    try {
        CountPairs(analysis, lines, from, locale, progress, kLastStorableLine);
    } catch (...) {
        // The entries before the failing pair are stored as counting them
        // one by one would have stored them; a failure of the store, which
        // comes earlier in the log, goes on in place of the parser's.
        StoreAnalysis(tables, analysis);
        throw;
    }
    StoreAnalysis(tables, analysis);
}

RunResult ProcessLog(ErrorTables& tables, Analysis& analysis, RunOptions& options, RunHost& host,
                     const LocaleFormat& locale) {
    RunResult result;
    const std::optional<RunSource> source = ChooseSource(options, host);
    if (!source) return result;
    result.sourcePath = source->sourcePath;
    result.processedPath = source->processedPath;
    result.copyFailed = source->copyFailed;

    const LogLines lines = LoadLogLines(source->processedPath);
    host.ShowLines(lines);
    ResetTables(tables);
    analysis = Analysis{};

    PairLoopScope loop(host);
    CountPairsIntoTables(tables, analysis, lines, 0, locale,
                         [&host](std::size_t done, std::size_t total) { host.ShowProgress(done, total); });
    result.outcome = RunOutcome::Completed;
    return result;
}

}  // namespace lognex
