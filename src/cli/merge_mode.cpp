// --merge LOG...: the files of one log (err_log.rpt and the files it was
// renamed to) as one log in time order, with the outputs of a single log.
#include <filesystem>
#include <ostream>
#include <set>

#include "cli/report_outputs.h"
#include "cli/several_logs.h"
#include "logproc/merged_log.h"
#include "support/ansi_text.h"
#include "views/merged_tree.h"

namespace lognex {
namespace {

// How entries name their file: by its name, or by the path given when two
// files share a name.
std::vector<std::string> PartNames(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& path : paths) names.push_back(std::filesystem::path(path).filename().string());
    if (std::set<std::string>(names.begin(), names.end()).size() != names.size()) names = paths;
    for (std::string& name : names) name = PathToAnsi(name);
    return names;
}

}  // namespace

int RunMerge(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& out, std::ostream& err) {
    LogReadFailures failures(env, err);
    const std::vector<std::string> names = PartNames(arguments.logFiles);
    std::vector<LogPart> parts;
    for (std::size_t i = 0; i < arguments.logFiles.size(); ++i)
        if (std::optional<Analysis> analysis = failures.Read(arguments.logFiles[i]))
            parts.push_back({names[i], std::move(*analysis)});
    if (parts.empty()) return kExitFailed;

    const MergedLog merged = MergeLogParts(std::move(parts));
    try {
        const ReportContent content{
            merged.analysis, [&] { return TreeFileBytes(BuildMergedTree(merged, arguments.source, env.locale)); }, {}};
        for (const std::string& leftOver : WriteReportOutputs(arguments, env, content, out))
            err << "lognex-report: " << (env.utf8Messages ? AnsiToUtf8(leftOver) : leftOver) << "\n";
    } catch (const std::exception& failure) {
        const std::string text = MessageLines(failure.what());
        err << (env.utf8Messages ? AnsiToUtf8(text) : text) << "\n";
        return kExitFailed;
    }
    return failures.Any() ? kExitFailed : kExitDone;
}

}  // namespace lognex
