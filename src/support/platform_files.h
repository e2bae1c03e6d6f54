// File system calls that differ between POSIX and Windows.
//
// platform_files_posix.cpp and platform_files_windows.cpp implement this;
// the build takes the one for its target. A path's text is the program's own
// (Windows-1252 on Windows, where it is also the ANSI code page the C library
// and std::filesystem convert narrow names through; the bytes as given on
// POSIX).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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

// Why CopyToNewPrivateFile failed: on which side, with an errno value.
struct CopyFailure {
    bool atSource = false;
    int errorNumber = 0;
};

// Copies the regular file from to the new file to (which must not exist yet),
// which this user alone may read and write where the platform has modes (0600
// on POSIX), whatever the source's mode. A source that is a folder fails with
// EISDIR, any other non-regular file with EINVAL; nothing is read from a FIFO
// or a device.
std::optional<CopyFailure> CopyToNewPrivateFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Copies the regular file from over to, whole or not at all: the bytes go to
// a new file beside to, which is flushed and renamed over to only once it is
// complete, so to is either left as it was or replaced by a whole copy (a
// full disk or a file-size limit never leaves a cut copy under its name). A
// source that is no regular file is refused as by CopyToNewPrivateFile. On
// failure the staged file is removed and the side that failed is told.
std::optional<CopyFailure> CopyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to);

// Why path is no regular file to read, as a reason for a message: the
// system's text when it cannot be examined ("No such file or directory"),
// "Is a directory", "It is a FIFO (named pipe), not a regular file", ...;
// empty for a regular file. Nothing is opened.
std::string RegularFileProblem(const std::string& path);

// A regular file opened for reading. Opening never waits (a FIFO swapped in
// after a check is refused, not waited on) and checks the type of what was
// opened again.
class RegularFileReader {
public:
    explicit RegularFileReader(const std::string& path);
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    // Why the file could not be opened (see RegularFileProblem); empty once open.
    const std::string& Problem() const { return problem_; }
    // The size the file had when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to size bytes into data: the count read, 0 at the end. Throws
    // std::system_error with an errno value when the read fails.
    std::size_t Read(char* data, std::size_t size);
    // Goes on reading at offset bytes from the start (past the end, reads
    // give 0). Throws std::system_error with an errno value.
    void Seek(std::uint64_t offset);

private:
    std::intptr_t handle_ = -1;  // a descriptor, or a Windows HANDLE
    std::string problem_;
    std::uint64_t size_ = 0;
};

// Renames from to to, replacing a file there. Throws std::system_error with
// an errno value.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// True when this user may write the existing file at path (access(W_OK);
// the read-only attribute on Windows).
bool CanWriteFile(const std::string& path);

// True when this user may create and remove files in the existing folder
// (access(W_OK | X_OK); a folder on Windows). Nothing is created to find out.
bool MayWriteInFolder(const std::string& folder);

// True when folder exists and this process can create a file in it (found
// out by creating one and removing it again).
bool CanCreateFileIn(const std::string& folder);

}  // namespace lognex
