#include "logproc/log_lines.h"

#include <algorithm>
#include <bit>
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

namespace {

// The distance from `from` to the next LF or CR, or size when there is none.
std::size_t FindBreak(const char* from, std::size_t size) {
    const void* lf = std::memchr(from, '\n', size);
    const std::size_t toLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : size;
    const void* cr = std::memchr(from, '\r', toLf);
    return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : toLf;
}

// The length of the break at text[at], a CR or LF: CR LF is one break of two.
std::size_t BreakLengthAt(std::string_view text, std::size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

}  // namespace

LogLines LogLines::FromText(std::string text) {
    std::size_t breaks = 0;
    for (std::size_t i = 0;; ++breaks) {
        const std::size_t at = i + FindBreak(text.data() + i, text.size() - i);
        if (at == text.size()) break;
        i = at + BreakLengthAt(text, at);
    }
    return Indexed(std::move(text), breaks + 1);
}

LogLines LogLines::Indexed(std::string text, std::size_t expectedLines) {
    LogLines lines;
    lines.text_ = std::move(text);
    const std::string_view t = lines.text_;
    // Room for every line up front: growing the index by doubling would hold
    // up to twice what a long log needs.
    lines.starts_.Reserve(expectedLines);
    lines.blocks_.reserve(expectedLines / 64 + 1);
    std::uint64_t oneCharacterBreaks = 0;
    const auto addLine = [&](std::size_t start) {
        const std::size_t n = lines.starts_.Size();
        lines.starts_.Add(start);
        if (n % 64 == 0) lines.blocks_.push_back({0, oneCharacterBreaks});
    };
    addLine(0);
    for (std::size_t i = 0;;) {
        const std::size_t at = i + FindBreak(t.data() + i, t.size() - i);
        if (at == t.size()) break;
        const std::size_t breakLength = BreakLengthAt(t, at);
        if (breakLength == 1) {
            lines.blocks_.back().oneCharacter |= std::uint64_t{1} << ((lines.starts_.Size() - 1) % 64);
            ++oneCharacterBreaks;
        }
        i = at + breakLength;
        addLine(i);
    }
    lines.count_ = lines.starts_.Size();
    if (lines.Length(lines.count_ - 1) == 0) --lines.count_;  // a last empty line is not counted
    return lines;
}

std::size_t LogLines::Start(std::size_t n) const { return static_cast<std::size_t>(starts_[n]); }

std::size_t LogLines::OneCharacterBreaksBefore(std::size_t n) const {
    const BreakBlock& block = blocks_[n / 64];
    const std::uint64_t earlier = (std::uint64_t{1} << (n % 64)) - 1;
    return static_cast<std::size_t>(block.before) +
           static_cast<std::size_t>(std::popcount(block.oneCharacter & earlier));
}

std::size_t LogLines::Length(std::size_t n) const {
    if (n + 1 == starts_.Size()) return text_.size() - Start(n);  // the last line runs to the end of the text
    const std::size_t breakLength = (blocks_[n / 64].oneCharacter >> (n % 64) & 1) != 0 ? 1 : 2;
    return Start(n + 1) - Start(n) - breakLength;
}

std::string_view LogLines::FullLine(std::size_t n) const {
    if (n >= starts_.Size()) return {};
    return std::string_view(text_).substr(Start(n), Length(n));
}

std::string_view LogLines::Line(std::size_t n, std::string& spare) const {
    const std::string_view line = FullLine(n);
    if (line.size() + 2 <= kMaxDeliveredLine) return line;
    spare = Line(n);
    return spare;
}

std::string LogLines::Line(std::size_t n) const {
    if (n >= starts_.Size()) return {};
    const std::string_view line = FullLine(n);
    const bool hasBreak = n + 1 < starts_.Size();
    if (line.size() + (hasBreak ? 2 : 0) <= kMaxDeliveredLine) return std::string(line);
    if (line.size() >= kMaxDeliveredLine) return std::string(line.substr(0, kMaxDeliveredLine));
    // Only the CR of the break fits: it is delivered and stays.
    return std::string(line) + '\r';
}

std::size_t LogLines::LineStart(std::size_t n) const {
    if (starts_.Empty()) return 0;
    if (n < starts_.Size()) return Start(n) + OneCharacterBreaksBefore(n);
    const std::size_t last = starts_.Size() - 1;
    return LineStart(last) + Length(last);
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
            const std::size_t breakLength = BreakLengthAt(text, pos_);
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

LogLoadLimits WindowLoadLimits() {
    LogLoadLimits limits;
    limits.memoryBudget = std::uint64_t{24} << 20;
    limits.forWindow = true;
    return limits;
}

std::string LogTooLargeMessage(const std::string& path, const LogLoadLimits& limits) {
    const std::string log = "The log \"" + PathToAnsi(path) + "\" is too large";
    if (limits.forWindow) {
        return log + " for the window, which holds at most " + Megabytes(limits.memoryBudget) +
               " of a log and its line index; lognex-report reads larger logs";
    }
    return log + ": a processing run holds at most " + Megabytes(limits.memoryBudget) +
           " of a log and its line index in memory";
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
    // The whole file in one buffer of its size, read into place: growing a
    // buffer as the bytes come would hold up to twice the log for a moment.
    // A file that grows while it is read is followed, within the budget.
    std::string content(static_cast<std::size_t>(file.Size()), '\0');
    std::size_t filled = 0;
    const auto read = [&](char* into, std::size_t want) {
        try {
            return file.Read(into, want);
        } catch (const std::system_error& failure) {
            // The box's words, then which file and why.
            throw Error("Failed to Load Stream\n" + PathToAnsi(shownPath) + ": " +
                        SystemErrorText(failure.code().value()));
        }
    };
    LoadScanner scanner(limits);
    constexpr std::size_t kChunk = 1 << 20;
    bool stopped = false;
    for (;;) {
        std::size_t n = 0;
        if (filled < content.size()) {
            n = read(content.data() + filled, std::min(kChunk, content.size() - filled));
        } else {
            // Past the size the file had when opened: its end, or more bytes.
            char more[1 << 16];
            n = read(more, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof more, byteBound + 1 - filled)));
            content.append(more, n);
        }
        filled += n;
        const bool complete = n == 0;
        const std::string_view have(content.data(), filled);
        const bool rich = have.starts_with("{\\rtf");
        if (!rich) {
            const LoadScanner::Verdict verdict = scanner.Scan(have, complete);
            if (verdict == LoadScanner::Verdict::Stop) {
                filled = scanner.StopAt();
                stopped = true;
                break;
            }
            RequireWithinLimits(verdict, scanner, shownPath, limits);
        }
        if (complete) break;
        if (filled > byteBound) throw Error(LogTooLargeMessage(shownPath, limits));
    }
    content.resize(filled);

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
        return LogLines::Indexed(std::move(plain), plainScanner.Line() + 2);
    }
    // The scan counted the breaks: a stop comes right after one.
    return LogLines::Indexed(std::move(content), scanner.Line() + (stopped ? 2 : 1));
}

}  // namespace lognex
