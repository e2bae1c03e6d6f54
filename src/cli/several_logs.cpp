#include "cli/several_logs.h"

#include <cerrno>
#include <new>
#include <ostream>

#include "cli/interrupt_cleanup.h"
#include "cli/report_outputs.h"
#include "cli/report_paths.h"
#include "cli/staged_outputs.h"
#include "logproc/log_file_analysis.h"
#include "support/ansi_text.h"
#include "support/file_io.h"

namespace lognex {
namespace {

bool HasSingleLogOutput(const ReportArguments& a) {
    return !a.summaryFile.empty() || !a.treeFile.empty() || !a.excelFile.empty() || !a.timelineFile.empty() || a.source;
}

}  // namespace

bool IsSeveralLogOption(const std::string& arg) {
    return arg == "--compare" || arg == "--fleet" || arg == "--merge" || arg == "--out";
}

void TakeSeveralLogOption(ReportArguments& arguments, const std::string& arg,
                          const std::function<std::string()>& value) {
    // --fleet names its file itself; a --out beside it would take its place.
    const bool outWithFleet =
        arg == "--out" ? arguments.mode == ReportMode::Fleet : arg == "--fleet" && !arguments.outFile.empty();
    if (outWithFleet) throw UsageError("--out goes with --compare");
    if (arg == "--out") {
        arguments.outFile = value();
        return;
    }
    if (arguments.mode != ReportMode::Single) throw UsageError("choose one of --compare, --fleet and --merge");
    arguments.mode = arg == "--compare" ? ReportMode::Compare
                     : arg == "--fleet" ? ReportMode::Fleet
                                        : ReportMode::Merge;
    if (arguments.mode == ReportMode::Fleet) arguments.outFile = value();
}

void CheckSeveralLogArguments(const ReportArguments& arguments) {
    const std::size_t logs = arguments.logFiles.size();
    switch (arguments.mode) {
        case ReportMode::Compare:
            if (logs != 2) throw UsageError("--compare takes two logs: the baseline, then the current log");
            if (!arguments.outFile.empty() && LowerExtension(arguments.outFile) != ".csv" &&
                LowerExtension(arguments.outFile) != ".txt")
                throw UsageError("--out needs a file ending in .csv or .txt");
            if (HasSingleLogOutput(arguments)) throw UsageError("--compare writes only --out");
            break;
        case ReportMode::Fleet:
            if (LowerExtension(arguments.outFile) != ".csv") throw UsageError("--fleet needs a file ending in .csv");
            if (logs == 0) throw UsageError("--fleet needs logs or folders of logs");
            if (HasSingleLogOutput(arguments)) throw UsageError("--fleet writes only its .csv file");
            break;
        case ReportMode::Merge:
            if (logs == 0) throw UsageError("--merge needs the files of one log");
            if (!arguments.outFile.empty()) throw UsageError("--out goes with --compare");
            break;
        case ReportMode::Single: break;
    }
}

int RunSeveralLogs(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& out,
                   std::ostream& err) {
    // An interrupt removes whatever output is staged.
    InstallInterruptCleanup();
    const auto tell = [&](const std::string& text) {
        const std::string lines = MessageLines(text);
        err << (env.utf8Messages ? AnsiToUtf8(lines) : lines) << "\n";
        return kExitFailed;
    };
    try {
        switch (arguments.mode) {
            case ReportMode::Compare: return RunCompare(arguments, env, out, err);
            case ReportMode::Fleet: return RunFleet(arguments, env, err);
            case ReportMode::Merge: return RunMerge(arguments, env, out, err);
            case ReportMode::Single: break;
        }
    } catch (const std::bad_alloc&) {
        return tell("Out of memory\n" + SystemErrorText(ENOMEM));
    } catch (const std::exception& failure) {
        return tell(failure.what());
    }
    return kExitUsage;
}

std::optional<Analysis> LogReadFailures::Read(const std::string& path) {
    try {
        return AnalyzeLogFile(FullPath(path), env_.locale);
    } catch (const std::bad_alloc&) {
        Tell("Out of memory\n" + PathToAnsi(FullPath(path)) + ": " + SystemErrorText(ENOMEM));
    } catch (const std::exception& failure) {
        Tell(failure.what());
    }
    return std::nullopt;
}

void LogReadFailures::Tell(const std::string& message) {
    any_ = true;
    const std::string text = MessageLines(message);
    err_ << (env_.utf8Messages ? AnsiToUtf8(text) : text) << "\n";
}

bool WriteWholeOutput(const std::string& path, const std::string& bytes, const ReportEnvironment& env,
                      std::ostream& err) {
    const auto message = [&env](const std::string& text) { return env.utf8Messages ? AnsiToUtf8(text) : text; };
    try {
        StagedOutputs outputs;
        outputs.Add(path, bytes);
        for (const std::string& leftOver : outputs.Commit()) err << "lognex-report: " << message(leftOver) << "\n";
        return true;
    } catch (const std::exception& failure) {
        err << message(MessageLines(failure.what())) << "\n";
        return false;
    }
}

}  // namespace lognex
