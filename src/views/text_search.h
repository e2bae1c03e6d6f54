// Finding text in the lines of a view: the log, the summary, the tree's errors.
//
// Lines are Windows-1252 bytes, as everywhere in the program, so a search
// for "é" finds byte 0xE9 and positions are byte offsets, which are also the
// character positions the window shows. Case-insensitive matching folds the
// code page's letters (A-Z, the accented letters, Š Œ Ž Ÿ) to lower case.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/error.h"

namespace re2 {
class RE2;
}

namespace lognex {

struct SearchOptions {
    bool matchCase = false;   // off: letters match either case
    bool wholeWords = false;  // a match must not touch a letter, digit or '_' on either side
    bool regex = false;       // the pattern is a regular expression (RE2 syntax)
};

// One match: line number (from 0) and the byte range inside that line.
struct TextMatch {
    std::size_t line = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const TextMatch&, const TextMatch&) = default;
};

// A pattern that will not compile; what() is the message the find bar shows.
class SearchError : public Error {
public:
    using Error::Error;
};

// A compiled search. Copies share the compiled expression; it is immutable,
// so a pattern can be used from anywhere at once.
class TextPattern {
public:
    // The empty pattern: matches nothing.
    TextPattern() = default;
    // Throws SearchError "Invalid regular expression: ..." when the options
    // ask for a regular expression that does not compile. Regular expressions
    // run in linear time (no backtracking), so no pattern typed into the bar
    // can hang the window. Their case folding covers the Latin-1 letters; the
    // four Windows-1252 letters outside Latin-1 (Š Œ Ž Ÿ) fold only in the
    // plain and whole-word modes.
    TextPattern(std::string_view pattern, SearchOptions options);

    bool Empty() const { return needle_.empty() && !regex_; }

    // Appends the matches inside line (numbered lineNumber) to out, left to
    // right, not overlapping. Empty matches of a regular expression (such as
    // "^" or "x*") are not reported: there is nothing to show for them.
    void FindIn(std::string_view line, std::size_t lineNumber, std::vector<TextMatch>& out) const;

private:
    bool NextMatch(std::string_view line, std::size_t from, std::size_t& start, std::size_t& end) const;
    bool NextLiteral(std::string_view line, std::size_t from, std::size_t& start) const;

    std::string needle_;  // the plain pattern, folded to lower case unless matchCase
    SearchOptions options_;
    std::shared_ptr<const re2::RE2> regex_;
};

// Every match in lines, ordered by line, then position.
std::vector<TextMatch> FindAll(const TextPattern& pattern, const std::vector<std::string_view>& lines);

// Which of lineCount lines a filter on matches shows: both lines of each
// entry (lines 0 and 1, 2 and 3, ...: pairs are positional, as the run reads
// them) in which either line holds a match.
std::vector<bool> EntryLinesWithMatches(const std::vector<TextMatch>& matches, std::size_t lineCount);

// True when text contains every blank-separated word of words, in any case
// and order. No words at all: true.
bool ContainsAllWords(std::string_view text, std::string_view words);

// The byte in lower case, by the Windows-1252 letters.
unsigned char FoldCase(unsigned char byte);

}  // namespace lognex
