// --fleet FILE.csv LOG|FOLDER...: one row per error, one column per log.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/report_outputs.h"
#include "cli/report_paths.h"
#include "cli/several_logs.h"
#include "support/ansi_text.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "views/fleet_table.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

// The logs (files ending in .rpt, in any case) in folder and the folders
// below it, by path. Linked folders are not entered, so a link back up
// cannot make the walk endless. A folder that cannot be read is told.
void CollectLogs(const fs::path& folder, std::vector<std::string>& logs, LogReadFailures& failures) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
    if (ec) {
        failures.Tell(PathToAnsi(FullPath(PathText(folder))) + ": " + SystemErrorText(ec.value()));
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : entries) {
        std::error_code typeEc;
        if (entry.is_directory(typeEc) && !entry.is_symlink(typeEc))
            CollectLogs(entry.path(), logs, failures);
        else if (LowerExtension(PathText(entry.path())) == ".rpt")
            logs.push_back(PathText(entry.path()));
    }
}

// The logs named, a folder standing for the logs in it.
std::vector<std::string> FleetLogs(const std::vector<std::string>& given, LogReadFailures& failures) {
    std::vector<std::string> logs;
    for (const std::string& path : given) {
        std::error_code ec;
        if (!fs::is_directory(fs::path(path), ec)) {
            logs.push_back(path);  // reading it says what is wrong with it
            continue;
        }
        const std::size_t before = logs.size();
        CollectLogs(fs::path(path), logs, failures);
        if (logs.size() == before) failures.Tell(PathToAnsi(FullPath(path)) + ": no log (*.rpt) in this folder");
    }
    return logs;
}

}  // namespace

int RunFleet(const ReportArguments& arguments, const ReportEnvironment& env, std::ostream& err) {
    LogReadFailures failures(env, err);
    FleetTable fleet;
    std::vector<std::string> read;
    for (const std::string& log : FleetLogs(arguments.logFiles, failures)) {
        // One log's analysis at a time: the table keeps only its counts.
        if (const std::optional<Analysis> analysis = failures.Read(log)) {
            AddFleetLog(fleet, {}, *analysis);
            read.push_back(log);
        }
    }
    // Named once all are read, so that a log that failed does not change
    // how the others are named.
    const std::vector<std::string> names = FleetColumnNames(read);
    for (std::size_t i = 0; i < names.size(); ++i) fleet.columns[i].name = PathToAnsi(names[i]);
    if (fleet.columns.empty()) {
        const std::string text = "no log could be read; " + PathToAnsi(arguments.outFile) + " is not written";
        err << "lognex-report: " << (env.utf8Messages ? AnsiToUtf8(text) : text) << "\n";
        return kExitFailed;
    }
    if (!WriteWholeOutput(arguments.outFile, FleetCsv(fleet), env, err)) return kExitFailed;
    return failures.Any() ? kExitFailed : kExitDone;
}

}  // namespace lognex
