// POSIX implementation of platform_files.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <system_error>

#include "support/file_io.h"
#include "support/platform_files.h"

namespace lognex {

std::string PathText(const std::filesystem::path& path) { return path.string(); }

PathSyntax NativePathSyntax() { return PathSyntax::kPosix; }

std::string SqliteFileName(const std::string& path) { return path; }

bool MakeOwnFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return true;
    return ::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && std::filesystem::is_directory(folder, ec));
}

bool AddNameIfAbsent(const std::filesystem::path& existing, const std::filesystem::path& newName) {
    return ::link(existing.c_str(), newName.c_str()) == 0;
}

bool CopyFileOver(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
    std::error_code ec;
    const auto options =
        replace ? std::filesystem::copy_options::overwrite_existing : std::filesystem::copy_options::none;
    return std::filesystem::copy_file(from, to, options, ec) && !ec;
}

namespace {

// Opens the regular file from for a copy: nothing waits on a FIFO, and what
// was opened is checked again. A descriptor, or the errno value on failure.
int OpenCopySource(const std::filesystem::path& from, int& errorNumber) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        errorNumber = errno;
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        errorNumber = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) errorNumber = errno;
    if (in >= 0 && (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode))) {
        errorNumber = EINVAL;
        ::close(in);
        return -1;
    }
    return in;
}

// Copies every byte of in to out.
std::optional<CopyFailure> CopyBytes(int in, int out) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return CopyFailure{true, errno};
        if (n == 0) return std::nullopt;
        for (ssize_t done = 0; done < n;) {
            const ssize_t written = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return CopyFailure{false, errno};
            done += written;
        }
    }
}

struct DescriptorPair {
    int in, out;
    ~DescriptorPair() {
        ::close(in);
        if (out >= 0) ::close(out);
    }
};

}  // namespace

std::optional<CopyFailure> CopyToNewPrivateFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    int errorNumber = 0;
    const int in = OpenCopySource(from, errorNumber);
    if (in < 0) return CopyFailure{true, errorNumber};
    DescriptorPair files{in, ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
    if (files.out < 0) return CopyFailure{false, errno};
    return CopyBytes(files.in, files.out);
}

std::optional<CopyFailure> CopyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to) {
    int errorNumber = 0;
    const int in = OpenCopySource(from, errorNumber);
    if (in < 0) return CopyFailure{true, errorNumber};
    DescriptorPair files{in, -1};
    std::filesystem::path folder = to.parent_path();
    if (folder.empty()) folder = ".";
    // A short name of its own, so that a long target name cannot make it too long.
    std::filesystem::path staged;
    std::random_device random;
    for (int attempt = 0; files.out < 0; ++attempt) {
        staged = folder / (".lognex-copy-" + std::to_string(random()) + ".tmp");
        files.out = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (files.out < 0 && (errno != EEXIST || attempt == 9)) return CopyFailure{false, errno};
    }
    std::optional<CopyFailure> failure = CopyBytes(files.in, files.out);
    if (!failure && ::fsync(files.out) != 0) failure = CopyFailure{false, errno};
    const int out = files.out;
    files.out = -1;
    if (::close(out) != 0 && !failure) failure = CopyFailure{false, errno};
    if (!failure && ::rename(staged.c_str(), to.c_str()) != 0) failure = CopyFailure{false, errno};
    if (failure) ::unlink(staged.c_str());
    return failure;
}

namespace {

// Why a file of this type is no regular file to read, or empty for a regular file.
std::string NotRegularReason(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return SystemErrorText(EISDIR);
    if (S_ISFIFO(mode)) return "It is a FIFO (named pipe), not a regular file";
    if (S_ISSOCK(mode)) return "It is a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "It is a device, not a regular file";
    return "It is not a regular file";
}

}  // namespace

std::string RegularFileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return SystemErrorText(errno);
    return NotRegularReason(info.st_mode);
}

RegularFileReader::RegularFileReader(const std::string& path) {
    problem_ = RegularFileProblem(path);
    if (!problem_.empty()) return;
    // Non-blocking, so that a file swapped for a FIFO after the check cannot
    // make the open wait; the type is checked again on what was opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem_ = SystemErrorText(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        problem_ = SystemErrorText(errno);
    } else {
        problem_ = NotRegularReason(info.st_mode);
    }
    if (!problem_.empty()) {
        ::close(fd);
        return;
    }
    handle_ = fd;
    size_ = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

RegularFileReader::~RegularFileReader() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::size_t RegularFileReader::Read(char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), data, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw std::system_error(errno, std::generic_category());
    }
}

void RegularFileReader::Seek(std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        throw std::system_error(EOVERFLOW, std::generic_category());
    if (::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) < 0)
        throw std::system_error(errno, std::generic_category());
}

void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) throw std::system_error(errno, std::generic_category());
}

bool CanWriteFile(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool MayWriteInFolder(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

bool CanCreateFileIn(const std::string& folder) {
    if (folder.empty()) return false;
        // Permission bits do not tell the whole story (root, read-only mounts, a
        // folder deleted while it is the current one): create a file and see.
        // A file without a name leaves nothing behind, even when its removal
        // would have failed; not every file system can make one.
#ifdef O_TMPFILE
    const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (unnamed >= 0) {
        ::close(unnamed);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
#endif
    std::string probe = folder + (folder.back() == '/' ? "" : "/") + ".lognex-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

}  // namespace lognex
