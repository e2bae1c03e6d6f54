#include "views/error_tree.h"

#include <gtest/gtest.h>

#include "support/error.h"
#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;

const LocaleFormat kC = CLocaleFormat();

TEST(BuildTree, NoEntriesGiveAnEmptyTree) {
    EXPECT_TRUE(BuildTree(Analysis{}, false, kC).empty());
    EXPECT_TRUE(BuildTree(Analysis{}, true, kC).empty());
}

TEST(BuildTree, NodeTextsWithAndWithoutSource) {
    // Lines 1, 3, 5, 7, 9: "Vacuum" at 1, 5 and 9 (5 at midnight), "Drift" from two sources.
    const Analysis analysis = testing::CountEntries({
        {At(2007, 4, 17, 21, 40, 58), "Vacuum lost", "FILE: Chuck.c at LINE: 7"},
        {At(2007, 4, 17, 22, 0, 0), "Drift", "FILE: Z.c"},
        {At(2007, 4, 18), "Vacuum lost", "FILE: Chuck.c at LINE: 7"},
        {At(2007, 4, 18, 0, 0, 1), "Drift", "FILE: A.c"},
        {At(2007, 4, 19, 6, 5, 4), "Vacuum lost", "FILE: Chuck.c at LINE: 7"},
    });

    const std::vector<TreeNode> plain = BuildTree(analysis, false, kC);
    ASSERT_EQ(plain.size(), 3u);
    // Same text, two sources: adjacent nodes that read alike without the location.
    EXPECT_EQ(plain[0].text, "[1] Drift");
    EXPECT_EQ(plain[1].text, "[1] Drift");
    EXPECT_EQ(plain[0].children, std::vector<std::string>{"04/18/07 00:00:01 - Log File line 7"});
    EXPECT_EQ(plain[2].text, "[3] Vacuum lost");
    EXPECT_EQ(plain[2].children, (std::vector<std::string>{
                                     "04/17/07 21:40:58 - Log File line 1",
                                     "04/18/07 - Log File line 5",  // midnight shows the date only
                                     "04/19/07 06:05:04 - Log File line 9",
                                 }));

    const std::vector<TreeNode> withSource = BuildTree(analysis, true, kC);
    ASSERT_EQ(withSource.size(), 3u);
    EXPECT_EQ(withSource[0].text, "[1] Drift - FILE: A.c");
    EXPECT_EQ(withSource[1].text, "[1] Drift - FILE: Z.c");
    EXPECT_EQ(withSource[2].text, "[3] Vacuum lost - FILE: Chuck.c at LINE: 7");
    EXPECT_EQ(withSource[2].children, plain[2].children);

    // Each node knows its error and each child its line, whatever the labels say.
    EXPECT_EQ(analysis.Errors()[plain[1].error].location, "FILE: Z.c");
    EXPECT_EQ(plain[2].lines, (std::vector<HeaderLine>{{1}, {5}, {9}}));
}

TEST(SelectionForNode, SelectsHeaderBreakAndTextLine) {
    // Lines: "H0" "text0" "header2" "last"; view positions 0, 4, 11, 20; no break after the last.
    const LogLines lines = LogLines::FromText("H0\r\ntext0\nheader2\r\nlast");
    struct Case {
        const char* node;
        LogSelection expected;
    } cases[] = {
        {"04/17/07 21:40:58 - Log File line 1", {0, 1, 0, 2 + 2 + 5}},
        {"04/18/07 - Log File line 3", {2, 3, 11, 7 + 2 + 4}},  // ends exactly at the end of the text
        {"x - Log File line  3", {2, 3, 11, 13}},               // blanks before the number are allowed
        {"x - Log File line 40", {39, 40, 24, 0}},              // past the end: nothing beyond it
    };
    for (const auto& c : cases) {
        const LogSelection s = SelectionForNode(c.node, lines);
        EXPECT_EQ(s.firstLine, c.expected.firstLine) << c.node;
        EXPECT_EQ(s.lastLine, c.expected.lastLine) << c.node;
        EXPECT_EQ(s.start, c.expected.start) << c.node;
        EXPECT_EQ(s.length, c.expected.length) << c.node;
    }
}

TEST(SelectionForNode, EditedTextsAreRefused) {
    const LogLines lines = LogLines::FromText("a\r\nb\r\n");
    struct Case {
        const char* node;
        const char* message;
    } cases[] = {
        {"04/18/07 - Log File lime 3", "'' is not a valid integer value"},
        {"04/18/07 - Log File line 3b", "'3b' is not a valid integer value"},
        {"04/18/07 - Log File line", "'' is not a valid integer value"},
        {"04/18/07 - Log File outline 3", "'' is not a valid integer value"},  // "line" must be a whole word
        {"04/18/07 - Log File line 0", "'0' is not a valid integer value"},
        {"04/18/07 - Log File line -4", "'-4' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        try {
            SelectionForNode(c.node, lines);
            ADD_FAILURE() << "selected: " << c.node;
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.node;
        }
    }
}

}  // namespace
}  // namespace lognex
