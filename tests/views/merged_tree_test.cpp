#include "views/merged_tree.h"

#include <gtest/gtest.h>

#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;
using testing::CountEntries;

TEST(BuildMergedTree, OccurrencesNameTheirFileAndLine) {
    std::vector<LogPart> parts;
    parts.push_back({"err_log.rpt", CountEntries({{At(2007, 5, 1, 8), "Vacuum", "L"}})});
    parts.push_back({"err_log.1.rpt", CountEntries({{At(2007, 4, 1), "Align", "L"}, {At(2007, 4, 2), "Vacuum", "L"}})});
    const std::vector<TreeNode> tree = BuildMergedTree(MergeLogParts(std::move(parts)), true, CLocaleFormat());
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].text, "[1] Align - L");
    EXPECT_EQ(tree[0].children, std::vector<std::string>{"04/01/07 - err_log.1.rpt line 1"});
    EXPECT_EQ(tree[1].children,
              (std::vector<std::string>{"04/02/07 - err_log.1.rpt line 3", "05/01/07 08:00:00 - err_log.rpt line 1"}));
}

}  // namespace
}  // namespace lognex
