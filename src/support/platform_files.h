// File system calls that differ between POSIX and Windows.
//
// platform_files_posix.cpp and platform_files_windows.cpp implement this;
// the build takes the one for its target. A path's text is the program's own
// (Windows-1252 on Windows, where it is also the ANSI code page the C library
// and std::filesystem convert narrow names through; the bytes as given on
// POSIX).
#pragma once

#include <filesystem>
#include <string>

#include "support/path_rules.h"

namespace lognex {

// A path as the program's text. On Windows path::string() of GCC 12's
// library gives UTF-8 although a path made from a narrow string reads it in
// the ANSI code page; this gives the ANSI code page back.
std::string PathText(const std::filesystem::path& path);

// The path rules of the platform the program was built for.
PathSyntax NativePathSyntax();

// path as sqlite3_open_v2 takes it: UTF-8 on Windows, the bytes as given on POSIX.
std::string SqliteFileName(const std::string& path);

// Creates folder (not its parents) readable by this user alone where the
// platform has such a mode; true also when it exists as a folder already.
bool MakeOwnFolder(const std::filesystem::path& folder);

// Gives the file at existing the second name newName unless newName exists;
// false when it exists or the link cannot be made. existing keeps its name.
bool AddNameIfAbsent(const std::filesystem::path& existing, const std::filesystem::path& newName);

// Copies the file from to to; an existing to is replaced only when replace
// is set. False on any failure.
bool CopyFileOver(const std::filesystem::path& from, const std::filesystem::path& to, bool replace);

// Renames from to to, replacing a file there. Throws std::system_error with
// an errno value.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// True when this user may write the existing file at path (access(W_OK);
// the read-only attribute on Windows).
bool CanWriteFile(const std::string& path);

// True when folder exists and this process can create a file in it (found
// out by creating one and removing it again).
bool CanCreateFileIn(const std::string& folder);

}  // namespace lognex
