#include "logproc/log_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/error.h"

namespace lognex {
namespace {

TEST(LogLines, BreaksCountAndPositions) {
    struct Case {
        std::string text;
        std::size_t count;
        std::vector<std::string> lines;
    } cases[] = {
        {"", 0, {}},
        {"a", 1, {"a"}},
        {"a\r\n", 1, {"a"}},
        {"a\r\nb", 2, {"a", "b"}},
        {"a\nb\rc\r\n\r\nd", 5, {"a", "b", "c", "", "d"}},
        {"a\r\r\n", 2, {"a", ""}},  // CR then CR LF: two breaks
        {"\n\n", 2, {"", ""}},
        {"   \r\n", 1, {"   "}},
    };
    for (const auto& c : cases) {
        const LogLines lines = LogLines::FromText(c.text);
        EXPECT_EQ(lines.Count(), c.count) << c.text;
        for (std::size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(lines.Line(i), c.lines[i]) << c.text << " line " << i;
        EXPECT_EQ(lines.Line(c.count + 5), "");
    }
}

TEST(LogLines, ViewPositionsCountABreakAsTwoCharacters) {
    const LogLines lines = LogLines::FromText("ab\ncd\r\nefg\rh");
    EXPECT_EQ(lines.LineStart(0), 0u);
    EXPECT_EQ(lines.LineStart(1), 4u);
    EXPECT_EQ(lines.LineStart(2), 8u);
    EXPECT_EQ(lines.LineStart(3), 13u);
    EXPECT_EQ(lines.LineStart(9), 14u);
}

TEST(LogLines, DeliversAtMost4096CharactersWithTheBreakRule) {
    const std::string l4094(4094, 'a'), l4095(4095, 'b'), l5000(5000, 'c');
    const LogLines lines = LogLines::FromText(l4094 + "\r\n" + l4095 + "\r\n" + l5000 + "\r\n" + l4095);
    EXPECT_EQ(lines.Line(0), l4094);
    EXPECT_EQ(lines.Line(1), l4095 + "\r");  // only the CR of the break fits, so it stays
    EXPECT_EQ(lines.Line(2), l5000.substr(0, 4096));
    EXPECT_EQ(lines.Line(3), l4095);  // the last line has no break
    EXPECT_EQ(lines.FullLine(2), l5000);
}

TEST(RtfToPlainText, KeepsTextDropsControls) {
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
        "{\\*\\generator Riched20;}\\f0 Tue Apr 17 21:40:58 2007 FILE: a.c\\par\r\n"
        "Caf\\'e9 \\{x\\} back\\\\slash\\par\r\n}";
    EXPECT_EQ(RtfToPlainText(rtf), "Tue Apr 17 21:40:58 2007 FILE: a.c\r\nCaf\xe9 {x} back\\slash");
}

TEST(LoadLogLines, ReadsFilesAndReportsFailures) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "lognex-load-lines";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "plain.rpt", std::ios::binary) << "h1\r\nt1\r\n";
    std::ofstream(dir / "rich.rpt", std::ios::binary) << "{\\rtf1 h1\\par t1\\par}";
    EXPECT_EQ(LoadLogLines((dir / "plain.rpt").string()).Line(1), "t1");
    const LogLines rich = LoadLogLines((dir / "rich.rpt").string());
    EXPECT_EQ(rich.Count(), 2u);
    EXPECT_EQ(rich.Line(0), "h1");

    const std::string missing = (dir / "missing.rpt").string();
    try {
        LoadLogLines(missing);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing + "\". No such file or directory");
    }
    try {
        LoadLogLines(dir.string());
        FAIL();
    } catch (const Error& e) {
#ifdef _WIN32  // Windows refuses to open a folder at all
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + dir.string() + "\". Permission denied");
#else
        EXPECT_STREQ(e.what(), "Failed to Load Stream");
#endif
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace lognex
