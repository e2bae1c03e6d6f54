// Windows implementation of platform_files.h. Narrow paths go through
// std::filesystem::path, which converts them from the ANSI code page.
#include <windows.h>

#include <random>
#include <system_error>

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

void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // The C library's rename refuses an existing target; MoveFileExW replaces it.
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
        ThrowLastWindowsError();
}

bool CanWriteFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(std::filesystem::path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

bool CanCreateFileIn(const std::string& folder) {
    if (folder.empty()) return false;
    std::random_device random;
    const std::filesystem::path probe =
        std::filesystem::path(folder) / (".lognex-probe-" + std::to_string(random()));
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace lognex
