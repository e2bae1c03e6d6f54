#include "cli/report_paths.h"

#include <filesystem>
#include <system_error>

#include "support/file_io.h"
#include "support/platform_files.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

// Where writing to path lands: links followed, the last one even when it
// dangles, then the folders' links resolved.
bool ResolvedPlace(const std::string& path, fs::path& place) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) return false;
    try {
        place = fs::weakly_canonical(FollowLinks(absolute), ec);
    } catch (const std::system_error&) {
        return false;  // a cycle of links: writing through it fails anyway
    }
    return !ec;
}

}  // namespace

std::string FullPath(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return DisplayPath(ec ? path : PathText(full.lexically_normal()), NativePathSyntax());
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    fs::path placeA, placeB;
    if (!ResolvedPlace(a, placeA) || !ResolvedPlace(b, placeB)) return false;
    // Windows file names compare without case: OUT.txt and out.txt are one file.
    return SamePathText(PathText(placeA), PathText(placeB), NativePathSyntax());
}

}  // namespace lognex
