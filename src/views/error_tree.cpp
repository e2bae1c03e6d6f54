#include "views/error_tree.h"

#include <algorithm>

#include "support/date_pictures.h"
#include "support/error.h"
#include "support/number_text.h"
#include "support/text_routines.h"
#include "support/visible_text.h"

namespace lognex {

std::vector<TreeNode> BuildTree(ErrorTables& tables, bool showSource, const LocaleFormat& locale) {
    Table& names = tables.errorNames;
    Table& occur = tables.occurrences;
    std::vector<TreeNode> tree;
    for (names.First(); !names.AtEnd(); names.Next()) {
        // The count is what the link range holds, so it always matches the children.
        TreeNode node;
        node.errorText = names.GetString(kErrorText);
        node.errorLoc = names.GetString(kErrorLoc);
        node.text = "[" + std::to_string(occur.RecordCount()) + "] " + node.errorText;
        if (showSource) node.text += " - " + node.errorLoc;
        for (occur.First(); !occur.AtEnd(); occur.Next()) {
            node.children.push_back(FormatDateTimeText("", occur.GetDateTime(kErrorTime), locale) +
                                    " - Log File line " + std::to_string(occur.GetInteger(kLogLine)));
        }
        tree.push_back(std::move(node));
    }
    return tree;
}

LogSelection SelectionForNode(std::string_view childText, const LogLines& lines) {
    const WordTail tail = TextFromWord(childText, " ", "line", 1);
    const std::string number = TailFrom(tail.tail, 6);
    const std::int32_t n = ParseInteger(number);
    // Line 0 or below would name the line before the first; refuse it as the
    // unreadable number it is instead of selecting around an arbitrary place.
    if (n < 1) throw ConversionError(QuotedForMessage(number) + " is not a valid integer value");

    LogSelection selection;
    selection.firstLine = ViewLineOf(LogLineNumber{static_cast<std::size_t>(n)});
    selection.lastLine = ViewLine{selection.firstLine.index + 1};
    selection.start = lines.LineStart(selection.firstLine.index);
    selection.length =
        lines.FullLine(selection.firstLine.index).size() + 2 + lines.FullLine(selection.lastLine.index).size();
    // A number past the end (an edited node) selects at the end, never beyond it.
    const std::size_t end = lines.LineStart(lines.ViewLineCount());
    selection.length = std::min(selection.length, end - selection.start);
    return selection;
}

}  // namespace lognex
