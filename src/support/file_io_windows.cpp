// Windows implementation of file_io.h (file_io.cpp is the POSIX one).
//
// Files are written through Win32 handles, so no byte is translated (the C
// library's open() is in text mode unless told otherwise), and put in place
// with MoveFileExW, which replaces an existing target where the C library's
// rename() would fail.
#include <windows.h>

#include <cstring>
#include <random>

#include "support/file_io.h"
#include "support/windows_errors.h"
#include "support/platform_files.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
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

}  // namespace

std::string SystemErrorText(int errorNumber) { return std::strerror(errorNumber); }

void WriteFileWhole(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw std::system_error(EISDIR, std::generic_category());
    fs::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::random_device random;
    const fs::path temporary =
        folder / ("." + PathText(path.filename()) + "." + std::to_string(random()) + ".tmp");
    Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) ThrowLastWindowsError();
    try {
        WriteAll(file.get(), bytes);
        if (::FlushFileBuffers(file.get()) == 0) ThrowLastWindowsError();
        if (!file.Close()) ThrowLastWindowsError();
        if (::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
            ThrowLastWindowsError();
    } catch (...) {
        file.Close();
        ::DeleteFileW(temporary.c_str());
        throw;
    }
}

}  // namespace lognex
