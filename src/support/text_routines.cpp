#include "support/text_routines.h"

#include <filesystem>
#include <system_error>

namespace lognex {
namespace {

bool IsIn(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == ':' || c == '\0';
#else
    return c == '\\' || c == ':' || c == '\0' || c == '/';
#endif
}

bool IsFolderSeparator(char c) {
#ifdef _WIN32
    return c == '\\';
#else
    return c == '\\' || c == '/';
#endif
}

}  // namespace

std::string NthWord(unsigned n, std::string_view text, std::string_view delimiters, char quote) {
    return std::string(NthWordView(n, text, delimiters, quote));
}

std::string_view NthWordView(unsigned n, std::string_view text, std::string_view delimiters, char quote) {
    const std::size_t length = text.size();
    auto isDelimiter = [&](char c) { return c != quote && IsIn(c, delimiters); };

    std::size_t i = 0;
    unsigned count = 0;
    bool inside = false;
    std::size_t start = std::string_view::npos;
    while (i < length && count != n) {
        while (i < length && isDelimiter(text[i])) ++i;
        if (i < length) ++count;
        if (count == n) {
            start = i;
            break;
        }
        while (i < length && (inside || !isDelimiter(text[i]))) {
            if (text[i] == quote) inside = !inside;
            ++i;
        }
    }
    if (n == 0 || start == std::string_view::npos || start >= length) return {};

    inside = false;
    std::size_t j = start;
    while (j < length && (inside || !isDelimiter(text[j]))) {
        if (text[j] == quote) inside = !inside;
        ++j;
    }
    return text.substr(start, j - start);
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
    const auto options = replace ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    return fs::copy_file(source, realTarget, options, ec) && !ec;
}

}  // namespace lognex
