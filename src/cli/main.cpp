// lognex-report: the processing run of the window, for scripts.
#include <langinfo.h>
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/report_tool.h"
#include "support/app_paths.h"
#include "support/text_routines.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Past a file-size limit a write fails with EFBIG ("File too large") and is
    // reported like any other, instead of the signal ending the tool unheard.
    ::signal(SIGXFSZ, SIG_IGN);
    lognex::ReportEnvironment env;
    env.locale = lognex::ReadProcessLocaleFormat();
    env.calendar = lognex::CalendarDefaultsFromClock();
    env.progressBar = ::isatty(STDERR_FILENO) == 1;
    env.utf8Messages = std::string_view(nl_langinfo(CODESET)) == "UTF-8";
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    env.programFolder = lognex::FolderOfPath(ec ? std::string(argv[0]) : exe.string());
    if (env.programFolder.empty()) env.programFolder = ".";
    // An installed copy keeps the alias registry and the table files in the user's folders.
    env.paths = lognex::ResolveAppPaths(lognex::ProbePathFacts(env.programFolder));

    std::ios::sync_with_stdio(false);
    return lognex::RunReport(std::vector<std::string>(argv + 1, argv + argc), env, std::cout, std::cerr);
}
