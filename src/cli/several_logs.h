// The batch tool over several logs: --compare BASELINE LOG, --fleet FILE.csv
// LOG... (or folders of logs) and --merge LOG.... Each mode reads its logs
// one at a time, without the tables. A log that cannot be read is named with
// its reason on standard error and the others are still reported; the exit
// status is then 1.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/report_tool.h"
#include "logproc/analysis.h"

namespace lognex {

// True for the options that choose a mode over several logs, and --out.
bool IsSeveralLogOption(const std::string& arg);

// Takes such an option into arguments, its file name (if it has one) from
// value. Throws UsageError when a second mode is chosen.
void TakeSeveralLogOption(ReportArguments& arguments, const std::string& arg,
                          const std::function<std::string()>& value);

// Throws UsageError unless the logs and outputs suit the chosen mode.
void CheckSeveralLogArguments(const ReportArguments& arguments);

// Runs the chosen mode; returns the exit status.
int RunSeveralLogs(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& out,
                   std::ostream& err);

// The logs a mode could not read, each told on standard error as it fails.
class LogReadFailures {
public:
    LogReadFailures(const ReportEnvironment& env, std::ostream& err) : env_(env), err_(err) {}

    // The log's analysis; nothing when it cannot be read, which is told.
    std::optional<Analysis> Read(const std::string& path);
    // Tells a failure (a Windows-1252 message that names its file).
    void Tell(const std::string& message);
    bool Any() const { return any_; }

private:
    const ReportEnvironment& env_;
    std::ostream& err_;
    bool any_ = false;
};

// Writes bytes to path whole, or tells why not; false then.
bool WriteWholeOutput(const std::string& path, const std::string& bytes, const ReportEnvironment& env,
                      std::ostream& err);

// The modes, each in its own file.
int RunCompare(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& out, std::ostream& err);
int RunFleet(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& err);
int RunMerge(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& out, std::ostream& err);

}  // namespace lognex
