#include "support/path_rules.h"

namespace lognex {
namespace {

bool IsSeparator(char c, PathSyntax syntax) { return c == '/' || (syntax == PathSyntax::kWindows && c == '\\'); }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Windows-1252 letters folded to lower case, as the file system folds them.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
        case 0x8A: return 0x9A;  // Š
        case 0x8C: return 0x9C;  // Œ
        case 0x8E: return 0x9E;  // Ž
        case 0x9F: return 0xFF;  // Ÿ
        default: return c;
    }
}

}  // namespace

std::string_view WithoutTrailingSeparators(std::string_view path, PathSyntax syntax) {
    const std::size_t rootSize = PathRoot(path, syntax).size();
    while (path.size() > rootSize && IsSeparator(path.back(), syntax)) path.remove_suffix(1);
    return path;
}

bool IsAbsolutePath(std::string_view path, PathSyntax syntax) {
    const std::string_view root = PathRoot(path, syntax);
    if (syntax == PathSyntax::kPosix) return !root.empty();
    return root.size() >= 3 && (root[1] == ':' || IsSeparator(root[1], syntax));
}

std::string_view PathRoot(std::string_view path, PathSyntax syntax) {
    if (syntax == PathSyntax::kPosix) return path.substr(0, !path.empty() && path[0] == '/' ? 1 : 0);
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':')
        return path.substr(0, path.size() >= 3 && IsSeparator(path[2], syntax) ? 3 : 2);
    if (path.size() >= 2 && IsSeparator(path[0], syntax) && IsSeparator(path[1], syntax)) {
        // \\server\share\ : the server's and the share's names must both be there.
        std::size_t i = 2;
        const std::size_t serverStart = i;
        while (i < path.size() && !IsSeparator(path[i], syntax)) ++i;
        if (i == serverStart || i == path.size()) return path.substr(0, 1);
        const std::size_t shareStart = ++i;
        while (i < path.size() && !IsSeparator(path[i], syntax)) ++i;
        if (i == shareStart) return path.substr(0, 1);
        return path.substr(0, i < path.size() ? i + 1 : i);
    }
    return path.substr(0, !path.empty() && IsSeparator(path[0], syntax) ? 1 : 0);
}

std::string DisplayPath(std::string_view path, PathSyntax syntax) {
    std::string text(path);
    if (syntax == PathSyntax::kWindows) {
        for (char& c : text)
            if (c == '/') c = '\\';
    }
    return text;
}

bool SamePathText(std::string_view a, std::string_view b, PathSyntax syntax) {
    a = WithoutTrailingSeparators(a, syntax);
    b = WithoutTrailingSeparators(b, syntax);
    if (syntax == PathSyntax::kPosix) return a == b;
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool separators = IsSeparator(a[i], syntax) && IsSeparator(b[i], syntax);
        if (!separators && FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace lognex
