// Starting the built lognex-report from a test and collecting what it said.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "logproc/error_tables_fixture.h"

namespace lognex::testing {

// s quoted for the shell.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Three entries of two errors over two days: the log most tool tests run on.
inline std::string ThreeEntryLog() {
    return LogText({
        "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580",
        "Wafer loading error - wafer not sensed on chuck pins",
        "Tue Apr 17 21:49:59 2007 FILE: PreAlign.c at LINE: 912",
        "Prealign failure - flat not found",
        "Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580",
        "Wafer loading error - wafer not sensed on chuck pins",
    });
}

struct ToolRun {
    int status = -1;  // the exit status; -1 when a signal ended the tool
    std::string out, err;
};

// Runs command through bash in folder, its standard output and error going
// to the files stdout and stderr there.
inline ToolRun RunInFolder(const std::string& folder, const std::string& command) {
    const std::string line = "cd " + Quote(folder) + " && " + command + " >stdout 2>stderr";
    const int raw = std::system(("bash -c " + Quote(line)).c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(folder + "/stdout");
    run.err = ReadFile(folder + "/stderr");
    return run;
}

}  // namespace lognex::testing
