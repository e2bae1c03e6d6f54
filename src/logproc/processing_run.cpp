#include "logproc/processing_run.h"

#include <filesystem>
#include <system_error>

#include "logproc/analysis_store.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/text_routines.h"

namespace lognex {
namespace {

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

PairLoopScope::PairLoopScope(RunHost& host) : host_(host) { host_.BeginPairLoop(); }

PairLoopScope::~PairLoopScope() {
    try {
        host_.EndPairLoop();
    } catch (...) {
        // Restoring the cursor must not hide the failure that ended the loop.
    }
}

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
    options.sourcePath = source;
    // A source that exists but is no regular file (a FIFO, a folder, a
    // device) is refused by its own reason before anything opens it.
    std::error_code ec;
    const auto type = std::filesystem::status(source, ec).type();
    if (!ec && type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found)
        RequireRegularLogFile(source);
    result.processedPath = source;
    if (options.logCopy) {
        CopyLogOver(source, copyPath);
        result.processedPath = copyPath;
    }
    return result;
}

void ResetTables(ErrorTables& tables) {
    tables.occurrences.Empty();
    tables.errorNames.Empty();
    tables.exportRows.Empty();
}

namespace {

// Runs pass (a pass over the pairs into analysis), then writes analysis into
// the emptied tables, also when the pass failed: the entries before the
// failing pair are stored as counting them one by one would have stored
// them; a failure of the store, which comes earlier in the log, goes on in
// place of the pass's.
template <typename Pass>
void StoreAfterPass(ErrorTables& tables, const Analysis& analysis, Pass&& pass) {
    try {
        pass();
    } catch (...) {
        StoreAnalysis(tables, analysis);
        throw;
    }
    StoreAnalysis(tables, analysis);
}

}  // namespace

void CountPairsIntoTables(ErrorTables& tables, Analysis& analysis, const LogLines& lines, std::size_t from,
                          const LocaleFormat& locale, const PassProgress& progress) {
    StoreAfterPass(tables, analysis, [&] { CountPairs(analysis, lines, from, locale, progress, kLastStorableLine); });
}

RunResult ProcessLog(ErrorTables& tables, Analysis& analysis, RunOptions& options, RunHost& host,
                     const LocaleFormat& locale) {
    RunResult result;
    const std::optional<RunSource> source = ChooseSource(options, host);
    if (!source) return result;
    result.sourcePath = source->sourcePath;
    result.processedPath = source->processedPath;

    // Messages name the log the user chose, also when its copy is read.
    LogLines lines = LoadLogLines(source->processedPath, source->sourcePath, options.load);
    host.ShowLines(lines);
    ResetTables(tables);
    analysis = Analysis{};

    PairLoopScope loop(host);
    StoreAfterPass(tables, analysis, [&] {
        // The store needs only the analysis: the lines (the host keeps what it
        // shows) give their memory back before the tables take theirs.
        const LogLines counted = std::move(lines);
        CountPairs(
            analysis, counted, 0, locale,
            [&host](std::size_t done, std::size_t total) { host.ShowProgress(done, total); }, kLastStorableLine);
    });
    result.outcome = RunOutcome::Completed;
    return result;
}

}  // namespace lognex
