#include "support/st_reg_ini.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <system_error>
#include <vector>

#include "support/ansi_text.h"
#include "support/file_io.h"
#include "support/number_text.h"
#include "support/platform_files.h"
#include "support/text_routines.h"

namespace lognex {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// A stored value as the profile reader hands it back: blanks around it and
// one pair of matching quotes removed.
std::string_view UnwrapValue(std::string_view stored) {
    std::string_view value = TrimBlanks(stored);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The text to store so that UnwrapValue gives value back unchanged; quotes
// are added only where the reader would otherwise strip something.
std::string WrapValue(std::string_view value) {
    const bool needsQuotes =
        !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                           kBlanks.find(value.back()) != std::string_view::npos ||
                           (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
    if (!needsQuotes) return std::string(value);
    return "\"" + std::string(value) + "\"";
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

template <typename Line>
std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const auto newline = content.find('\n', start);
        if (newline == std::string::npos) {
            // A CR at the very end reads as the first half of a break, as it
            // will once a line is added after it.
            const bool lastCr = content.back() == '\r';
            lines.push_back({content.substr(start, content.size() - start - (lastCr ? 1 : 0)), lastCr ? "\r" : ""});
            break;
        }
        std::size_t textEnd = newline;
        if (textEnd > start && content[textEnd - 1] == '\r') --textEnd;
        lines.push_back({content.substr(start, textEnd - start), content.substr(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
    return lines;
}

// Gives a last line without a line feed its break before a line is added
// after it; a lone CR there becomes CR LF.
template <typename Line>
void EndWithBreak(Line& line, const std::string& newline) {
    if (line.end.empty())
        line.end = newline;
    else if (line.end == "\r")
        line.end = "\r\n";
}

// The section name of a header line, or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const auto close = text.find(']');
    return TrimBlanks(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// The key of a "key=value" line, or nullopt for a line without "=".
std::optional<std::string_view> KeyOf(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(0, equals));
}

struct Location {
    std::optional<std::size_t> header;  // the section's header line
    std::optional<std::size_t> key;     // the key's line inside it
    std::size_t sectionEnd = 0;         // one past the section's last non-blank line
};

template <typename Line>
Location Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionOf(lines[i].text);
        if (!where.header) {
            if (name && EqualsIgnoringAsciiCase(*name, section)) {
                where.header = i;
                where.sectionEnd = i + 1;
            }
            continue;
        }
        if (name) break;  // the next section
        if (!TrimBlanks(lines[i].text).empty()) where.sectionEnd = i + 1;
        const auto lineKey = KeyOf(lines[i].text);
        if (!where.key && lineKey && EqualsIgnoringAsciiCase(*lineKey, key)) where.key = i;
    }
    return where;
}

enum class FileState { Missing, Read, Unreadable };

// Reads the whole file; why it cannot be read in *problem. Nothing that is
// no regular file is opened (a FIFO would wait for a writer).
FileState ReadWholeFile(const std::string& path, std::string& content, std::string* problem) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return FileState::Missing;
    RegularFileReader file(path);
    *problem = file.Problem();
    if (!problem->empty()) return FileState::Unreadable;
    try {
        char buffer[1 << 16];
        while (const std::size_t n = file.Read(buffer, sizeof buffer)) content.append(buffer, n);
    } catch (const std::system_error& failure) {
        *problem = SystemErrorText(failure.code().value());
        return FileState::Unreadable;
    } catch (const std::bad_alloc&) {
        *problem = "It is too large to read";
        return FileState::Unreadable;
    }
    return FileState::Read;
}

// Why no file can be created in folder, for a message.
std::string FolderProblem(const std::filesystem::path& folder) {
    std::error_code ec;
    const auto status = std::filesystem::status(folder, ec);
    if (ec) return SystemErrorText(ec.value());
    if (status.type() != std::filesystem::file_type::directory) return SystemErrorText(ENOTDIR);
    return SystemErrorText(EACCES);
}

bool AllDigits(std::string_view text, bool hex) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [hex](char c) {
        return (c >= '0' && c <= '9') || (hex && HexDigitValue(c) >= 0);
    });
}

}  // namespace

EStRegIniError::EStRegIniError(std::string_view file, std::string_view cause)
    : Error("Failed to write value to INI file\n" + PathToAnsi(file) + ": " + std::string(cause)) {}

std::optional<bool> ParseIniBool(std::string_view value) {
    if (EqualsIgnoringAsciiCase(value, "FALSE")) return false;
    if (EqualsIgnoringAsciiCase(value, "TRUE")) return true;

    // A decimal number: blanks, sign, digits with an optional fraction, exponent.
    std::string_view rest = value.substr(std::min(value.size(), value.find_first_not_of(' ')));
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) rest.remove_prefix(1);
    bool anyDigit = false;
    bool nonZero = false;
    auto takeDigits = [&] {
        while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
            anyDigit = true;
            nonZero = nonZero || rest.front() != '0';
            rest.remove_prefix(1);
        }
    };
    takeDigits();
    if (!rest.empty() && rest.front() == '.') {
        rest.remove_prefix(1);
        takeDigits();
    }
    if (!anyDigit) return std::nullopt;
    if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
        rest.remove_prefix(1);
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) rest.remove_prefix(1);
        if (!AllDigits(rest, false)) return std::nullopt;
        rest = {};
    }
    if (!rest.empty()) return std::nullopt;
    // The exponent cannot make a non-zero mantissa zero, nor a zero one non-zero.
    return nonZero;
}

std::optional<std::int32_t> ParseIniInt(std::string_view value) {
    std::string_view rest = value.substr(std::min(value.size(), value.find_first_not_of(' ')));
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    unsigned base = 10;
    if (!rest.empty() && (rest.front() == '$' || rest.front() == 'x' || rest.front() == 'X')) {
        base = 16;
        rest.remove_prefix(1);
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        base = 16;
        rest.remove_prefix(2);
    }
    if (!AllDigits(rest, base == 16)) return std::nullopt;

    // The magnitude must fit a signed 64-bit number (its minimum included).
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (char c : rest) {
        const auto digit = static_cast<unsigned>(HexDigitValue(c));
        if (magnitude > (kLimit - digit) / base) return std::nullopt;
        magnitude = magnitude * base + digit;
    }
    if (!negative && magnitude == kLimit) return std::nullopt;

    if (!negative && magnitude <= 0xFFFFFFFFu) {
        // The stored form of a 32-bit value: its two's-complement pattern.
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    }
    if (negative && magnitude <= std::uint64_t{1} << 31) {
        // Hand-typed negative numbers ("-4") mean what they say.
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    }
    return std::nullopt;
}

std::string FormatIniInt(std::int32_t value) { return std::to_string(static_cast<std::uint32_t>(value)); }

TStRegIni::TStRegIni(std::string filePath) : filePath_(std::move(filePath)) {}

TStRegIni::~TStRegIni() {
    try {
        Flush();
    } catch (const std::exception&) {
        // A destructor cannot report; callers that care call Flush first.
    }
}

void TStRegIni::SetSection(std::string section) { section_ = std::move(section); }

void TStRegIni::LoadLocked() const {
    if (loaded_) return;
    std::string content;
    switch (ReadWholeFile(filePath_, content, &problem_)) {
        case ::lognex::FileState::Missing: state_ = FileState::Missing; break;
        case ::lognex::FileState::Read: state_ = FileState::Read; break;
        case ::lognex::FileState::Unreadable: state_ = FileState::Unreadable; break;
    }
    lines_ = SplitLines<Line>(content);
    loaded_ = true;
}

std::optional<std::string> TStRegIni::ReadRaw(std::string_view key) const {
    LoadLocked();
    const Location where = Find(lines_, TrimBlanks(section_), TrimBlanks(key));
    if (!where.key) return std::nullopt;
    const std::string& line = lines_[*where.key].text;
    std::string_view value = UnwrapValue(std::string_view(line).substr(line.find('=') + 1));
    if (value.empty()) return std::nullopt;
    return std::string(value.substr(0, kIniMaxValueLength));
}

bool TStRegIni::ReadBool(std::string_view key, bool defaultValue) const {
    const auto raw = ReadRaw(key);
    if (!raw) return defaultValue;
    return ParseIniBool(*raw).value_or(defaultValue);
}

std::int32_t TStRegIni::ReadInt(std::string_view key, std::int32_t defaultValue) const {
    const auto raw = ReadRaw(key);
    if (!raw) return defaultValue;
    return ParseIniInt(*raw).value_or(defaultValue);
}

std::string TStRegIni::ReadStr(std::string_view key, const std::string& defaultValue) const {
    return ReadRaw(key).value_or(defaultValue);
}

void TStRegIni::WriteBool(std::string_view key, bool value) { WriteRaw(key, value ? "TRUE" : "FALSE"); }

void TStRegIni::WriteInt(std::string_view key, std::int32_t value) { WriteRaw(key, FormatIniInt(value)); }

void TStRegIni::WriteStr(std::string_view key, std::string_view value) { WriteRaw(key, value); }

void TStRegIni::WriteRaw(std::string_view key, std::string_view value) {
    // A line break would split the line and could plant keys of its own.
    if (HasLineBreak(value) || HasLineBreak(key) || HasLineBreak(section_) || TrimBlanks(key).empty() ||
        key.find('=') != std::string_view::npos || key.front() == '[' || section_.find(']') != std::string::npos) {
        throw EStRegIniError(filePath_, "\"" + std::string(key) + "\" cannot be stored as one line");
    }

    LoadLocked();
    // Rewriting a file that cannot be read would lose its other lines; one
    // that may not be written must stay as it is.
    if (state_ == FileState::Unreadable) throw EStRegIniError(filePath_, problem_);
    if (state_ == FileState::Read && !CanWriteFile(filePath_)) throw EStRegIniError(filePath_, SystemErrorText(EACCES));
    if (state_ == FileState::Missing) {
        // The file will be created in its folder: say now if it cannot be.
        std::filesystem::path folder = std::filesystem::path(filePath_).parent_path();
        if (folder.empty()) folder = ".";
        if (!MayWriteInFolder(PathText(folder))) throw EStRegIniError(filePath_, FolderProblem(folder));
    }

    const std::string newline = (!lines_.empty() && lines_.front().end == "\r\n") ? "\r\n" : "\n";
    const std::string keyLine = std::string(key) + "=" + WrapValue(value);

    const Location where = Find(lines_, TrimBlanks(section_), TrimBlanks(key));
    if (where.key) {
        if (lines_[*where.key].text == keyLine) return;  // unchanged: nothing to write
        lines_[*where.key].text = keyLine;
    } else if (where.header) {
        const std::size_t at = where.sectionEnd;
        EndWithBreak(lines_[at - 1], newline);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{keyLine, newline});
    } else {
        if (!lines_.empty()) EndWithBreak(lines_.back(), newline);
        lines_.push_back({"[" + section_ + "]", newline});
        lines_.push_back({keyLine, newline});
    }
    dirty_ = true;
}

void TStRegIni::Flush() { FlushLocked(); }

void TStRegIni::FlushLocked() {
    if (!dirty_) return;
    std::size_t size = 0;
    for (const Line& line : lines_) size += line.text.size() + line.end.size();
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_) out.append(line.text).append(line.end);
    try {
        WriteFileWhole(filePath_, out);
    } catch (const std::system_error& failure) {
        throw EStRegIniError(filePath_, SystemErrorText(failure.code().value()));
    } catch (const std::bad_alloc&) {
        throw EStRegIniError(filePath_, SystemErrorText(ENOMEM));
    }
    dirty_ = false;
    state_ = FileState::Read;
}

std::string SettingsFilePath(const std::string& programFolder) {
    namespace fs = std::filesystem;
    const fs::path folder(programFolder);
    std::error_code ec;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = PathText(it->path().filename());
        std::error_code typeError;
        if (EqualsIgnoringAsciiCase(name, "lognex.ini") && it->is_regular_file(typeError)) matches.push_back(name);
    }
    // Several spellings side by side: prefer the one this program creates,
    // otherwise take a fixed one so every start uses the same file.
    std::sort(matches.begin(), matches.end());
    std::string name = "LOGNEX.INI";
    if (!matches.empty() && std::find(matches.begin(), matches.end(), name) == matches.end()) name = matches.front();
    return PathText(folder / name);
}

}  // namespace lognex
