#include "logproc/log_lines.h"

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <memory>

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

std::string RtfToPlainText(std::string_view rtf) {
    // Groups whose content is not text.
    static constexpr std::string_view kHidden[] = {"fonttbl", "colortbl", "stylesheet", "info",     "pict",
                                                   "header",  "footer",   "object",     "listtable", "generator"};
    std::string out;
    std::vector<bool> hiddenStack{false};
    bool hidden = false;
    for (std::size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            hiddenStack.push_back(hidden);
            ++i;
            continue;
        }
        if (c == '}') {
            if (hiddenStack.size() > 1) {
                hidden = hiddenStack.back();
                hiddenStack.pop_back();
            }
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (!hidden) out += c;
            ++i;
            continue;
        }
        // A control symbol or word.
        ++i;
        if (i >= rtf.size()) break;
        const char s = rtf[i];
        if (s == '\\' || s == '{' || s == '}') {
            if (!hidden) out += s;
            ++i;
            continue;
        }
        if (s == '\'') {
            auto hex = [](char h) {
                if (h >= '0' && h <= '9') return h - '0';
                if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                return -1;
            };
            if (i + 2 < rtf.size() && hex(rtf[i + 1]) >= 0 && hex(rtf[i + 2]) >= 0) {
                if (!hidden) out += static_cast<char>(hex(rtf[i + 1]) * 16 + hex(rtf[i + 2]));
                i += 3;
            } else {
                ++i;
            }
            continue;
        }
        if (s == '*') {  // an optional destination this reader does not know
            hidden = true;
            ++i;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(s))) {
            if (s == '~' && !hidden) out += ' ';
            ++i;
            continue;
        }
        const std::size_t wordStart = i;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
        const std::string_view word = rtf.substr(wordStart, i - wordStart);
        if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
            ++i;
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
        }
        if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiting blank belongs to the word
        for (std::string_view h : kHidden)
            if (word == h) hidden = true;
        if (hidden) continue;
        if (word == "par" || word == "line") out += "\r\n";
        else if (word == "tab") out += '\t';
    }
    // The control's own final paragraph mark is not part of the text.
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return out;
}

LogLines LoadLogLines(const std::string& path) {
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw Error("Cannot open file \"" + path + "\". " + SystemErrorText(errno));

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
