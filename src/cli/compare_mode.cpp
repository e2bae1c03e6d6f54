// --compare BASELINE LOG [--out FILE.csv|FILE.txt]: the comparison table.
#include <ostream>

#include "cli/report_outputs.h"
#include "cli/several_logs.h"
#include "support/ansi_text.h"
#include "views/log_comparison.h"

namespace lognex {

int RunCompare(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& out, std::ostream& err) {
    LogReadFailures failures(env, err);
    // Both are read, so that both are named when both fail.
    const std::optional<Analysis> baseline = failures.Read(arguments.logFiles[0]);
    const std::optional<Analysis> current = failures.Read(arguments.logFiles[1]);
    if (!baseline || !current) return kExitFailed;

    const Comparison comparison = CompareAnalyses(*baseline, *current);
    const auto lines = [&](const char* end) {
        std::string text;
        for (const std::string& line : ComparisonLines(comparison, PathToAnsi(arguments.logFiles[0]),
                                                       PathToAnsi(arguments.logFiles[1]), env.locale))
            text += line + end;
        return text;
    };
    if (arguments.outFile.empty()) {
        out << lines("\n") << std::flush;
        if (out) return kExitDone;
        err << "lognex-report: cannot write to standard output\n";
        return kExitFailed;
    }
    const bool csv = LowerExtension(arguments.outFile) == ".csv";
    return WriteWholeOutput(arguments.outFile, csv ? ComparisonCsv(comparison) : lines("\r\n"), env, err) ? kExitDone
                                                                                                          : kExitFailed;
}

}  // namespace lognex
