// The log as the log view holds it.
//
// One view line per line of the file, numbered from 0. A line break in the
// file is CR LF, a lone LF or a lone CR; in the view every break is CR LF, so
// it counts as two characters in view positions. The view never wraps.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "logproc/rtf_text.h"

namespace lognex {

// The most characters one read of a view line delivers, its line break included.
constexpr std::size_t kMaxDeliveredLine = 4096;

class LogLines {
public:
    LogLines() = default;

    // Splits plain text into view lines.
    static LogLines FromText(std::string text);

    // The number of lines, not counting a last line that is empty: a text
    // that ends with a line break has as many lines as breaks; "" has 0.
    std::size_t Count() const { return count_; }

    // Line n as a read from the view delivers it: at most 4096 characters,
    // the line break counting towards that limit and removed only when both
    // of its characters were delivered (so a line of exactly 4095 characters
    // comes with a trailing CR). Empty past the last line; never throws.
    std::string Line(std::size_t n) const;

    // Line n whole, without its break; empty past the last line.
    std::string_view FullLine(std::size_t n) const;

    // View position at which line n starts (a break counts two characters);
    // past the last line, the position of the end of the text.
    std::size_t LineStart(std::size_t n) const;

    // Number of stored lines including a last empty one (what a view shows).
    std::size_t ViewLineCount() const { return starts_.size(); }

private:
    std::string text_;
    std::vector<std::size_t> starts_;      // byte offset of each line in text_
    std::vector<std::size_t> lengths_;     // length of each line, without its break
    std::vector<std::size_t> viewStarts_;  // view position of each line
    std::size_t count_ = 0;
};

// Reads a log file into view lines. A file that begins with "{\rtf" is taken
// as rich text and turned into plain lines. Throws Error "Cannot open file
// "%s". %s" (with the system's reason) when it cannot be opened, "Failed to
// Load Stream" when it opened but could not be read.
LogLines LoadLogLines(const std::string& path);

}  // namespace lognex
