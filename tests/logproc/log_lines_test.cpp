#include "logproc/log_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "logproc/error_tables_fixture.h"
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
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(lines.Line(i), c.lines[i]) << c.text << " line " << i;
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

std::string Repeated(std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// The lines and view positions of a text as the view reads them, worked
// out the plain way: split at every break, each break two characters wide.
struct PlainSplit {
    std::vector<std::string> lines;   // every stored line, a last empty one included
    std::vector<std::size_t> starts;  // view position of each, then of the end of the text
};

PlainSplit SplitPlainly(const std::string& text) {
    PlainSplit split;
    std::size_t start = 0, view = 0;
    for (std::size_t i = 0;; ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        split.lines.push_back(text.substr(start, i - start));
        split.starts.push_back(view);
        if (i == text.size()) break;
        view += (i - start) + 2;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    split.starts.push_back(split.starts.back() + split.lines.back().size());
    return split;
}

std::string Delivered(const PlainSplit& split, std::size_t n) {
    if (n >= split.lines.size()) return "";
    const std::string& line = split.lines[n];
    const bool hasBreak = n + 1 < split.lines.size();
    if (line.size() + (hasBreak ? 2 : 0) <= kMaxDeliveredLine) return line;
    return line.size() >= kMaxDeliveredLine ? line.substr(0, kMaxDeliveredLine) : line + '\r';
}

// Breaks of every kind in turn, so that the runs of one-character breaks
// cross the index's blocks of 64 lines at every offset.
std::string MixedBreaks(std::size_t lines) {
    static const char* const kBreaks[] = {"\r\n", "\n", "\r", "\n", "\r\n", "\r\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) text += std::string(i % 5, 'a' + i % 26) + kBreaks[i * i % 7];
    return text;
}

TEST(LogLines, LinesAndViewPositionsAreThoseOfAPlainSplit) {
    const std::string l4094(4094, 'a'), l4095(4095, 'b'), l4096(4096, 'c'), l5000(5000, 'd');
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"CR LF", "h1\r\nt1\r\nh2\r\nt2\r\n"},
        {"LF", "h1\nt1\nh2\nt2\n"},
        {"CR", "h1\rt1\rh2\rt2\r"},
        {"mixed", "a\nb\rc\r\n\r\nd\r\r\n\n\re"},
        {"no final break", "h1\r\nt1\r\nh2\r\nt2"},
        {"only breaks", "\r\n\n\r\r\n"},
        {"long lines, CR LF", l4094 + "\r\n" + l4095 + "\r\n" + l4096 + "\r\n" + l5000 + "\r\n" + l4095},
        {"long lines, LF", l4094 + "\n" + l4095 + "\n" + l4096 + "\n" + l5000 + "\n" + l4095 + "\n"},
        {"long lines, CR", l4095 + "\r" + l4094 + "\r" + l5000 + "\r" + l4096},
        {"1,000 lines of mixed breaks", MixedBreaks(1000)},
        {"1,000 lines of mixed breaks and a last line", MixedBreaks(1000) + "last"},
        {"a block of LF after a block of CR LF", Repeated("x\r\n", 64) + Repeated("y\n", 64) + Repeated("z\r\n", 70)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LogLines lines = LogLines::FromText(c.text);
        const PlainSplit split = SplitPlainly(c.text);
        ASSERT_EQ(lines.ViewLineCount(), split.lines.size());
        EXPECT_EQ(lines.Count(), split.lines.size() - (split.lines.back().empty() ? 1 : 0));
        std::string spare;
        for (std::size_t n = 0; n < split.lines.size() + 3; ++n) {
            const std::string full = n < split.lines.size() ? split.lines[n] : "";
            ASSERT_EQ(lines.FullLine(n), full) << "line " << n;
            ASSERT_EQ(lines.Line(n), Delivered(split, n)) << "line " << n;
            ASSERT_EQ(lines.Line(n, spare), Delivered(split, n)) << "line " << n;
            ASSERT_EQ(lines.LineStart(n), split.starts[std::min(n, split.starts.size() - 1)]) << "line " << n;
        }
    }
}

// Offsets past 4 GiB keep their high bits out of the index; with four low
// bits the same rule is seen at 16, including jumps over several steps.
TEST(LineOffsets, ReadBackWhatWasAddedAcrossSteps) {
    const std::vector<std::uint64_t> added = {0, 3, 15, 16, 17, 40, 40, 100, 101, 1000};
    LineOffsets offsets(4);
    for (std::uint64_t offset : added) offsets.Add(offset);
    ASSERT_EQ(offsets.Size(), added.size());
    for (std::size_t n = 0; n < added.size(); ++n) EXPECT_EQ(offsets[n], added[n]) << n;

    LineOffsets wide;
    for (std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{1} << 32, (std::uint64_t{5} << 32) + 7})
        wide.Add(offset);
    EXPECT_EQ(wide[1], std::uint64_t{1} << 32);
    EXPECT_EQ(wide[2], (std::uint64_t{5} << 32) + 7);
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
    fs::remove_all(dir);
}

// A copy read in place of the log the user chose is named by the log's name.
TEST(LoadLogLines, MessagesNameTheShownPath) {
    testing::TempFolder dir;
    const std::string copy = dir / "copy.rpt";
    testing::WriteFile(copy, std::string(65, 'x'));
    LogLoadLimits limits;
    limits.memoryBudget = 64;
    const auto failure = [&](const std::string& path) {
        try {
            LoadLogLines(path, "/chosen/log.rpt", limits);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("(loaded)");
    };
    EXPECT_EQ(failure(copy), LogTooLargeMessage("/chosen/log.rpt", limits));
    EXPECT_EQ(failure(dir / "missing.rpt"), "Cannot open file \"/chosen/log.rpt\". No such file or directory");
}

std::string LoadFailure(const std::string& path, const LogLoadLimits& limits = {}) {
    try {
        LoadLogLines(path, limits);
    } catch (const Error& e) {
        return e.what();
    }
    return "(loaded)";
}

// Sources that would hang, never end, or are no log at all are refused by
// name before anything reads them; a link to a log is followed.
#ifndef _WIN32  // FIFOs, sockets and devices of POSIX
TEST(LoadLogLines, RefusesWhatIsNoRegularFile) {
    testing::TempFolder dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.rpt").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir / "socket.rpt";
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    testing::WriteFile(dir / "real.rpt", "h1\r\nt1\r\n");
    std::filesystem::create_symlink(dir / "real.rpt", dir / "link.rpt");
    std::filesystem::create_symlink(dir / "fifo.rpt", dir / "link-to-fifo.rpt");

    struct Case {
        std::string path, reason;
    } cases[] = {
        {dir / "fifo.rpt", "It is a FIFO (named pipe), not a regular file"},
        {dir / "link-to-fifo.rpt", "It is a FIFO (named pipe), not a regular file"},
        {dir.Path().string(), "Is a directory"},
        {"/dev/zero", "It is a device, not a regular file"},
        {"/dev/null", "It is a device, not a regular file"},
        {socketPath, "It is a socket, not a regular file"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadFailure(c.path), "Cannot open file \"" + c.path + "\". " + c.reason) << c.path;
    EXPECT_EQ(LoadLogLines(dir / "link.rpt").Line(1), "t1");
    ::close(sock);
}
#endif

#ifdef __linux__
// A file may hold more than the size it had when opened (the system's own
// files say 0): it is read to its end all the same.
TEST(LoadLogLines, ReadsPastTheSizeTheFileHadWhenOpened) {
    const LogLines lines = LoadLogLines("/proc/self/status");
    EXPECT_EQ(lines.FullLine(0).substr(0, 5), "Name:");
    EXPECT_GT(lines.Count(), 5u);
}
#endif

// Loading ends after the first pair of non-empty lines whose header lies
// past the range (the run is bound to stop there); pairs with an empty line
// do not end it. Past the memory budget (bytes and line index) or the line
// length the load fails by its own message.
TEST(LoadLogLines, StopsOnceTheRunMustFailAndAtItsLimits) {
    testing::TempFolder dir;
    LogLoadLimits limits;
    limits.lastHeaderLine = 3;  // headers on lines 1 and 3 can be stored
    limits.memoryBudget = 300;
    limits.maxLineLength = 40;
    constexpr std::size_t kIndex = LogLines::kIndexBytesPerLine;
    // The most breaks and the most bytes of one line that fit the budget.
    const std::size_t breaks = (300 - kIndex) / (1 + kIndex);
    struct Case {
        const char* name;
        std::string text;
        std::size_t count;         // lines loaded; 0: too large
        std::size_t longLine = 0;  // the line too long, from 1
    } cases[] = {
        {"stops after the pair past the range", "H1\nT1\nH3\nT3\nH5\nT5\nH7\nT7\n", 6},
        {"CR LF and lone CR breaks", "H1\r\nT1\rH3\r\nT3\r\nH5\rT5\r\nH7\r\n", 6},
        {"blank pairs past the range do not stop it", "H1\nT1\nH3\nT3\n\nx\ny\n\nH9\nT9\nrest\n", 10},
        {"a pair at the very end without a break", "H1\nT1\nH3\nT3\nH5\nT5", 6},
        {"within the range it loads whole", "H1\nT1\nH3\nT3\n", 4},
        {"more breaks than the budget holds", std::string(breaks + 1, '\n'), 0},
        {"as many breaks as the budget holds", std::string(breaks, '\n'), breaks},
        {"a file larger than the budget, refused before its long line is read", std::string(300, 'x'), 0},
        {"more lines of CR LF than the budget holds", Repeated("\r\n", breaks + 1), 0},
        {"a line as long as allowed", std::string(40, 'x') + "\n" + std::string(40, 'y'), 2},
        {"a line longer than allowed", std::string(40, 'x') + "\n" + std::string(41, 'y'), 0, 2},
        {"a long line ended by its break", std::string(41, 'x') + "\r\n", 0, 1},
        {"rich text is cut the same way", "{\\rtf1 H1\\par T1\\par H3\\par T3\\par H5\\par T5\\par H7}", 6},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "log.rpt";
        testing::WriteFile(path, c.text);
        if (c.count == 0) {
            EXPECT_EQ(LoadFailure(path, limits),
                      c.longLine ? LongLineMessage(path, c.longLine, limits) : LogTooLargeMessage(path, limits))
                << c.name;
            continue;
        }
        const LogLines lines = LoadLogLines(path, limits);
        EXPECT_EQ(lines.Count(), c.count) << c.name;
        if (c.text.find("H5") != std::string::npos && c.count == 6) {
            EXPECT_EQ(lines.Line(5), "T5") << c.name;
        }
    }
    // A budget past the bytes of a 32-bit size is no trouble on a 64-bit build.
    LogLoadLimits huge;
    huge.memoryBudget = std::uint64_t{1} << 40;
    testing::WriteFile(dir / "log.rpt", "H1\nT1\n");
    EXPECT_EQ(LoadLogLines(dir / "log.rpt", huge).Count(), 2u);
}

TEST(LoadLogLines, MessagesNameTheLogAndTheBound) {
    EXPECT_EQ(LogTooLargeMessage("/x.rpt", {}), "The log \"/x.rpt\" is too large: a processing run holds at most " +
                                                    std::string(sizeof(void*) >= 8 ? "4096" : "1024") +
                                                    " MB of a log and its line index in memory");
    EXPECT_EQ(LogTooLargeMessage("/x.rpt", WindowLoadLimits()),
              "The log \"/x.rpt\" is too large for the window, which holds at most 24 MB of a log and its line index; "
              "lognex-report reads larger logs");
    EXPECT_EQ(LongLineMessage("/x.rpt", 7, {}), "The log \"/x.rpt\" is no prober's log: line 7 is longer than 16 MB");
}

// The window's bound lies above the largest log the window took before
// (16 MB of prober lines) and below what it must not hold in a text document.
TEST(LoadLogLines, WindowTakesASixteenMegabyteLogAndRefusesMore) {
    testing::TempFolder dir;
    const std::string pair =
        "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580\r\n"
        "Wafer loading error - wafer not sensed on chuck pins\r\n";
    std::string log = Repeated(pair, (std::size_t{16} << 20) / pair.size());
    testing::WriteFile(dir / "16mb.rpt", log);
    EXPECT_EQ(LoadLogLines(dir / "16mb.rpt", WindowLoadLimits()).Count() * pair.size() / 2, log.size());
    log += log;
    testing::WriteFile(dir / "32mb.rpt", log);
    EXPECT_EQ(LoadFailure(dir / "32mb.rpt", WindowLoadLimits()),
              LogTooLargeMessage(dir / "32mb.rpt", WindowLoadLimits()));
    EXPECT_EQ(LoadLogLines(dir / "32mb.rpt").Count() * pair.size() / 2, log.size());
}

}  // namespace
}  // namespace lognex
