#include "logproc/log_follow.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/failure_message.h"
#include "logproc/error_tables_fixture.h"
#include "logproc/pair_pass.h"

namespace lognex {
namespace {

using testing::Header;
using testing::ReadFile;
using testing::WriteFile;

const LocaleFormat kC = CLocaleFormat();

// A log in every break the prober's files come with (CR LF, LF, CR), a blank
// pair, a text of 5,000 characters and one of 4,095 (cut where a view line
// read cuts it), a header without "FILE:", and a last text line without its
// break.
std::string GrowingLog(int entries) {
    const char* const breaks[] = {"\r\n", "\n", "\r", "\r\n"};
    std::string log;
    for (int i = 0; i < entries; ++i) {
        const std::string br = breaks[i % 4];
        const std::string time = "Apr 17 21:" + std::to_string(10 + i % 50) + ":0" + std::to_string(i % 10) + " 2007";
        log += (i % 13 == 5 ? "Tue " + time : Header(time, "a.c at LINE: " + std::to_string(i % 3))) + br;
        std::string text = "Error " + std::to_string(i % 7);
        if (i == 20) text = std::string(5000, 'x');
        if (i == 21) text = std::string(4095, 'y');
        log += text + (i + 1 == entries ? "" : br);
        if (i == 9) log += "\r\n\r\n";
    }
    return log;
}

// Reads a log as a follower does, starting over when told to.
struct Follower {
    FollowState state;
    Analysis analysis;
    int startOvers = 0;

    void Read(const std::string& path, FollowRead read) {
        for (;;) {
            const FollowResult result = FollowLog(state, analysis, path, kC, read);
            if (result.change != FollowResult::Change::StartOver) return;
            state = {};
            analysis = {};
            ++startOvers;
        }
    }
};

Analysis OnePass(const std::string& path) {
    Analysis analysis;
    CountPairs(analysis, LoadLogLines(path), 0, kC);
    return analysis;
}

using Cuts = std::function<std::vector<std::size_t>(const std::string& log)>;

// Positions right after every n-th line break.
Cuts AfterBreaks(std::size_t every, std::size_t offset = 0) {
    return [=](const std::string& log) {
        std::vector<std::size_t> cuts;
        std::size_t breaks = 0;
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') ++i;
            if ((log[i] == '\r' || log[i] == '\n') && ++breaks % every == offset) cuts.push_back(i + 1);
        }
        return cuts;
    };
}

Cuts EveryBytes(std::size_t n) {
    return [=](const std::string& log) {
        std::vector<std::size_t> cuts;
        for (std::size_t i = n; i < log.size(); i += n) cuts.push_back(i);
        return cuts;
    };
}

TEST(FollowLog, ManyAppendsGiveTheValueOfOnePassOverTheFinalLog) {
    const testing::TempFolder folder;
    const std::string path = (folder.Path() / "err_log.rpt").string();
    const std::string log = GrowingLog(260);
    WriteFile(path, log);
    const Analysis expected = OnePass(path);
    ASSERT_EQ(expected.Entries().size(), 260u);

    const Cuts betweenCrAndLf = [](const std::string& text) {
        std::vector<std::size_t> cuts;
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == '\r' && text[i + 1] == '\n') cuts.push_back(i + 1);
        return cuts;
    };
    struct Case {
        const char* name;
        Cuts cuts;
        bool settleEachTime;  // the log rests after every piece, the last line taken as it stands
        int startOvers;       // times a line taken as it stood went on
    } cases[] = {
        {"one pair at a time", AfterBreaks(2), false, 0},
        {"100 pairs at a time", AfterBreaks(200), false, 0},
        {"inside an entry, after its header", AfterBreaks(2, 1), false, 0},
        {"between CR and LF", betweenCrAndLf, false, 0},
        {"every 7 bytes", EveryBytes(7), false, 0},
        {"byte by byte", EveryBytes(1), false, 0},
        {"one pair at a time, resting", AfterBreaks(2), true, 0},
        {"inside an entry, resting", AfterBreaks(2, 1), true, 0},
        {"between CR and LF, resting", betweenCrAndLf, true, 0},
        // A text line cut in two while the log rested was counted cut; the
        // count starts over once the line goes on.
        {"every 997 bytes, resting", EveryBytes(997), true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Follower follower;
        std::size_t written = 0;
        WriteFile(path, "");
        for (const std::size_t cut : c.cuts(log)) {
            std::ofstream(path, std::ios::binary | std::ios::app) << log.substr(written, cut - written);
            written = cut;
            follower.Read(path, FollowRead::Growing);
            if (c.settleEachTime) follower.Read(path, FollowRead::Settled);
        }
        std::ofstream(path, std::ios::binary | std::ios::app) << log.substr(written);
        follower.Read(path, FollowRead::Growing);
        // The last text line has no break: it waits until the log rests.
        EXPECT_EQ(follower.analysis.Entries().size(), 259u);
        follower.Read(path, FollowRead::Settled);
        EXPECT_EQ(follower.analysis, expected);
        if (c.startOvers >= 0)
            EXPECT_EQ(follower.startOvers, c.startOvers);
        else
            EXPECT_GT(follower.startOvers, 0);
        ASSERT_EQ(ReadFile(path), log);
    }
}

TEST(FollowLog, AReplacedLogStartsOver) {
    const testing::TempFolder folder;
    const std::string path = (folder.Path() / "err_log.rpt").string();
    const std::string log = GrowingLog(40) + "\r\n";
    struct Case {
        const char* name;
        std::string after;
        bool startsOver;
    } cases[] = {
        {"appended", log + GrowingLog(3) + "\n", false},
        {"shrunk", log.substr(0, log.size() / 2), true},
        {"emptied", "", true},
        {"first lines changed, longer", "Wed" + log.substr(3) + GrowingLog(3), true},
        {"first lines changed, same size", "Wed" + log.substr(3), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, log);
        FollowState state;
        Analysis analysis;
        FollowLog(state, analysis, path, kC);
        ASSERT_EQ(analysis.Entries().size(), 40u);
        WriteFile(path, c.after);
        const Analysis before = analysis;
        const FollowResult result = FollowLog(state, analysis, path, kC);
        if (c.startsOver) {
            EXPECT_EQ(result.change, FollowResult::Change::StartOver);
            EXPECT_TRUE(result.replaced);
            EXPECT_EQ(result.keptEntries, 0u);
            EXPECT_EQ(analysis, before);  // the caller starts over; nothing is half appended
        } else {
            EXPECT_EQ(result.change, FollowResult::Change::Appended);
            EXPECT_EQ(result.firstNew, 40u);
            EXPECT_EQ(analysis, OnePass(path));
        }
    }
}

TEST(FollowLog, APairThatFailsToParseEndsFollowingAsItEndsARun) {
    const testing::TempFolder folder;
    const std::string path = (folder.Path() / "err_log.rpt").string();
    const std::string good = GrowingLog(4) + "\r\n";
    WriteFile(path, good);
    FollowState state;
    Analysis analysis;
    FollowLog(state, analysis, path, kC);
    std::ofstream(path, std::ios::binary | std::ios::app)
        << GrowingLog(2) << "\r\nTue Apr 17 21:40:xx 2007 FILE: a.c\r\nBad time\r\n"
        << GrowingLog(2) << "\r\n";
    EXPECT_EQ(testing::FailureOf([&] { FollowLog(state, analysis, path, kC); }), "'21:40:xx' is not a valid time");
    EXPECT_EQ(analysis.Entries().size(), 6u);  // those before the failing pair
    EXPECT_TRUE(state.ended);
    std::ofstream(path, std::ios::binary | std::ios::app) << GrowingLog(2);
    EXPECT_EQ(FollowLog(state, analysis, path, kC, FollowRead::Settled).change, FollowResult::Change::None);
    EXPECT_EQ(analysis.Entries().size(), 6u);
}

}  // namespace
}  // namespace lognex
