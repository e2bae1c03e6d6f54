// POSIX implementation of process_info.h.
#include <langinfo.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "support/process_info.h"

namespace lognex {

std::string RunningExecutablePath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

// isatty() promises only a non-zero value for a terminal.
bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

void UseBinaryStandardOutput() {}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

bool MessagesTakeUtf8() { return std::string_view(nl_langinfo(CODESET)) == "UTF-8"; }

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

namespace {
std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}
}  // namespace

std::string UserConfigBase() { return EnvironmentValue("XDG_CONFIG_HOME"); }
std::string UserDataBase() { return EnvironmentValue("XDG_DATA_HOME"); }

std::string UserKey() { return std::to_string(::getuid()); }

}  // namespace lognex
