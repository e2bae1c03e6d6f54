#include "app/command_line.h"

#include "support/program_version.h"

namespace lognex {
namespace {

constexpr char kUsage[] =
    "usage: lognex [LOGFILE] [/debug | -debug]\n"
    "       lognex --help | --version\n"
    "\n"
    "Opens the Lognex window on the error log of a wafer prober: the raw log, a\n"
    "summary of its errors from the most frequent down, a tree of the errors with\n"
    "their occurrences, and a timeline. Only one window runs per user: a later\n"
    "start hands its LOGFILE to the running one.\n"
    "\n"
    "Arguments:\n"
    "  LOGFILE          process this log at once, as if chosen in the log dialog\n"
    "  /debug, -debug   write the help component's diagnostic log HHDebug.txt\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "  --               end the options: a LOGFILE beginning with '-' may follow\n";

}  // namespace

std::optional<std::string> CommandLineAnswer(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument == "--help" || argument == "-h") return std::string(kUsage);
        if (argument == "--version") return "lognex " + std::string(ProgramVersionText()) + "\n";
    }
    return std::nullopt;
}

}  // namespace lognex
