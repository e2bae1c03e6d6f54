// Finding text in a log's lines without a copy of them: the find bar's
// search and entry filter over the log view, run in stretches so that a long
// log can be searched off the window's thread and its matches shown as they
// come.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "logproc/log_lines.h"
#include "views/text_search.h"

namespace lognex {

// Appends the matches in view lines [from, to) of lines (each line whole,
// without its break) to out, ordered by line, then position.
void FindInLines(const TextPattern& pattern, const LogLines& lines, std::size_t from, std::size_t to,
                 std::vector<TextMatch>& out);

// Adds to shown (ascending view lines) both lines of each entry holding one
// of matches, which come in line order after those already taken in: pairs
// are positional (0 and 1, 2 and 3, ...), as the run reads them. lineCount
// bounds the lines (a last header has no text line after it).
void AddEntryLines(std::span<const TextMatch> matches, std::size_t lineCount, std::vector<std::uint32_t>& shown);

// A search of every line of a log on a thread of its own. Matches arrive in
// line order and are collected with Take; the search stops at once when the
// object goes (the next keystroke's search replaces it).
class BackgroundSearch {
public:
    // The lines searched in one go between two looks at the cancel flag.
    static constexpr std::size_t kStretch = 2048;

    BackgroundSearch(TextPattern pattern, std::shared_ptr<const LogLines> lines);
    ~BackgroundSearch();
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;

    // Moves the matches found since the last call to the end of out. True
    // once every line has been searched and every match taken.
    bool Take(std::vector<TextMatch>& out);

private:
    void Run();

    const TextPattern pattern_;
    const std::shared_ptr<const LogLines> lines_;
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::vector<TextMatch> found_;  // under mutex_
    bool finished_ = false;         // under mutex_
    std::thread worker_;
};

}  // namespace lognex
