#include "views/error_tree.h"

#include <algorithm>

#include "support/date_pictures.h"
#include "support/error.h"
#include "support/number_text.h"
#include "support/text_routines.h"

namespace lognex {

std::vector<TreeNode> BuildTree(ErrorTables& tables, bool showSource, const LocaleFormat& locale) {
    Table& names = tables.tblError;
    Table& occur = tables.tblOccur;
    std::vector<TreeNode> tree;
    for (names.First(); !names.AtEnd(); names.Next()) {
        // The count is what the link range holds, so it always matches the children.
        TreeNode node;
        node.text = "[" + std::to_string(occur.RecordCount()) + "] " + names.GetString(kErrorText);
        if (showSource) node.text += " - " + names.GetString(kErrorLoc);
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
    if (n < 1) throw ConversionError("'" + number + "' is not a valid integer value");

    LogSelection selection;
    selection.firstLine = static_cast<std::size_t>(n) - 1;
    selection.lastLine = selection.firstLine + 1;
    selection.start = lines.LineStart(selection.firstLine);
    selection.length = lines.FullLine(selection.firstLine).size() + 2 + lines.FullLine(selection.lastLine).size();
    // A number past the end (an edited node) selects at the end, never beyond it.
    const std::size_t end = lines.LineStart(lines.ViewLineCount());
    selection.length = std::min(selection.length, end - selection.start);
    return selection;
}

}  // namespace lognex
