// For the Windows implementations only: Win32 error codes as errno values, so
// a failure reads the same on every platform (SystemErrorText, std::system_error
// in the generic category).
#pragma once

#include <windows.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace lognex {

inline int ErrnoFromWindowsError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CURRENT_DIRECTORY: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY: return EINVAL;
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
        case ERROR_NOT_SAME_DEVICE: return EXDEV;
        default: return EIO;
    }
}

[[noreturn]] inline void ThrowLastWindowsError() {
    throw std::system_error(ErrnoFromWindowsError(::GetLastError()), std::generic_category());
}

// UTF-16 text as UTF-8.
inline std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                              nullptr);
    return out;
}

// UTF-16 text in the ANSI code page, the program's narrow texts and paths.
inline std::string AnsiFromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                              nullptr);
    return out;
}

}  // namespace lognex
