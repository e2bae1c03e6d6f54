// What the running process knows about itself and its user.
// process_info_posix.cpp and process_info_windows.cpp implement this.
#pragma once

#include <string>

namespace lognex {

// The running executable's full path (/proc/self/exe, GetModuleFileNameW);
// empty when the system does not tell.
std::string RunningExecutablePath();

// True when standard error is a terminal or console.
bool StandardErrorIsTerminal();

// Standard output passes bytes unchanged: the summary's CR LF stays CR LF
// instead of becoming CR CR LF in the Windows C library's text mode.
// Nothing to do on POSIX.
void UseBinaryStandardOutput();

// A write past the process's file-size limit fails with EFBIG instead of
// the signal (SIGXFSZ) ending the process. Nothing to do on Windows.
void IgnoreFileSizeSignal();

// True when the text the process writes for people is read as UTF-8: the C
// library locale's codeset is UTF-8 on POSIX; the console's output code page
// is UTF-8 on Windows.
bool MessagesTakeUtf8();

// The process's id, for names of files only this process makes.
unsigned long ProcessId();

// The user's home folder ($HOME, else the password entry's; %USERPROFILE% on
// Windows); empty when there is none.
std::string HomeFolder();

// Where the user's settings and data folders go, as the environment sets
// them: $XDG_CONFIG_HOME and $XDG_DATA_HOME; %APPDATA% and %LOCALAPPDATA% on
// Windows. Empty when unset.
std::string UserConfigBase();
std::string UserDataBase();

// A short text that tells this user from the machine's other users (the
// numeric user id; the user name on Windows).
std::string UserKey();

}  // namespace lognex
