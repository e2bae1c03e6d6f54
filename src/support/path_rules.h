// How each platform spells and compares file paths.
//
// Pure functions over the path's text, so both rule sets are exercised on
// every platform. The program's own platform is NativePathSyntax() (see
// platform_files.h).
#pragma once

#include <string>
#include <string_view>

namespace lognex {

enum class PathSyntax {
    kPosix,    // '/' separates; one root "/"; names compare byte for byte
    kWindows,  // '\' and '/' separate; roots "C:\", "C:", "\\server\share\", "\"; case does not matter
};

// The root a path starts with, as written ("C:/", "\\server\share\", "/");
// empty for a relative path. A UNC root needs both a server and a share.
std::string_view PathRoot(std::string_view path, PathSyntax syntax);

// The path as the platform writes it: under Windows every '/' becomes '\'
// ("C:\Tools/err_log.rpt" -> "C:\Tools\err_log.rpt"); POSIX paths stay as given.
std::string DisplayPath(std::string_view path, PathSyntax syntax);

// Whether a path names the same file from every current folder: POSIX "/...";
// Windows "C:\..." or "\\server\share\..." (not "C:x" nor "\x", which
// depend on the current drive and its folder).
bool IsAbsolutePath(std::string_view path, PathSyntax syntax);

// The path without trailing separators, except one that ends its root.
std::string_view WithoutTrailingSeparators(std::string_view path, PathSyntax syntax);

// Whether two paths, each already absolute and normalised, name the same file
// by their text: under Windows separators are alike, letters of Windows-1252
// compare without case, and a trailing separator after a non-root is
// ignored; under POSIX only the trailing separator is.
bool SamePathText(std::string_view a, std::string_view b, PathSyntax syntax);

}  // namespace lognex
