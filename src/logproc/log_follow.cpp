#include "logproc/log_follow.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "logproc/pair_pass.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"

namespace lognex {
namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

bool IsRichText(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

// Reads until size bytes are in or the file ends; the count read.
std::size_t ReadUpTo(RegularFileReader& file, char* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = file.Read(data + got, size - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

// The lines of one read, each ended by "\n" and preceded by the header
// still waiting for its text, walked in pairs once the read is done.
class LineBatch {
public:
    LineBatch(FollowState& state, Analysis& analysis, const std::string& path, const LocaleFormat& locale,
              const LogLoadLimits& limits, std::uint32_t lastHeaderLine)
        : state_(state),
          analysis_(analysis),
          path_(path),
          locale_(locale),
          limits_(limits),
          lastHeaderLine_(lastHeaderLine) {
        Begin();
    }

    // Splits bytes that follow those taken so far into lines.
    void Take(std::string_view bytes) {
        std::size_t at = 0;
        if (state_.afterCr && !bytes.empty()) {
            state_.afterCr = false;
            if (bytes[0] == '\n') at = 1;  // the second half of a CR LF
        }
        while (at < bytes.size()) {
            const std::size_t end = FindBreak(bytes, at);
            if (end == bytes.size()) {
                state_.partial.append(bytes.substr(at));
                RequireShortLine(state_.partial.size());
                break;
            }
            RequireShortLine(state_.partial.size() + (end - at));
            EndLine(bytes.substr(at, end - at));
            at = end + 1;
            if (bytes[end] == '\r') {
                if (at == bytes.size())
                    state_.afterCr = true;
                else if (bytes[at] == '\n')
                    ++at;
            }
        }
    }

    // Walks the pairs of the lines ended so far; the header of an unfinished
    // pair waits for the next read.
    void Count() {
        if (lines_ == 0) return;
        const LogLines lines = LogLines::FromText(std::move(text_));
        Walk(lines);
        if (state_.lines % 2 == 1 && !state_.ended)
            state_.waiting = std::string(lines.FullLine(lines.Count() - 1));
        else
            state_.waiting.clear();
        Begin();
    }

    // Takes the unended last line as it stands, as a run over the log now
    // would: when it is the text of a pair, that entry is counted.
    void Settle() {
        if (state_.lines % 2 == 0 || state_.partial.empty() || state_.settledText || state_.ended) return;
        const std::size_t before = analysis_.Entries().size();
        text_.append(state_.partial);  // no break after it: the log ends here
        Walk(LogLines::FromText(std::move(text_)));
        if (analysis_.Entries().size() > before) {
            state_.settledText = true;
            state_.settledEntry = before;
        }
        Begin();
    }

private:
    static std::size_t FindBreak(std::string_view bytes, std::size_t from) {
        const char* const start = bytes.data() + from;
        const std::size_t size = bytes.size() - from;
        const void* lf = std::memchr(start, '\n', size);
        const std::size_t toLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : size;
        const void* cr = std::memchr(start, '\r', toLf);
        return from + (cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - start) : toLf);
    }

    void Begin() {
        text_.clear();
        lines_ = 0;
        origin_ = state_.lines - state_.lines % 2;
        if (state_.lines % 2 == 1) text_.append(state_.waiting).push_back('\n');
    }

    void RequireShortLine(std::size_t length) const {
        if (length > limits_.maxLineLength) throw Error(LongLineMessage(path_, state_.lines + 1, limits_));
    }

    void EndLine(std::string_view rest) {
        ++state_.lines;
        if (state_.settledText) {
            // The line counted when the log settled has its break now: its
            // pair is done, and the next pair begins after it.
            state_.settledText = false;
            state_.partial.clear();
            Begin();
            return;
        }
        text_.append(state_.partial).append(rest).push_back('\n');
        state_.partial.clear();
        ++lines_;
    }

    void Walk(const LogLines& lines) {
        try {
            const PassEnd end = CountPairs(analysis_, lines, 0, locale_, {}, lastHeaderLine_, origin_);
            if (end.stopped) state_.ended = true;
        } catch (...) {
            state_.ended = true;
            throw;
        }
    }

    FollowState& state_;
    Analysis& analysis_;
    const std::string& path_;
    const LocaleFormat& locale_;
    const LogLoadLimits& limits_;
    const std::uint32_t lastHeaderLine_;
    std::string text_;
    std::size_t lines_ = 0;   // lines ended in text_ since Begin, the waiting header not counted
    std::size_t origin_ = 0;  // the view line text_'s first line is
};

FollowResult StartOver(bool replaced, std::size_t kept) {
    FollowResult result;
    result.change = FollowResult::Change::StartOver;
    result.replaced = replaced;
    result.keptEntries = kept;
    return result;
}

Error ReadFailure(const std::string& path, const std::system_error& failure) {
    return Error("Failed to Load Stream\n" + PathToAnsi(path) + ": " + SystemErrorText(failure.code().value()));
}

}  // namespace

std::optional<SourceStamp> StampOfSource(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file(path);
    if (!fs::is_regular_file(file, ec) || ec) return std::nullopt;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) return std::nullopt;
    const fs::file_time_type modified = fs::last_write_time(file, ec);
    if (ec) return std::nullopt;
    return SourceStamp{size, static_cast<std::int64_t>(modified.time_since_epoch().count())};
}

FollowResult FollowLog(FollowState& state, Analysis& analysis, const std::string& path, const LocaleFormat& locale,
                       FollowRead read, const LogLoadLimits& limits, std::uint32_t lastHeaderLine) {
    FollowResult result;
    if (state.ended) return result;
    const SourceStamp stamp = StampOfSource(path).value_or(SourceStamp{});
    RegularFileReader file(path);
    if (!file.Problem().empty()) throw Error("Cannot open file \"" + PathToAnsi(path) + "\". " + file.Problem());
    const std::uint64_t size = file.Size();
    const std::size_t firstNew = analysis.Entries().size();

    try {
        // The same log still? Its first bytes tell; so does a rich-text
        // log, which is read whole, changing at all.
        std::string head(std::min<std::uint64_t>(std::max<std::size_t>(state.head.size(), 5), size), '\0');
        head.resize(ReadUpTo(file, head.data(), head.size()));
        if (state.consumed > 0) {
            if (size < state.consumed || head.compare(0, state.head.size(), state.head) != 0) return StartOver(true, 0);
            if (state.rich) return size != state.consumed || stamp != state.stamp ? StartOver(true, 0) : result;
            if (IsRichText(head)) return StartOver(true, 0);  // the first read had too few bytes to tell
        } else if (IsRichText(head)) {
            const LogLines lines = LoadLogLines(path, limits);
            state.rich = true;
            state.consumed = size;
            state.head = head.substr(0, kFollowHeadBytes);
            state.stamp = stamp;
            try {
                if (CountPairs(analysis, lines, 0, locale, {}, lastHeaderLine).stopped) state.ended = true;
            } catch (...) {
                state.ended = true;
                throw;
            }
            result.change = FollowResult::Change::Appended;
            result.firstNew = firstNew;
            return result;
        }

        file.Seek(state.consumed);
        LineBatch batch(state, analysis, path, locale, limits, lastHeaderLine);
        // What the size says is new, and a little more for bytes written meanwhile.
        std::string chunk(static_cast<std::size_t>(std::min<std::uint64_t>(
                              kChunk, size > state.consumed ? size - state.consumed + 4096 : 4096)),
                          '\0');
        bool grew = false;
        for (;;) {
            const std::size_t n = file.Read(chunk.data(), chunk.size());
            if (n == 0) break;
            const std::string_view bytes(chunk.data(), n);
            if (state.settledText && !grew && bytes[0] != '\r' && bytes[0] != '\n')
                return StartOver(false, state.settledEntry);  // the line taken as it stood went on
            grew = true;
            if (state.head.size() < kFollowHeadBytes && state.consumed < kFollowHeadBytes)
                state.head.append(bytes.substr(0, kFollowHeadBytes - state.head.size()));
            batch.Take(bytes);
            state.consumed += n;
            batch.Count();
            if (state.ended) break;
        }
        if (!grew && read == FollowRead::Settled) batch.Settle();
    } catch (const std::system_error& failure) {
        throw ReadFailure(path, failure);
    }
    state.stamp = stamp;
    if (analysis.Entries().size() > firstNew) {
        result.change = FollowResult::Change::Appended;
        result.firstNew = firstNew;
    }
    return result;
}

}  // namespace lognex
