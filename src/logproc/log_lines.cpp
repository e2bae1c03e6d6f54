#include "logproc/log_lines.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
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
    std::size_t start = 0;
    std::size_t viewPos = 0;
    for (std::size_t i = 0;; ++i) {
        if (i == t.size() || t[i] == '\r' || t[i] == '\n') {
            lines.starts_.push_back(start);
            lines.lengths_.push_back(i - start);
            lines.viewStarts_.push_back(viewPos);
            if (i == t.size()) break;
            viewPos += (i - start) + 2;
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    lines.count_ = lines.starts_.size();
    if (lines.lengths_.back() == 0) --lines.count_;  // a last empty line is not counted
    return lines;
}

std::string_view LogLines::FullLine(std::size_t n) const {
    if (n >= starts_.size()) return {};
    return std::string_view(text_).substr(starts_[n], lengths_[n]);
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
    return viewStarts_.back() + lengths_.back();
}

namespace {

// Follows the lines of a log as its bytes arrive and finds where loading may
// stop. Breaks are CR LF, LF or CR, as LogLines::FromText reads them.
class LoadScanner {
public:
    enum class Verdict { More, Stop, TooLarge };

    explicit LoadScanner(const LogLoadLimits& limits) : limits_(limits) {}

    // Scans text (which only ever grows between calls) on from where the last
    // call left off; complete says no more bytes will come. Stop: keep the
    // first StopAt() bytes.
    Verdict Scan(std::string_view text, bool complete) {
        while (pos_ < text.size()) {
            if (line_ >= limits_.maxLines) return Verdict::TooLarge;
            const char c = text[pos_];
            if (c != '\r' && c != '\n') {
                ++pos_;
                continue;
            }
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
        return Verdict::More;
    }

    std::size_t StopAt() const { return stopAt_; }

private:
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

}  // namespace

std::string LogTooLargeMessage(const std::string& path, const LogLoadLimits& limits) {
    return "The log \"" + PathToAnsi(path) + "\" is too large: a processing run reads at most " +
           std::to_string(limits.maxBytes >> 20) + " MB and " + std::to_string(limits.maxLines) + " lines";
}

void RequireRegularLogFile(const std::string& path) {
    const std::string reason = RegularFileProblem(path);
    if (!reason.empty()) ThrowCannotOpen(path, reason);
}

LogLines LoadLogLines(const std::string& path, const LogLoadLimits& limits) { return LoadLogLines(path, path, limits); }

LogLines LoadLogLines(const std::string& path, const std::string& shownPath, const LogLoadLimits& limits) {
    RegularFileReader file(path);
    if (!file.Problem().empty()) ThrowCannotOpen(shownPath, file.Problem());

    std::string content;
    // Room for the whole file up front (within the limit), so growing the
    // buffer does not double the memory a large log takes.
    if (file.Size() > 0)
        content.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), limits.maxBytes)) + 1);
    LoadScanner scanner(limits);
    constexpr std::size_t kChunk = 1 << 16;
    for (;;) {
        const std::size_t offset = content.size();
        // One byte past the limit tells a file of exactly maxBytes from a longer one.
        const std::size_t want = std::min(kChunk, limits.maxBytes + 1 - offset);
        content.resize(offset + want);
        std::size_t n = 0;
        try {
            n = file.Read(content.data() + offset, want);
        } catch (const std::system_error& failure) {
            // The box's words, then which file and why.
            throw Error("Failed to Load Stream\n" + PathToAnsi(path) + ": " + SystemErrorText(failure.code().value()));
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
            if (verdict == LoadScanner::Verdict::TooLarge) throw Error(LogTooLargeMessage(shownPath, limits));
        }
        if (complete) break;
        if (content.size() > limits.maxBytes) throw Error(LogTooLargeMessage(shownPath, limits));
    }

    if (content.rfind("{\\rtf", 0) == 0) {
        std::string plain = RtfToPlainText(content);
        LoadScanner plainScanner(limits);
        const LoadScanner::Verdict verdict = plainScanner.Scan(plain, true);
        if (verdict == LoadScanner::Verdict::TooLarge) throw Error(LogTooLargeMessage(shownPath, limits));
        if (verdict == LoadScanner::Verdict::Stop) plain.resize(plainScanner.StopAt());
        return LogLines::FromText(std::move(plain));
    }
    return LogLines::FromText(std::move(content));
}

}  // namespace lognex
