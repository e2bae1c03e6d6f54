#include "views/text_search.h"

#include <gtest/gtest.h>

namespace lognex {
namespace {

// A small log: header and text lines, Windows-1252 bytes in the last entry.
const std::vector<std::string> kLog = {
    "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580",   // 0
    "Wafer not sensed on chuck pins",                       // 1
    "Tue Apr 17 21:45:00 2007 FILE: Align.c at LINE: 12",   // 2
    "Vacuum lost; WAFER unsensed, wafer_2 sensed",          // 3
    "Wed Apr 18 00:00:00 2007 FILE: Caf\xE9.c at LINE: 7",  // 4
    "Temp \xC9lev\xE9\x65 \x8A\x9A aaaa",                   // 5: "Temp Élevée Šš aaaa"
};

std::vector<TextMatch> Search(std::string_view pattern, SearchOptions options) {
    const std::vector<std::string_view> lines(kLog.begin(), kLog.end());
    return FindAll(TextPattern(pattern, options), lines);
}

struct Case {
    const char* name;
    std::string pattern;
    SearchOptions options;
    std::vector<TextMatch> expected;
};

constexpr SearchOptions kPlain{};
constexpr SearchOptions kCase{.matchCase = true};
constexpr SearchOptions kWords{.wholeWords = true};
constexpr SearchOptions kRegex{.regex = true};

TEST(TextPattern, TableOfPatterns) {
    const std::vector<Case> cases = {
        {"empty pattern finds nothing", "", kPlain, {}},
        {"empty regex finds nothing", "", kRegex, {}},
        {"plain ignores case", "wafer", kPlain, {{1, 0, 5}, {3, 13, 5}, {3, 29, 5}}},
        {"case toggle", "wafer", kCase, {{3, 29, 5}}},
        {"several per line, left to right",
         "e",
         kCase,
         {{0, 2, 1},
          {1, 3, 1},
          {1, 11, 1},
          {1, 14, 1},
          {2, 2, 1},
          {3, 22, 1},
          {3, 25, 1},
          {3, 32, 1},
          {3, 38, 1},
          {3, 41, 1},
          {4, 1, 1},
          {5, 1, 1},
          {5, 7, 1},
          {5, 10, 1}}},
        {"matches do not overlap", "aa", kPlain, {{5, 15, 2}, {5, 17, 2}}},
        {"no match", "vacuum pump", kPlain, {}},
        {"whole word skips parts of words", "sensed", kWords, {{1, 10, 6}, {3, 37, 6}}},
        {"'_' and digits belong to a word", "wafer", kWords, {{1, 0, 5}, {3, 13, 5}}},
        {"whole word around punctuation", "LINE:", kWords, {{0, 40, 5}, {2, 42, 5}, {4, 41, 5}}},
        {"Windows-1252 byte", "\xE9", kCase, {{4, 34, 1}, {5, 9, 1}}},
        {"accented letters fold",
         "\xE9lev\xE9"
         "e",
         kPlain,
         {{5, 5, 6}}},
        {"letters outside Latin-1 fold", "\x9A\x9A", kPlain, {{5, 12, 2}}},
        {"accented letters are word letters", "lev", kWords, {}},
        {"regex", "LINE: [0-9]{2}$", kRegex, {{2, 42, 8}}},
        {"regex ignores case by default", "w[a-z]+r", kRegex, {{1, 0, 5}, {3, 13, 5}, {3, 29, 5}}},
        {"regex with case", "w[a-z]+r", SearchOptions{.matchCase = true, .regex = true}, {{3, 29, 5}}},
        {"regex anchors see the whole line", "^T\\w+", kRegex, {{0, 0, 3}, {2, 0, 3}, {5, 0, 4}}},
        {"regex empty matches are not reported", "x*", kRegex, {}},
        {"regex on Windows-1252 bytes", "\xC9[a-z\xE9]+", kRegex, {{5, 5, 6}}},
        {"regex folds accented letters", "\xE9LEV", kRegex, {{5, 5, 4}}},
        {"regex whole words", "\\w+sensed", SearchOptions{.wholeWords = true, .regex = true}, {{3, 19, 8}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Search(c.pattern, c.options), c.expected) << c.name;
}

TEST(TextPattern, InvalidRegexGivesAClearMessage) {
    for (const char* bad : {"(wafer", "[a-", "*x", "a{2,1}"}) {
        try {
            TextPattern(bad, kRegex);
            ADD_FAILURE() << bad << " compiled";
        } catch (const SearchError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Invalid regular expression: ", 0), 0u) << e.what();
        }
    }
    // The same text as a plain pattern is simply looked for.
    EXPECT_TRUE(Search("(wafer", kPlain).empty());
    EXPECT_NO_THROW(TextPattern("(wafer", kPlain));
}

TEST(TextPattern, PathologicalRegexStaysLinear) {
    // A backtracking engine takes exponential time here; this one answers at once.
    const std::string line(5000, 'a');
    std::vector<TextMatch> out;
    TextPattern("(a*)*b", kRegex).FindIn(line, 0, out);
    EXPECT_TRUE(out.empty());
}

TEST(EntryLinesWithMatches, ShowsBothLinesOfEachMatchingEntry) {
    const std::vector<bool> shown = EntryLinesWithMatches({{1, 0, 1}, {4, 2, 1}, {4, 5, 1}, {6, 0, 1}}, 7);
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false, false, true, true, true}));
    EXPECT_EQ(EntryLinesWithMatches({}, 3), (std::vector<bool>{false, false, false}));
}

TEST(ContainsAllWords, EveryWordInAnyCaseAndOrder) {
    const std::string error = "[12] Vacuum lost on chuck during index - FILE: Chuck.c at LINE: 1777";
    EXPECT_TRUE(ContainsAllWords(error, ""));
    EXPECT_TRUE(ContainsAllWords(error, "   "));
    EXPECT_TRUE(ContainsAllWords(error, "CHUCK vacuum"));
    EXPECT_TRUE(ContainsAllWords(error, "  chuck.c  1777 "));
    EXPECT_FALSE(ContainsAllWords(error, "vacuum wafer"));
    EXPECT_TRUE(ContainsAllWords("Caf\xC9 au lait", "caf\xE9"));
}

}  // namespace
}  // namespace lognex
