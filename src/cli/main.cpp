// lognex-report: the processing run of the window, for scripts.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/report_tool.h"
#include "support/app_paths.h"
#include "support/process_info.h"
#include "support/text_routines.h"

int main(int argc, char** argv) try {
    std::setlocale(LC_ALL, "");
    lognex::UseBinaryStandardOutput();
    // Past a file-size limit a write fails with EFBIG ("File too large") and is
    // reported like any other, instead of the signal ending the tool unheard.
    lognex::IgnoreFileSizeSignal();
    lognex::ReportEnvironment env;
    env.locale = lognex::ReadProcessLocaleFormat();
    env.calendar = lognex::CalendarDefaultsFromClock();
    env.progressBar = lognex::StandardErrorIsTerminal();
    env.utf8Messages = lognex::MessagesTakeUtf8();
    const std::string exe = lognex::RunningExecutablePath();
    env.programFolder = lognex::FolderOfPath(exe.empty() ? std::string(argv[0]) : exe);
    if (env.programFolder.empty()) env.programFolder = ".";
    // An installed copy keeps the alias registry and the table files in the user's folders.
    env.paths = lognex::ResolveAppPaths(lognex::ProbePathFacts(env.programFolder));

    std::ios::sync_with_stdio(false);
    return lognex::RunReport(std::vector<std::string>(argv + 1, argv + argc), env, std::cout, std::cerr);
} catch (const std::bad_alloc&) {
    // Out of memory before the run began (or past its own handling): said, not a crash.
    std::fputs("Out of memory.\n", stderr);
    return lognex::kExitFailed;
}
