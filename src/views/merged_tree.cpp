#include "views/merged_tree.h"

#include "support/date_pictures.h"

namespace lognex {

std::vector<TreeNode> BuildMergedTree(const MergedLog& log, bool showSource, const LocaleFormat& locale) {
    std::vector<TreeNode> tree = BuildTree(log.analysis, showSource, locale);
    for (TreeNode& node : tree) {
        const DistinctError& error = log.analysis.Errors()[node.error];
        // The children are the error's occurrences, both in log order.
        for (std::size_t i = 0; i < error.occurrences.size(); ++i) {
            const std::uint32_t at = error.occurrences[i];
            node.children[i] = FormatDateTimeText("", StoredTime(log.analysis.Entries()[at].when), locale) + " - " +
                               EntryPlace(log, at);
        }
    }
    return tree;
}

}  // namespace lognex
