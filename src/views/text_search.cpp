#include "views/text_search.h"

#include <re2/re2.h>

#include <array>

namespace lognex {
namespace {

// Lower case of every Windows-1252 byte.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> fold{};
    for (int b = 0; b < 256; ++b) fold[b] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b) fold[b] = static_cast<unsigned char>(b + 32);
    for (int b = 0xC0; b <= 0xDE; ++b)
        if (b != 0xD7) fold[b] = static_cast<unsigned char>(b + 32);  // À..Þ, not the multiplication sign
    fold[0x8A] = 0x9A;                                                // Š
    fold[0x8C] = 0x9C;                                                // Œ
    fold[0x8E] = 0x9E;                                                // Ž
    fold[0x9F] = 0xFF;                                                // Ÿ
    return fold;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

// Letters, digits and '_' of the code page: what a whole word may not touch.
constexpr std::array<bool, 256> MakeWordTable() {
    std::array<bool, 256> word{};
    for (int b = '0'; b <= '9'; ++b) word[b] = true;
    for (int b = 'A'; b <= 'Z'; ++b) word[b] = word[b + 32] = true;
    word['_'] = true;
    for (int b : {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xAA, 0xB5, 0xBA}) word[b] = true;
    for (int b = 0xC0; b <= 0xFF; ++b)
        if (b != 0xD7 && b != 0xF7) word[b] = true;
    return word;
}
constexpr std::array<bool, 256> kWord = MakeWordTable();

bool IsWordByte(char c) { return kWord[static_cast<unsigned char>(c)]; }

bool StandsAlone(std::string_view line, std::size_t start, std::size_t end) {
    return (start == 0 || !IsWordByte(line[start - 1])) && (end >= line.size() || !IsWordByte(line[end]));
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    return folded;
}

// Position of folded needle in text compared case-insensitively, from from on.
std::size_t FindFolded(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.size() > text.size()) return std::string_view::npos;
    const auto first = static_cast<unsigned char>(needle[0]);
    const std::size_t last = text.size() - needle.size();
    for (std::size_t i = from; i <= last; ++i) {
        if (kFold[static_cast<unsigned char>(text[i])] != first) continue;
        std::size_t k = 1;
        while (k < needle.size() &&
               kFold[static_cast<unsigned char>(text[i + k])] == static_cast<unsigned char>(needle[k]))
            ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

unsigned char FoldCase(unsigned char byte) { return kFold[byte]; }

TextPattern::TextPattern(std::string_view pattern, SearchOptions options) : options_(options) {
    if (pattern.empty()) return;
    if (!options.regex) {
        needle_ = options.matchCase ? std::string(pattern) : Folded(pattern);
        return;
    }
    RE2::Options re;
    re.set_encoding(RE2::Options::EncodingLatin1);
    re.set_case_sensitive(options.matchCase);
    re.set_log_errors(false);
    auto compiled = std::make_shared<const RE2>(re2::StringPiece(pattern.data(), pattern.size()), re);
    if (!compiled->ok()) throw SearchError("Invalid regular expression: " + compiled->error());
    regex_ = std::move(compiled);
}

bool TextPattern::NextLiteral(std::string_view line, std::size_t from, std::size_t& start) const {
    start = options_.matchCase ? line.find(needle_, from) : FindFolded(line, needle_, from);
    return start != std::string_view::npos;
}

bool TextPattern::NextMatch(std::string_view line, std::size_t from, std::size_t& start, std::size_t& end) const {
    while (from <= line.size()) {
        if (regex_) {
            re2::StringPiece found;
            if (!regex_->Match(re2::StringPiece(line.data(), line.size()), from, line.size(), RE2::UNANCHORED, &found,
                               1))
                return false;
            start = static_cast<std::size_t>(found.data() - line.data());
            end = start + found.size();
            if (start == end) {  // an empty match shows nothing; look past it
                from = start + 1;
                continue;
            }
        } else {
            if (!NextLiteral(line, from, start)) return false;
            end = start + needle_.size();
        }
        // A whole word that fails its boundaries may still stand alone one byte further on.
        if (!options_.wholeWords || StandsAlone(line, start, end)) return true;
        from = start + 1;
    }
    return false;
}

void TextPattern::FindIn(std::string_view line, std::size_t lineNumber, std::vector<TextMatch>& out) const {
    if (Empty()) return;
    std::size_t from = 0, start = 0, end = 0;
    while (from < line.size() && NextMatch(line, from, start, end)) {
        out.push_back(TextMatch{lineNumber, start, end - start});
        from = end;
    }
}

std::vector<TextMatch> FindAll(const TextPattern& pattern, const std::vector<std::string_view>& lines) {
    std::vector<TextMatch> matches;
    if (pattern.Empty()) return matches;
    for (std::size_t i = 0; i < lines.size(); ++i) pattern.FindIn(lines[i], i, matches);
    return matches;
}

std::vector<bool> EntryLinesWithMatches(const std::vector<TextMatch>& matches, std::size_t lineCount) {
    std::vector<bool> shown(lineCount, false);
    for (const TextMatch& m : matches) {
        const std::size_t header = m.line - m.line % 2;
        if (header < lineCount) shown[header] = true;
        if (header + 1 < lineCount) shown[header + 1] = true;
    }
    return shown;
}

bool ContainsAllWords(std::string_view text, std::string_view words) {
    std::size_t at = 0;
    while (at < words.size()) {
        const std::size_t begin = words.find_first_not_of(" \t", at);
        if (begin == std::string_view::npos) break;
        std::size_t end = words.find_first_of(" \t", begin);
        if (end == std::string_view::npos) end = words.size();
        if (FindFolded(text, Folded(words.substr(begin, end - begin)), 0) == std::string_view::npos) return false;
        at = end;
    }
    return true;
}

}  // namespace lognex
