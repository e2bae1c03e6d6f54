#include "views/error_tree.h"

#include <algorithm>

#include "support/date_pictures.h"
#include "support/error.h"
#include "support/number_text.h"
#include "support/text_routines.h"
#include "support/visible_text.h"

namespace lognex {

std::vector<TreeNode> BuildTree(const Analysis& analysis, bool showSource, const LocaleFormat& locale) {
    std::vector<TreeNode> tree;
    tree.reserve(analysis.Errors().size());
    for (ErrorId id : ErrorsByTextAndLocation(analysis)) {
        const DistinctError& error = analysis.Errors()[id];
        TreeNode node;
        node.error = id;
        node.errorText = error.text;
        node.errorLoc = error.location;
        node.text = ErrorNodeText(error, showSource);
        node.children.reserve(error.Count());
        node.lines.reserve(error.Count());
        for (std::uint32_t at : error.occurrences) {
            const AnalysisEntry& entry = analysis.Entries()[at];
            node.children.push_back(OccurrenceNodeText(entry, locale));
            node.lines.push_back(entry.line);
        }
        tree.push_back(std::move(node));
    }
    return tree;
}

std::string ErrorNodeText(const DistinctError& error, bool showSource) {
    std::string text = "[" + std::to_string(error.Count()) + "] " + error.text;
    if (showSource) text += " - " + error.location;
    return text;
}

std::string OccurrenceNodeText(const AnalysisEntry& entry, const LocaleFormat& locale) {
    return FormatDateTimeText("", StoredTime(entry.when), locale) + " - Log File line " +
           std::to_string(entry.line.number);
}

LogSelection SelectionForNode(std::string_view childText, const LogLines& lines) {
    const WordTail tail = TextFromWord(childText, " ", "line", 1);
    const std::string number = TailFrom(tail.tail, 6);
    const std::int32_t n = ParseInteger(number);
    // Line 0 or below would name the line before the first; refuse it as the
    // unreadable number it is instead of selecting around an arbitrary place.
    if (n < 1) throw ConversionError(QuotedForMessage(number) + " is not a valid integer value");
    return SelectionForLine(HeaderLine{static_cast<std::uint32_t>(n)}, lines);
}

LogSelection SelectionForLine(HeaderLine line, const LogLines& lines) {
    LogSelection selection;
    selection.firstLine = ViewLineOf(LogLineNumberOf(line));
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
