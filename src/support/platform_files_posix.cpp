// POSIX implementation of platform_files.h.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

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
    const auto options = replace ? std::filesystem::copy_options::overwrite_existing : std::filesystem::copy_options::none;
    return std::filesystem::copy_file(from, to, options, ec) && !ec;
}

void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) throw std::system_error(errno, std::generic_category());
}

bool CanWriteFile(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool CanCreateFileIn(const std::string& folder) {
    if (folder.empty()) return false;
    // Permission bits do not tell the whole story (root, read-only mounts, a
    // folder deleted while it is the current one): create a file and see.
    std::string probe = folder + (folder.back() == '/' ? "" : "/") + ".lognex-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

}  // namespace lognex
