// Windows implementation of process_info.h.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/process_info.h"
#include "support/windows_errors.h"

namespace lognex {

std::string RunningExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return AnsiFromWide(path);
        }
        path.resize(path.size() * 2);  // cut short: try a longer buffer
    }
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void UseBinaryStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }

void IgnoreFileSizeSignal() {}

bool MessagesTakeUtf8() { return ::GetConsoleOutputCP() == CP_UTF8; }

unsigned long ProcessId() { return ::GetCurrentProcessId(); }

namespace {
std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}
}  // namespace

std::string HomeFolder() { return EnvironmentValue("USERPROFILE"); }
std::string UserConfigBase() { return EnvironmentValue("APPDATA"); }
std::string UserDataBase() { return EnvironmentValue("LOCALAPPDATA"); }

std::string UserKey() {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (::GetUserNameW(name, &size) == 0 || size == 0) return "user";
    return Utf8FromWide(std::wstring(name, size - 1));
}

}  // namespace lognex
