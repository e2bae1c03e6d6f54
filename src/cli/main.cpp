// lognex-report: the processing run of the window, for scripts.
#include <clocale>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/report_tool.h"
#include "support/app_paths.h"
#include "support/process_info.h"
#include "support/text_routines.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    lognex::UseBinaryStandardOutput();
    lognex::ReportEnvironment env;
    env.locale = lognex::ReadProcessLocaleFormat();
    env.calendar = lognex::CalendarDefaultsFromClock();
    env.progressBar = lognex::StandardErrorIsTerminal();
    const std::string exe = lognex::RunningExecutablePath();
    env.programFolder = lognex::FolderOfPath(exe.empty() ? std::string(argv[0]) : exe);
    if (env.programFolder.empty()) env.programFolder = ".";
    // An installed copy keeps the alias registry and the table files in the user's folders.
    env.paths = lognex::ResolveAppPaths(lognex::ProbePathFacts(env.programFolder));

    std::ios::sync_with_stdio(false);
    return lognex::RunReport(std::vector<std::string>(argv + 1, argv + argc), env, std::cout, std::cerr);
}
