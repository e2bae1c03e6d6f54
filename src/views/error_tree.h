// The error tree's texts: one top-level node per distinct error, one child
// per occurrence, and the way back from a child's text to the log view.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "logproc/analysis.h"
#include "logproc/line_numbers.h"
#include "logproc/log_lines.h"
#include "support/locale_format.h"

namespace lognex {

struct TreeNode {
    std::string text;                   // "[%d] %s", or "[%d] %s - %s" with the location
    std::vector<std::string> children;  // "%s - Log File line %d", in log order
    std::vector<HeaderLine> lines;      // each child's header line, for the way back to the log
    std::string errorText, errorLoc;    // the distinct error, for finding it by its words
    ErrorId error = 0;
};

// The nodes in ErrorName's usual order (text, then location), each with its
// occurrences in log order. Times are shown to the millisecond the tables
// keep.
std::vector<TreeNode> BuildTree(const Analysis& analysis, bool showSource, const LocaleFormat& locale);

// A top-level node's text: "[%d] %s", or "[%d] %s - %s" with the location.
std::string ErrorNodeText(const DistinctError& error, bool showSource);

// An occurrence's text: "%s - Log File line %d", the time to the millisecond.
std::string OccurrenceNodeText(const AnalysisEntry& entry, const LocaleFormat& locale);

// What choosing a child selects: view lines firstLine and lastLine and the
// character range in view positions, where a line break counts two.
struct LogSelection {
    ViewLine firstLine, lastLine;
    std::size_t start = 0, length = 0;
};

// The selection for a child node's text: the header line named by the
// number after the word "line", its break and the text line after it. The
// node text is user-editable, so it is read back rather than trusted: throws
// ConversionError "'%s' is not a valid integer value" when no usable number
// follows "line" (a number below 1 names no log line and is refused the same
// way). A number past the end selects at the end of the text.
LogSelection SelectionForNode(std::string_view childText, const LogLines& lines);

// The selection for the entry whose header is on line `line`.
LogSelection SelectionForLine(HeaderLine line, const LogLines& lines);

}  // namespace lognex
