#include "logproc/log_lines.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "logproc/rtf_text.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"

namespace lognex {

LogLines LogLines::FromText(std::string text) {
    LogLines lines;
    lines.text_ = std::move(text);
    const std::string& t = lines.text_;
    // Room for every line up front: growing the index by doubling would hold
    // up to twice what a long log needs.
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\n' || (t[i] == '\r' && (i + 1 == t.size() || t[i + 1] != '\n'))) ++breaks;
    }
    lines.starts_.reserve(breaks + 1);
    lines.viewStarts_.reserve(breaks + 1);
    std::size_t start = 0;
    std::size_t viewPos = 0;
    for (std::size_t i = 0;; ++i) {
        if (i == t.size() || t[i] == '\r' || t[i] == '\n') {
            lines.starts_.push_back(start);
            lines.viewStarts_.push_back(viewPos);
            if (i == t.size()) break;
            viewPos += (i - start) + 2;
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    lines.count_ = lines.starts_.size();
    if (lines.Length(lines.count_ - 1) == 0) --lines.count_;  // a last empty line is not counted
    return lines;
}

std::size_t LogLines::Length(std::size_t n) const {
    // Every break counts two in view positions, so a line's length is its
    // view span less two; the last line runs to the end of the text.
    if (n + 1 < viewStarts_.size()) return viewStarts_[n + 1] - viewStarts_[n] - 2;
    return text_.size() - starts_[n];
}

std::string_view LogLines::FullLine(std::size_t n) const {
    if (n >= starts_.size()) return {};
    return std::string_view(text_).substr(starts_[n], Length(n));
}

std::string LogLines::Line(std::size_t n) const {
    if (n >= starts_.size()) return {};
    const std::string_view line = FullLine(n);
    const bool hasBreak = n + 1 < starts_.size();
    if (line.size() + (hasBreak ? 2 : 0) <= kMaxDeliveredLine) return std::string(line);
    if (line.size() >= kMaxDeliveredLine) return std::string(line.substr(0, kMaxDeliveredLine));
    // Only the CR of the break fits: it is delivered and stays.
    return std::string(line) + '\r';
}

std::size_t LogLines::LineStart(std::size_t n) const {
    if (n < viewStarts_.size()) return viewStarts_[n];
    return viewStarts_.back() + Length(viewStarts_.size() - 1);
}

namespace {

// Follows the lines of a log as its bytes arrive and finds where loading may
// stop. Breaks are CR LF, LF or CR, as LogLines::FromText reads them.
class LoadScanner {
public:
    enum class Verdict { More, Stop, TooLarge, LineTooLong };

    explicit LoadScanner(const LogLoadLimits& limits) : limits_(limits) {}

    // Scans text (which only ever grows between calls) on from where the last
    // call left off; complete says no more bytes will come. Stop: keep the
    // first StopAt() bytes.
    Verdict Scan(std::string_view text, bool complete) {
        while (pos_ < text.size()) {
            if (Footprint(pos_, line_) > limits_.memoryBudget) return Verdict::TooLarge;
            const char* const from = text.data() + pos_;
            const std::size_t rest = text.size() - pos_;
            const std::size_t toBreak = FindBreak(from, rest);
            if (toBreak == rest) {
                pos_ = text.size();
                break;
            }
            pos_ += toBreak;
            if (pos_ - lineStart_ > limits_.maxLineLength) return Verdict::LineTooLong;
            const char c = text[pos_];
            // A CR at the end may be the first half of a CR LF still to come.
            if (c == '\r' && pos_ + 1 == text.size() && !complete) return Verdict::More;
            const std::size_t breakLength = (c == '\r' && pos_ + 1 < text.size() && text[pos_ + 1] == '\n') ? 2 : 1;
            const bool nonEmpty = pos_ > lineStart_;
            pos_ += breakLength;
            if (EndsStoppingPair(nonEmpty)) {
                stopAt_ = pos_;
                return Verdict::Stop;
            }
            previousNonEmpty_ = nonEmpty;
            lineStart_ = pos_;
            ++line_;
        }
        if (pos_ - lineStart_ > limits_.maxLineLength) return Verdict::LineTooLong;
        if (Footprint(pos_, line_ + 1) > limits_.memoryBudget) return Verdict::TooLarge;
        return Verdict::More;
    }

    std::size_t StopAt() const { return stopAt_; }
    std::size_t Line() const { return line_; }  // 0-based line the scan is in

private:
    static std::size_t FindBreak(const char* from, std::size_t size) {
        const void* lf = std::memchr(from, '\n', size);
        const std::size_t toLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : size;
        const void* cr = std::memchr(from, '\r', toLf);
        return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : toLf;
    }

    static std::uint64_t Footprint(std::size_t bytes, std::size_t lines) {
        return std::uint64_t{bytes} + std::uint64_t{lines} * LogLines::kIndexBytesPerLine;
    }

    // Line line_ (0-based) has just ended: is it the text line of a pair of
    // non-empty lines whose header (line_ - 1, 1-based line_) is past the range?
    bool EndsStoppingPair(bool nonEmpty) const {
        return line_ % 2 == 1 && line_ > limits_.lastHeaderLine && previousNonEmpty_ && nonEmpty;
    }

    const LogLoadLimits& limits_;
    std::size_t pos_ = 0, lineStart_ = 0, line_ = 0, stopAt_ = 0;
    bool previousNonEmpty_ = false;
};

[[noreturn]] void ThrowCannotOpen(const std::string& path, const std::string& reason) {
    throw Error("Cannot open file \"" + PathToAnsi(path) + "\". " + reason);
}

std::string Megabytes(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// Stops the load with the message for what the scan ran into.
void RequireWithinLimits(LoadScanner::Verdict verdict, const LoadScanner& scanner, const std::string& path,
                         const LogLoadLimits& limits) {
    if (verdict == LoadScanner::Verdict::TooLarge) throw Error(LogTooLargeMessage(path, limits));
    if (verdict == LoadScanner::Verdict::LineTooLong) throw Error(LongLineMessage(path, scanner.Line() + 1, limits));
}

}  // namespace

std::string LogTooLargeMessage(const std::string& path, const LogLoadLimits& limits) {
    return "The log \"" + PathToAnsi(path) + "\" is too large: a processing run holds at most " +
           Megabytes(limits.memoryBudget) + " of a log and its line index in memory";
}

std::string LongLineMessage(const std::string& path, std::size_t line, const LogLoadLimits& limits) {
    return "The log \"" + PathToAnsi(path) + "\" is no prober's log: line " + std::to_string(line) +
           " is longer than " + Megabytes(limits.maxLineLength);
}

void RequireRegularLogFile(const std::string& path) {
    const std::string reason = RegularFileProblem(path);
    if (!reason.empty()) ThrowCannotOpen(path, reason);
}

LogLines LoadLogLines(const std::string& path, const LogLoadLimits& limits) { return LoadLogLines(path, path, limits); }

LogLines LoadLogLines(const std::string& path, const std::string& shownPath, const LogLoadLimits& limits) {
    RegularFileReader file(path);
    if (!file.Problem().empty()) ThrowCannotOpen(shownPath, file.Problem());

    // The bytes a load may hold: one past them tells a log of exactly the
    // budget from a longer one.
    const std::uint64_t byteBound = std::min<std::uint64_t>(limits.memoryBudget, SIZE_MAX - 1);
    // A file past the budget cannot fit, whatever its lines: it is refused
    // before anything is read or set aside for it.
    if (file.Size() > byteBound || file.Size() + LogLines::kIndexBytesPerLine > limits.memoryBudget)
        throw Error(LogTooLargeMessage(shownPath, limits));
    std::string content;
    // Room for the whole file up front, so growing the buffer does not
    // double the memory a large log takes. A file that grows while it is
    // read is still held to the budget below.
    if (file.Size() > 0) content.reserve(static_cast<std::size_t>(file.Size()) + 1);
    LoadScanner scanner(limits);
    constexpr std::size_t kChunk = 1 << 20;
    for (;;) {
        const std::size_t offset = content.size();
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, byteBound + 1 - offset));
        content.resize(offset + want);
        std::size_t n = 0;
        try {
            n = file.Read(content.data() + offset, want);
        } catch (const std::system_error& failure) {
            // The box's words, then which file and why.
            throw Error("Failed to Load Stream\n" + PathToAnsi(shownPath) + ": " +
                        SystemErrorText(failure.code().value()));
        }
        content.resize(offset + n);
        const bool complete = n == 0;
        const bool rich = content.size() >= 5 && content.compare(0, 5, "{\\rtf") == 0;
        if (!rich) {
            const LoadScanner::Verdict verdict = scanner.Scan(content, complete);
            if (verdict == LoadScanner::Verdict::Stop) {
                content.resize(scanner.StopAt());
                break;
            }
            RequireWithinLimits(verdict, scanner, shownPath, limits);
        }
        if (complete) break;
        if (content.size() > byteBound) throw Error(LogTooLargeMessage(shownPath, limits));
    }

    if (content.rfind("{\\rtf", 0) == 0) {
        std::string plain = RtfToPlainText(content);
        content = std::string();  // the rich text is not needed beside its plain form
        LoadScanner plainScanner(limits);
        const LoadScanner::Verdict verdict = plainScanner.Scan(plain, true);
        if (verdict == LoadScanner::Verdict::Stop) {
            plain.resize(plainScanner.StopAt());
        } else {
            RequireWithinLimits(verdict, plainScanner, shownPath, limits);
        }
        return LogLines::FromText(std::move(plain));
    }
    return LogLines::FromText(std::move(content));
}

}  // namespace lognex
