#include "support/path_rules.h"

#include <gtest/gtest.h>

#include "support/platform_files.h"

namespace lognex {
namespace {

constexpr PathSyntax kPosix = PathSyntax::kPosix;
constexpr PathSyntax kWindows = PathSyntax::kWindows;

TEST(PathRules, RootsOfBothPlatforms) {
    struct Case {
        std::string_view path;
        PathSyntax syntax;
        std::string_view root;
    } cases[] = {
        {"C:\\Tools\\err_log.rpt", kWindows, "C:\\"},
        {"c:/Tools/err_log.rpt", kWindows, "c:/"},
        {"C:err_log.rpt", kWindows, "C:"},  // relative to drive C's current folder
        {"C:", kWindows, "C:"},
        {"\\\\server\\share\\logs\\err_log.rpt", kWindows, "\\\\server\\share\\"},
        {"//server/share/logs", kWindows, "//server/share/"},
        {"\\\\server\\share", kWindows, "\\\\server\\share"},
        {"\\\\server", kWindows, "\\"},  // no share: not a UNC root
        {"\\Tools\\err_log.rpt", kWindows, "\\"},
        {"/Tools/err_log.rpt", kWindows, "/"},
        {"Tools\\err_log.rpt", kWindows, ""},
        {"1:\\x", kWindows, ""},
        {"", kWindows, ""},
        {"/usr/bin/lognex", kPosix, "/"},
        {"C:\\Tools", kPosix, ""},
        {"\\\\server\\share", kPosix, ""},
        {"bin/lognex", kPosix, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathRoot(c.path, c.syntax), c.root) << c.path << (c.syntax == kWindows ? " (Windows)" : " (POSIX)");
}

TEST(PathRules, DisplayPathUsesThePlatformsSeparator) {
    EXPECT_EQ(DisplayPath("C:\\Tools/err_log.rpt", kWindows), "C:\\Tools\\err_log.rpt");
    EXPECT_EQ(DisplayPath("//server/share/x", kWindows), "\\\\server\\share\\x");
    EXPECT_EQ(DisplayPath("/home/a\\b", kPosix), "/home/a\\b");
}

TEST(PathRules, SamenessByText) {
    struct Case {
        std::string_view a, b;
        PathSyntax syntax;
        bool same;
    } cases[] = {
        {"C:\\Out\\OUT.txt", "c:\\out\\out.txt", kWindows, true},
        {"C:\\Out/out.txt", "C:/Out\\out.txt", kWindows, true},
        {"\\\\Server\\Share\\a", "\\\\server\\share\\A", kWindows, true},
        {"C:\\Out\\", "C:\\Out", kWindows, true},
        {"C:\\", "c:/", kWindows, true},
        {"C:\\", "C:", kWindows, false},  // the root and drive C's current folder
        {"C:\\out.txt", "D:\\out.txt", kWindows, false},
        {"C:\\out.txt", "C:\\out.txt.", kWindows, false},
        {"/tmp/OUT.txt", "/tmp/out.txt", kPosix, false},
        {"/tmp/out.txt", "/tmp/out.txt", kPosix, true},
        {"/tmp/dir/", "/tmp/dir", kPosix, true},
        {"/tmp\\x", "/tmp/x", kPosix, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SamePathText(c.a, c.b, c.syntax), c.same)
            << c.a << " vs " << c.b << (c.syntax == kWindows ? " (Windows)" : " (POSIX)");
}

TEST(PathRules, AbsolutePathsAndTrailingSeparators) {
    struct Case {
        std::string_view path;
        PathSyntax syntax;
        bool absolute;
        std::string_view trimmed;
    } cases[] = {
        {"C:\\Tools\\", kWindows, true, "C:\\Tools"},
        {"C:/", kWindows, true, "C:/"},
        {"C:Tools", kWindows, false, "C:Tools"},
        {"\\Tools\\", kWindows, false, "\\Tools"},
        {"\\\\server\\share\\", kWindows, true, "\\\\server\\share\\"},
        {"\\\\server\\share\\logs\\\\", kWindows, true, "\\\\server\\share\\logs"},
        {"/home/ann/", kWindows, false, "/home/ann"},
        {"/home/ann//", kPosix, true, "/home/ann"},
        {"/", kPosix, true, "/"},
        {"C:\\Tools", kPosix, false, "C:\\Tools"},
        {"logs/", kPosix, false, "logs"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsAbsolutePath(c.path, c.syntax), c.absolute) << c.path;
        EXPECT_EQ(WithoutTrailingSeparators(c.path, c.syntax), c.trimmed) << c.path;
    }
}

TEST(PathRules, Windows1252LettersCompareWithoutCase) {
    // Ä/ä, Š/š, Ÿ/ÿ as the program's Windows-1252 bytes; × and ÷ are no letters.
    EXPECT_TRUE(SamePathText("C:\\\xC4\x8A\x9F", "c:\\\xE4\x9A\xFF", kWindows));
    EXPECT_FALSE(SamePathText("C:\\\xD7", "C:\\\xF7", kWindows));
    EXPECT_FALSE(SamePathText("/\xC4", "/\xE4", kPosix));
}

TEST(PathRules, NativeSyntaxIsThePlatforms) {
#ifdef _WIN32
    EXPECT_EQ(NativePathSyntax(), kWindows);
#else
    EXPECT_EQ(NativePathSyntax(), kPosix);
#endif
}

}  // namespace
}  // namespace lognex
