#include "support/text_routines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/temp_folder.h"

namespace lognex {
namespace {

TEST(NthWord, FindsWordsAcrossRunsOfDelimitersAndQuotes) {
    struct Case {
        unsigned n;
        std::string text;
        std::string expected;
    } cases[] = {
        {2, "  a   b  ", "b"},
        {3, "  a   b  ", ""},
        {0, "a b", ""},
        {1, "\"a b\" c", "\"a b\""},
        {2, "\"a b\" c", "c"},
        {1, "   lead", "lead"},
        {2, "Tue Mar  4 09:15:27 2004", "Mar"},
        {3, "Tue Mar  4 09:15:27 2004", "4"},
        // An unclosed quote in word 1 swallows the rest of the line.
        {1, "T\"ue Apr 17 21:40:58 2007", "T\"ue Apr 17 21:40:58 2007"},
        {2, "T\"ue Apr 17 21:40:58 2007", ""},
        {1, "tab\tis ordinary", "tab\tis"},
        {1, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NthWord(c.n, c.text, " ", '"'), c.expected) << c.n << " of [" << c.text << "]";
        std::string_view words[6];
        FirstWordsView(c.text, " ", '"', words);
        if (c.n >= 1) {
            EXPECT_EQ(words[c.n - 1], c.expected) << "one pass: " << c.n << " of [" << c.text << "]";
        }
    }
}

TEST(NthWord, QuoteIsNeverADelimiter) { EXPECT_EQ(NthWord(1, "a\"b c\"d e", " \"", '"'), "a\"b c\"d"); }

TEST(LastPosOf, SkipsOneCharacterAfterEachOccurrence) {
    struct Case {
        std::string sub, text;
        int expected;
    } cases[] = {
        {"FILE:", "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580", 26},
        {"FILE:", "x FILE: a.c FILE: b.c", 13},
        {"FILE:", "aFILE:FILE:b", 2},  // the adjacent second occurrence is not seen
        {"FILE:", "no marker", 0},
        {"FILE:", "file: lower case", 0},
        {"FILE:", "", 0},
        {"", "text", 0},
        {"aa", "aaaa", 1},  // overlapping occurrences are not seen
        {"FILE:", "FILE:", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(LastPosOf(c.sub, c.text), c.expected) << c.text;
}

TEST(TailFrom, TakesTheRestOrNothing) {
    EXPECT_EQ(TailFrom("abc", 1), "abc");
    EXPECT_EQ(TailFrom("abc", 3), "c");
    EXPECT_EQ(TailFrom("abc", 4), "");
    EXPECT_EQ(TailFrom("abc", 0), "");
    EXPECT_EQ(TailFrom("", 1), "");
}

TEST(TextFromWord, FindsWholeWordsOnly) {
    const std::string node = "04/17/07 21:40:58 - Log File line 123";
    const WordTail tail = TextFromWord(node, " ", "line", 1);
    EXPECT_TRUE(tail.found);
    EXPECT_EQ(tail.tail, "line 123");
    EXPECT_EQ(TailFrom(tail.tail, 6), "123");

    EXPECT_FALSE(TextFromWord("lines and inline", " ", "line", 1).found);
    EXPECT_EQ(TextFromWord("inline line", " ", "line", 1).tail, "line");
    EXPECT_EQ(TextFromWord("line a line b", " ", "line", 2).tail, "line b");
    EXPECT_FALSE(TextFromWord("line a", " ", "line", 2).found);
    EXPECT_FALSE(TextFromWord("line", " ", "line", 0).found);
    EXPECT_FALSE(TextFromWord("", " ", "line", 1).found);
    EXPECT_FALSE(TextFromWord("line", " ", "", 1).found);
}

TEST(FolderOfPath, WindowsAndPosixPaths) {
    struct Case {
        std::string path, expected;
    } cases[] = {
        {"C:\\Tools\\Lognex.exe", "C:\\Tools"},
        {"C:\\Lognex.exe", "C:\\"},
        {"C:Lognex.exe", "C:"},
        {"\\\\server\\share\\err_log.rpt", "\\\\server\\share"},
        {"\\err_log.rpt", "\\"},
        {"err_log.rpt", ""},
        {"", ""},
        {"D:\\logs\\old\\err_log.rpt", "D:\\logs\\old"},
        {std::string("a\0b", 3), std::string("a\0", 2)},
        {"/usr/bin/lognex", "/usr/bin"},
        {"/lognex", "/"},
        {"C:\\Tools/err_log.rpt", "C:\\Tools"},  // file dialogs hand Windows paths with '/'
        {"C:/Tools/err_log.rpt", "C:/Tools"},
        {"C:/err_log.rpt", "C:/"},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.expected) << c.path;
}

class CopyFileToTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_ / "folder");
        Write(dir_ / "source.rpt", "new");
    }

    static void Write(const std::filesystem::path& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    testing::TempFolder folder_;
    const std::filesystem::path& dir_ = folder_.Path();
};

TEST_F(CopyFileToTest, ReplacesOnlyWhenAsked) {
    Write(dir_ / "target.rpt", "old");
    EXPECT_FALSE(CopyFileTo(Path("source.rpt"), Path("target.rpt"), false));
    EXPECT_EQ(Read(dir_ / "target.rpt"), "old");
    EXPECT_TRUE(CopyFileTo(Path("source.rpt"), Path("target.rpt"), true));
    EXPECT_EQ(Read(dir_ / "target.rpt"), "new");
}

TEST_F(CopyFileToTest, IntoAFolderUnderItsOwnName) {
    EXPECT_TRUE(CopyFileTo(Path("source.rpt"), Path("folder"), true));
    EXPECT_EQ(Read(dir_ / "folder" / "source.rpt"), "new");
}

TEST_F(CopyFileToTest, FailuresAreOnlyAResult) {
    EXPECT_FALSE(CopyFileTo(Path("missing.rpt"), Path("target.rpt"), true));
    EXPECT_FALSE(CopyFileTo(Path("source.rpt"), Path("source.rpt"), true));
    EXPECT_EQ(Read(dir_ / "source.rpt"), "new");
    EXPECT_FALSE(CopyFileTo(Path("source.rpt"), Path("no-such-folder/x.rpt"), true));
}

}  // namespace
}  // namespace lognex
