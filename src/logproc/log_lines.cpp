#include "logproc/log_lines.h"

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <memory>

#include "support/ansi_text.h"
#include "support/error.h"
#include "support/file_io.h"

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

LogLines LoadLogLines(const std::string& path) {
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw Error("Cannot open file \"" + PathToAnsi(path) + "\". " + SystemErrorText(errno));

    std::string content;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        content.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(file.get())) throw Error("Failed to Load Stream");

    if (content.rfind("{\\rtf", 0) == 0) return LogLines::FromText(RtfToPlainText(content));
    return LogLines::FromText(std::move(content));
}

}  // namespace lognex
