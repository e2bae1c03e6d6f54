#include "support/file_io.h"

#include "support/ansi_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace lognex {
namespace {

// Closes a descriptor and removes the temporary file unless released.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void Keep() { path_.clear(); }

private:
    int fd_;
    std::filesystem::path path_;
};

[[noreturn]] void ThrowErrno(int errorNumber) {
    throw std::system_error(errorNumber, std::generic_category());
}

}  // namespace

std::string SystemErrorText(int errorNumber) { return std::strerror(errorNumber); }

std::string CannotCreateFileText(std::string_view path, std::string_view reason) {
    return "Cannot create file \"" + PathToAnsi(path) + "\". " + std::string(reason);
}

void WriteFileWhole(const std::filesystem::path& path, std::string_view bytes) {
    // Refuse a folder up front: rename() would report it less clearly.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) ThrowErrno(EISDIR);

    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::random_device random;
    const std::filesystem::path temporaryPath =
        folder / ("." + path.filename().string() + "." + std::to_string(random()) + ".tmp");

    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) ThrowErrno(errno);
    TemporaryFile temporary(fd, temporaryPath);

    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(temporary.fd(), data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(temporary.fd()) != 0) ThrowErrno(errno);
    if (temporary.Close() != 0) ThrowErrno(errno);
    if (::rename(temporaryPath.c_str(), path.c_str()) != 0) ThrowErrno(errno);
    temporary.Keep();
}

}  // namespace lognex
