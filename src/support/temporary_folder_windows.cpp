// Windows implementation of temporary_folder.h.
#include <windows.h>

#include <random>
#include <system_error>

#include "support/temporary_folder.h"
#include "support/windows_errors.h"

namespace lognex {

std::filesystem::path SystemTemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return length > 0 && length <= MAX_PATH ? std::filesystem::path(std::wstring(buffer, length)) : "";
}

std::filesystem::path MakeTemporaryFolder(std::string_view prefix) {
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    std::random_device random;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // CreateDirectoryW fails on an existing name, so a clash is simply retried.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(prefix);
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        const std::filesystem::path folder = parent / name;
        if (::CreateDirectoryW(folder.c_str(), nullptr) != 0) return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastWindowsError();
    }
    throw std::system_error(EEXIST, std::generic_category());
}

}  // namespace lognex
