#include "support/file_io.h"

#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>
#include <thread>

#include "support/ansi_text.h"
#include "support/codeset_text.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

// How long a direct write waits for a FIFO's reader: 3 s in 20 ms steps.
constexpr auto kReaderWaitStep = std::chrono::milliseconds(20);
constexpr int kReaderWaitSteps = 150;

[[noreturn]] void ThrowErrno(int errorNumber) { throw std::system_error(errorNumber, std::generic_category()); }

void WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

}  // namespace

std::string SystemErrorText(int errorNumber) {
    // The C library speaks the locale's character set; messages are Windows-1252.
    return NarrowToAnsi(DecodeCodeset(std::strerror(errorNumber), nl_langinfo(CODESET)));
}

std::string CannotCreateFileText(std::string_view path, std::string_view reason) {
    return "Cannot create file \"" + PathToAnsi(path) + "\". " + std::string(reason);
}

fs::path FollowLinks(const fs::path& path) {
    fs::path current = path;
    // The limit the kernel itself applies to a chain of links.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::error_code ec;
        const fs::path link = fs::read_symlink(current, ec);
        if (ec) ThrowErrno(ec.value());
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    ThrowErrno(ELOOP);
}

PendingFile::PendingFile(const fs::path& path, std::string_view bytes, const StagingNotice& staged) {
    target_ = FollowLinks(path);
    struct stat info {};
    const bool exists = ::stat(target_.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) ThrowErrno(errno);
    if (exists && S_ISDIR(info.st_mode)) ThrowErrno(EISDIR);
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a FIFO is the destination itself: renaming a file over
        // it would replace the node instead of writing to it.
        direct_ = true;
        bytes_ = std::string(bytes);
        return;
    }
    // Renaming would get round a file's own write protection.
    if (exists && ::access(target_.c_str(), W_OK) != 0) ThrowErrno(errno);

    fs::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    // In a sticky folder (/tmp, say) only the owner of a file or of the folder
    // may replace it; the rename would be refused after all was staged.
    struct stat folderInfo {};
    if (exists && ::geteuid() != 0 && ::stat(folder.c_str(), &folderInfo) == 0 && (folderInfo.st_mode & S_ISVTX) != 0 &&
        info.st_uid != ::geteuid() && folderInfo.st_uid != ::geteuid())
        ThrowErrno(EPERM);
    fs::path temporary;
    int opened = -1;
    // A name taken already is simply drawn again.
    for (int attempt = 0; opened < 0 && attempt < 100; ++attempt) {
        temporary = HiddenNameIn(folder, ".tmp");
        opened = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (opened < 0 && errno != EEXIST) ThrowErrno(errno);
    }
    Descriptor fd(opened);
    if (fd.get() < 0) ThrowErrno(EEXIST);
    temporary_ = temporary;
    try {
        if (staged) staged(temporary_);
        // The replacement keeps the permissions of the file it replaces.
        if (exists && ::fchmod(fd.get(), info.st_mode & 07777) != 0) ThrowErrno(errno);
        WriteAll(fd.get(), bytes);
        if (::fsync(fd.get()) != 0) ThrowErrno(errno);
        if (fd.Close() != 0) ThrowErrno(errno);
    } catch (...) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        throw;
    }
}

PendingFile::~PendingFile() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void PendingFile::Commit() {
    if (!direct_) {
        if (temporary_.empty()) return;  // committed already
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) ThrowErrno(errno);
        temporary_.clear();
        return;
    }
    // Non-blocking open: a FIFO nobody reads fails (ENXIO) rather than hang.
    // Its reader may still be on the way, so it is given a few seconds.
    int opened = -1;
    for (int attempt = 0;; ++attempt) {
        opened = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (opened >= 0 || errno != ENXIO || attempt >= kReaderWaitSteps) break;
        std::this_thread::sleep_for(kReaderWaitStep);
    }
    Descriptor fd(opened);
    if (fd.get() < 0) ThrowErrno(errno);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) ThrowErrno(errno);
    WriteAll(fd.get(), bytes_);
    if (fd.Close() != 0) ThrowErrno(errno);
    bytes_.clear();
    direct_ = false;
}

void WriteFileWhole(const fs::path& path, std::string_view bytes) {
    PendingFile file(path, bytes);
    file.Commit();
}

}  // namespace lognex
