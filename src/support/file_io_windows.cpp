// Windows implementation of file_io.h (file_io.cpp is the POSIX one).
//
// Files are written through Win32 handles, so no byte is translated (the C
// library's open() is in text mode unless told otherwise), and put in place
// with MoveFileExW, which replaces an existing target where the C library's
// rename() would fail. Symbolic links are rare on Windows and need rights to
// make: a path is taken as the file it names, and replacing a link replaces
// the link.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "support/ansi_text.h"
#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/windows_errors.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    void Reset(HANDLE h) {
        Close();
        h_ = h;
    }
    bool Close() {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = ::CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

void WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (::WriteFile(file, bytes.data(), chunk, &written, nullptr) == 0) ThrowLastWindowsError();
        bytes.remove_prefix(written);
    }
}

[[noreturn]] void ThrowErrno(int errorNumber) { throw std::system_error(errorNumber, std::generic_category()); }

}  // namespace

std::string SystemErrorText(int errorNumber) { return std::strerror(errorNumber); }

std::string CannotCreateFileText(std::string_view path, std::string_view reason) {
    return "Cannot create file \"" + PathToAnsi(path) + "\". " + std::string(reason);
}

fs::path FollowLinks(const fs::path& path) { return path; }

PendingFile::PendingFile(const fs::path& path, std::string_view bytes, const StagingNotice& staged) {
    target_ = FollowLinks(path);
    const DWORD attributes = ::GetFileAttributesW(target_.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) ThrowLastWindowsError();
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ThrowErrno(EISDIR);
    if (exists && (attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        // A device is the destination itself.
        direct_ = true;
        bytes_ = std::string(bytes);
        return;
    }
    // Renaming would get round a file's own write protection.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) ThrowErrno(EACCES);

    fs::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    fs::path temporary;
    Handle file(INVALID_HANDLE_VALUE);
    // A name taken already is simply drawn again.
    for (int attempt = 0; file.get() == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        temporary = HiddenNameIn(folder, ".tmp");
        file.Reset(
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) ThrowLastWindowsError();
    }
    if (file.get() == INVALID_HANDLE_VALUE) ThrowErrno(EEXIST);
    temporary_ = temporary;
    try {
        if (staged) staged(temporary_);
        WriteAll(file.get(), bytes);
        if (::FlushFileBuffers(file.get()) == 0) ThrowLastWindowsError();
        if (!file.Close()) ThrowLastWindowsError();
    } catch (...) {
        file.Close();
        ::DeleteFileW(temporary_.c_str());
        temporary_.clear();
        throw;
    }
}

PendingFile::~PendingFile() {
    if (!temporary_.empty()) ::DeleteFileW(temporary_.c_str());
}

void PendingFile::Commit() {
    if (!direct_) {
        if (temporary_.empty()) return;  // committed already
        RenameOver(temporary_, target_);
        temporary_.clear();
        return;
    }
    Handle file(::CreateFileW(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) ThrowLastWindowsError();
    WriteAll(file.get(), bytes_);
    if (!file.Close()) ThrowLastWindowsError();
    bytes_.clear();
    direct_ = false;
}

void WriteFileWhole(const fs::path& path, std::string_view bytes) {
    PendingFile file(path, bytes);
    file.Commit();
}

}  // namespace lognex
