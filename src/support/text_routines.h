// Small text and path routines whose exact rules decide what is read out of a
// log line and where the program finds its files. Texts are single-byte
// strings; positions are 1-based; none of them throws.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace lognex {

// c in lower case when it is an ASCII capital letter, else c itself.
constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when a and b hold the same bytes, ASCII letter case aside: how the
// names of aliases, fields and indexes compare. Other bytes compare exactly.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// The n-th word of text (n from 1), words being runs of non-delimiters. The
// quote character is never a delimiter; a stretch between two quotes keeps
// its delimiters inside the word, and an unclosed quote runs to the end.
// Empty when n is 0 or the text has fewer than n words.
std::string NthWord(unsigned n, std::string_view text, std::string_view delimiters, char quote);

// As NthWord, as a view into text (no copy, for hot loops).
std::string_view NthWordView(unsigned n, std::string_view text, std::string_view delimiters, char quote);

// Words 1 to words.size() of text in one pass, each as NthWordView gives it.
void FirstWordsView(std::string_view text, std::string_view delimiters, char quote, std::span<std::string_view> words);

// Position of the last occurrence of sub in text, 0 when there is none. After
// each occurrence one more character is skipped before searching on, so an
// occurrence that starts right after the previous one is not seen
// ("aFILE:FILE:b" gives 2).
int LastPosOf(std::string_view sub, std::string_view text);

// text from position first to its end; empty when first is 0 or past the end.
std::string TailFrom(std::string_view text, unsigned first);

struct WordTail {
    bool found = false;
    std::string tail;
};

// The part of text from the n-th whole-word occurrence of word to the end. A
// whole word stands at the start or after a delimiter, and before the end or
// a delimiter.
WordTail TextFromWord(std::string_view text, std::string_view delimiters, std::string_view word, unsigned n);

// Drive and folder part of a path, without a trailing separator except at a
// root ("C:\Tools\Lognex.exe" gives "C:\Tools", "C:\Lognex.exe" gives "C:\").
// Backslash, colon and NUL separate, and the forward slash plays the
// backslash's part on every platform.
std::string FolderOfPath(std::string_view path);

// Copies source to target (into it, under source's own name, when target is
// an existing folder). An existing file is replaced only when replace is set.
// Reports every failure through its result alone.
bool CopyFileTo(const std::string& source, const std::string& target, bool replace);

}  // namespace lognex
