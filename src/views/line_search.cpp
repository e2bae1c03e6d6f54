#include "views/line_search.h"

#include <algorithm>
#include <utility>

namespace lognex {

void FindInLines(const TextPattern& pattern, const LogLines& lines, std::size_t from, std::size_t to,
                 std::vector<TextMatch>& out) {
    if (pattern.Empty()) return;
    to = std::min(to, lines.ViewLineCount());
    for (std::size_t line = from; line < to; ++line) pattern.FindIn(lines.FullLine(line), line, out);
}

void AddEntryLines(std::span<const TextMatch> matches, std::size_t lineCount, std::vector<std::uint32_t>& shown) {
    for (const TextMatch& match : matches) {
        const std::size_t header = match.line - match.line % 2;
        for (std::size_t line : {header, header + 1}) {
            if (line >= lineCount || (!shown.empty() && shown.back() >= line)) continue;
            shown.push_back(static_cast<std::uint32_t>(line));
        }
    }
}

BackgroundSearch::BackgroundSearch(TextPattern pattern, std::shared_ptr<const LogLines> lines)
    : pattern_(std::move(pattern)), lines_(std::move(lines)) {
    worker_ = std::thread([this] { Run(); });
}

BackgroundSearch::~BackgroundSearch() {
    cancelled_ = true;
    worker_.join();
}

void BackgroundSearch::Run() {
    const std::size_t count = lines_->ViewLineCount();
    std::vector<TextMatch> stretch;
    for (std::size_t from = 0; from < count && !cancelled_; from += kStretch) {
        stretch.clear();
        FindInLines(pattern_, *lines_, from, from + kStretch, stretch);
        if (stretch.empty()) continue;
        const std::lock_guard lock(mutex_);
        found_.insert(found_.end(), stretch.begin(), stretch.end());
    }
    const std::lock_guard lock(mutex_);
    finished_ = true;
}

bool BackgroundSearch::Take(std::vector<TextMatch>& out) {
    const std::lock_guard lock(mutex_);
    if (out.empty()) {
        out.swap(found_);
    } else {
        out.insert(out.end(), found_.begin(), found_.end());
        found_.clear();
    }
    return finished_;
}

}  // namespace lognex
