#include "support/text_routines.h"

#include <filesystem>
#include <system_error>

#include "support/platform_files.h"

namespace lognex {
namespace {

// Delimiter sets hold a character or two, so a plain loop beats a call to a
// library search for every character of a line.
bool IsIn(char c, std::string_view set) {
    for (const char member : set) {
        if (member == c) return true;
    }
    return false;
}

// Both slashes on every platform: Windows takes '/' as well (file dialogs
// return it), and POSIX logs may name Windows paths.
bool IsPathDelimiter(char c) { return c == '\\' || c == ':' || c == '\0' || c == '/'; }

bool IsFolderSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string NthWord(unsigned n, std::string_view text, std::string_view delimiters, char quote) {
    return std::string(NthWordView(n, text, delimiters, quote));
}

namespace {

// Calls found(k, start) for the start of words 1, 2, ... up to count, stopping
// early when the text has fewer words. The quote state carries over from word
// to word while counting, so an unclosed quote swallows the rest of the text.
template <typename Found>
void ScanWordStarts(std::string_view text, std::string_view delimiters, char quote, unsigned count, Found found) {
    const std::size_t length = text.size();
    std::size_t i = 0;
    bool inside = false;
    for (unsigned k = 1; k <= count; ++k) {
        while (i < length && text[i] != quote && IsIn(text[i], delimiters)) ++i;
        if (i >= length) return;
        found(k, i);
        while (i < length && (inside || text[i] == quote || !IsIn(text[i], delimiters))) {
            if (text[i] == quote) inside = !inside;
            ++i;
        }
    }
}

// The word that starts at start, read with a fresh quote state.
std::string_view WordAt(std::string_view text, std::size_t start, std::string_view delimiters, char quote) {
    bool inside = false;
    std::size_t j = start;
    while (j < text.size() && (inside || text[j] == quote || !IsIn(text[j], delimiters))) {
        if (text[j] == quote) inside = !inside;
        ++j;
    }
    return text.substr(start, j - start);
}

}  // namespace

std::string_view NthWordView(unsigned n, std::string_view text, std::string_view delimiters, char quote) {
    std::string_view word;
    ScanWordStarts(text, delimiters, quote, n, [&](unsigned k, std::size_t start) {
        if (k == n) word = WordAt(text, start, delimiters, quote);
    });
    return word;
}

void FirstWordsView(std::string_view text, std::string_view delimiters, char quote, std::span<std::string_view> words) {
    for (std::string_view& word : words) word = {};
    // ScanWordStarts in one pass: a word without quotes, counted outside
    // quotes, ends where the count's scan ends; only others are read again.
    const std::size_t length = text.size();
    std::size_t i = 0;
    bool inside = false;
    for (std::string_view& word : words) {
        while (i < length && text[i] != quote && IsIn(text[i], delimiters)) ++i;
        if (i >= length) return;
        const std::size_t start = i;
        const bool carried = inside;
        bool quoted = false;
        while (i < length && (inside || text[i] == quote || !IsIn(text[i], delimiters))) {
            if (text[i] == quote) {
                inside = !inside;
                quoted = true;
            }
            ++i;
        }
        word = quoted || carried ? WordAt(text, start, delimiters, quote) : text.substr(start, i - start);
    }
}

int LastPosOf(std::string_view sub, std::string_view text) {
    if (sub.empty() || text.empty()) return 0;
    std::string_view rest = text;
    std::size_t consumed = 0;
    bool seen = false;
    for (std::size_t k = rest.find(sub); k != std::string_view::npos; k = rest.find(sub)) {
        seen = true;
        const std::size_t skip = k + 1 + sub.size();  // the occurrence and one more character
        consumed += skip;
        rest = skip < rest.size() ? rest.substr(skip) : std::string_view{};
    }
    return seen ? static_cast<int>(consumed - sub.size()) : 0;
}

std::string TailFrom(std::string_view text, unsigned first) {
    if (first < 1 || first > text.size()) return {};
    return std::string(text.substr(first - 1));
}

WordTail TextFromWord(std::string_view text, std::string_view delimiters, std::string_view word, unsigned n) {
    if (text.empty() || word.empty() || n == 0) return {};
    unsigned count = 0;
    for (std::size_t p = text.find(word); p != std::string_view::npos; p = text.find(word, p + word.size())) {
        const std::size_t end = p + word.size();
        const bool startsWord = p == 0 || IsIn(text[p - 1], delimiters);
        const bool endsWord = end == text.size() || IsIn(text[end], delimiters);
        if (startsWord && endsWord && ++count == n) return {true, std::string(text.substr(p))};
    }
    return {};
}

std::string FolderOfPath(std::string_view path) {
    std::size_t i = path.size();
    while (i > 0 && !IsPathDelimiter(path[i - 1])) --i;
    // i is now the 1-based position of the last delimiter, 0 when there is none.
    if (i == 0) return {};
    if (i == 1) return std::string(path.substr(0, 1));
    if (IsFolderSeparator(path[i - 1])) {
        if (path[i - 2] == ':') return std::string(path.substr(0, i));
        return std::string(path.substr(0, i - 1));
    }
    return std::string(path.substr(0, i));
}

bool CopyFileTo(const std::string& source, const std::string& target, bool replace) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string realTarget = target;
    if (fs::is_directory(target, ec)) {
        std::size_t nameStart = source.size();
        while (nameStart > 0 && !IsPathDelimiter(source[nameStart - 1])) --nameStart;
        if (!target.empty() && !IsFolderSeparator(target.back())) realTarget += '/';
        realTarget += source.substr(nameStart);
    }
    return CopyFileOver(source, realTarget, replace);
}

}  // namespace lognex
