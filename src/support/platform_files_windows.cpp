// Windows implementation of platform_files.h. Narrow paths go through
// std::filesystem::path, which converts them from the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <system_error>

#include "support/file_io.h"
#include "support/platform_files.h"
#include "support/windows_errors.h"

namespace lognex {

std::string PathText(const std::filesystem::path& path) { return AnsiFromWide(path.wstring()); }

PathSyntax NativePathSyntax() { return PathSyntax::kWindows; }

std::string SqliteFileName(const std::string& path) { return Utf8FromWide(std::filesystem::path(path).wstring()); }

bool MakeOwnFolder(const std::filesystem::path& folder) {
    // The folder inherits the user profile's access list, which is the user's own.
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return true;
    return ::CreateDirectoryW(folder.c_str(), nullptr) != 0 || std::filesystem::is_directory(folder, ec);
}

bool AddNameIfAbsent(const std::filesystem::path& existing, const std::filesystem::path& newName) {
    // A hard link where the file system has them; else a copy that fails on an existing name.
    if (::CreateHardLinkW(newName.c_str(), existing.c_str(), nullptr) != 0) return true;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
    return ::CopyFileW(existing.c_str(), newName.c_str(), TRUE) != 0;
}

// std::filesystem::copy_file of GCC 12's library for MinGW fails to replace
// an existing target; CopyFileW does it.
bool CopyFileOver(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
    return ::CopyFileW(from.c_str(), to.c_str(), replace ? FALSE : TRUE) != 0;
}

std::optional<CopyFailure> CopyToNewPrivateFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    const DWORD attributes = ::GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return CopyFailure{true, ErrnoFromWindowsError(::GetLastError())};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return CopyFailure{true, EISDIR};
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return CopyFailure{true, EINVAL};
    const HANDLE source = ::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) return CopyFailure{true, ErrnoFromWindowsError(::GetLastError())};
    const bool disk = ::GetFileType(source) == FILE_TYPE_DISK;
    ::CloseHandle(source);
    if (!disk) return CopyFailure{true, EINVAL};
    if (::CopyFileW(from.c_str(), to.c_str(), TRUE) == 0)
        return CopyFailure{false, ErrnoFromWindowsError(::GetLastError())};
    // An installed file may be read-only; the copy must be writable.
    ::SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return std::nullopt;
}

std::optional<CopyFailure> CopyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::path folder = to.parent_path();
    if (folder.empty()) folder = ".";
    std::random_device random;
    const std::filesystem::path staged = folder / (".lognex-copy-" + std::to_string(random()) + ".tmp");
    if (std::optional<CopyFailure> failure = CopyToNewPrivateFile(from, staged)) {
        ::DeleteFileW(staged.c_str());
        return failure;
    }
    if (::MoveFileExW(staged.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        const int errorNumber = ErrnoFromWindowsError(::GetLastError());
        ::DeleteFileW(staged.c_str());
        return CopyFailure{false, errorNumber};
    }
    return std::nullopt;
}

std::string RegularFileProblem(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(std::filesystem::path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemErrorText(ErrnoFromWindowsError(::GetLastError()));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return SystemErrorText(EISDIR);
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return "It is a device, not a regular file";
    return {};
}

RegularFileReader::RegularFileReader(const std::string& path) {
    problem_ = RegularFileProblem(path);
    if (!problem_.empty()) return;
    // Others may go on writing the log (the prober appends to it) while it is read.
    const HANDLE file = ::CreateFileW(std::filesystem::path(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem_ = SystemErrorText(ErrnoFromWindowsError(::GetLastError()));
        return;
    }
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        problem_ = ::GetFileType(file) == FILE_TYPE_PIPE ? "It is a pipe, not a regular file"
                                                         : "It is a device, not a regular file";
    } else if (::GetFileSizeEx(file, &size) == 0) {
        problem_ = SystemErrorText(ErrnoFromWindowsError(::GetLastError()));
    }
    if (!problem_.empty()) {
        ::CloseHandle(file);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

RegularFileReader::~RegularFileReader() {
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::size_t RegularFileReader::Read(char* data, std::size_t size) {
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (::ReadFile(reinterpret_cast<HANDLE>(handle_), data, want, &read, nullptr) == 0) ThrowLastWindowsError();
    return read;
}

void RegularFileReader::Seek(std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (::SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), position, nullptr, FILE_BEGIN) == 0)
        ThrowLastWindowsError();
}

void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // The C library's rename refuses an existing target; MoveFileExW replaces it.
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
        ThrowLastWindowsError();
}

bool CanWriteFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(std::filesystem::path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

bool MayWriteInFolder(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesW(std::filesystem::path(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CanCreateFileIn(const std::string& folder) {
    if (folder.empty()) return false;
    std::random_device random;
    const std::filesystem::path probe = std::filesystem::path(folder) / (".lognex-probe-" + std::to_string(random()));
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace lognex
