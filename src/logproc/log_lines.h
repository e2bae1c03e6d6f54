// The log as the log view holds it.
//
// One view line per line of the file, numbered from 0. A line break in the
// file is CR LF, a lone LF or a lone CR; in the view every break is CR LF, so
// it counts as two characters in view positions. The view never wraps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logproc/line_offsets.h"
#include "logproc/rtf_text.h"
#include "tables/field_values.h"

namespace lognex {

// The most characters one read of a view line delivers, its line break included.
constexpr std::size_t kMaxDeliveredLine = 4096;

struct LogLoadLimits;

class LogLines {
public:
    LogLines() = default;

    // Splits plain text into view lines.
    static LogLines FromText(std::string text);

    // The number of lines, not counting a last line that is empty: a text
    // that ends with a line break has as many lines as breaks; "" has 0.
    std::size_t Count() const { return count_; }

    // Line n as a read from the view delivers it: at most 4096 characters,
    // the line break counting towards that limit and removed only when both
    // of its characters were delivered (so a line of exactly 4095 characters
    // comes with a trailing CR). Empty past the last line; never throws.
    std::string Line(std::size_t n) const;

    // The same, without a copy where the text holds the line as it is
    // delivered (one that fits whole with its break); spare holds any other.
    std::string_view Line(std::size_t n, std::string& spare) const;

    // Line n whole, without its break; empty past the last line.
    std::string_view FullLine(std::size_t n) const;

    // View position at which line n starts (a break counts two characters);
    // past the last line, the position of the end of the text.
    std::size_t LineStart(std::size_t n) const;

    // Number of stored lines including a last empty one (what a view shows).
    std::size_t ViewLineCount() const { return starts_.Size(); }

    // What the index takes per line beside the text itself, at most: a 32-bit
    // offset and a share of a block of break kinds.
    static constexpr std::size_t kIndexBytesPerLine = 5;

private:
    friend LogLines LoadLogLines(const std::string& path, const std::string& shownPath, const LogLoadLimits& limits);

    // The lines of text, whose number a load already knows (room for them is
    // set aside at once; a wrong guess costs only time).
    static LogLines Indexed(std::string text, std::size_t expectedLines);
    // Each for n < ViewLineCount(): line n's byte offset; the number of lines
    // before it ended by a lone LF or CR; its length without its break.
    std::size_t Start(std::size_t n) const;
    std::size_t OneCharacterBreaksBefore(std::size_t n) const;
    std::size_t Length(std::size_t n) const;

    std::string text_;
    LineOffsets starts_;  // byte offset of each line in text_
    // Which lines end in a break of one character, 64 lines to a block, and
    // how many lines before the block do: a view position is the byte offset
    // plus that count, since every break counts two in the view.
    struct BreakBlock {
        std::uint64_t oneCharacter = 0;
        std::uint64_t before = 0;
    };
    std::vector<BreakBlock> blocks_;
    std::size_t count_ = 0;
};

// How much of a log a load takes in.
struct LogLoadLimits {
    // The largest 1-based header line number a run can store (LogLine's
    // range). Loading stops once the first pair of non-empty lines whose
    // header lies past it has been read: the run is then certain to stop at
    // that pair, so nothing after it can matter. Pairs with an empty line past
    // it are skipped by a run and do not stop loading.
    std::size_t lastHeaderLine = static_cast<std::size_t>(kIntegerFieldMax);
    // The memory the loaded log may take: its bytes plus the line index
    // (LogLines::kIndexBytesPerLine a line). A log going on past it fails to
    // load with LogTooLargeMessage; this keeps memory and time bounded for
    // endless sources and for files of nothing but breaks. A prober writes
    // about 100 bytes an entry, so 10 M entries take about 1.3 GB.
    std::uint64_t memoryBudget = sizeof(void*) >= 8 ? std::uint64_t{4} << 30 : std::uint64_t{1} << 30;
    // No line of a prober's log comes near this; a file with a longer one
    // is no log, and fails with LongLineMessage once that much is read.
    std::size_t maxLineLength = std::size_t{16} << 20;
    // The limits are the window's: the message says so.
    bool forWindow = false;
};

// The window's limits until its log view reads a log without building a text
// document from it: about today's 16 MB log and its index, no more.
LogLoadLimits WindowLoadLimits();

// "The log "%s" is too large: a processing run holds at most %d MB of a log
// and its line index in memory", or for the window's limits "The log "%s" is
// too large for the window, which holds at most %d MB of a log and its line
// index; lognex-report reads larger logs".
std::string LogTooLargeMessage(const std::string& path, const LogLoadLimits& limits);

// "The log "%s" is no prober's log: line %d is longer than %d MB".
std::string LongLineMessage(const std::string& path, std::size_t line, const LogLoadLimits& limits);

// Throws Error "Cannot open file "%s". %s" when path does not name a regular
// file (a folder, a FIFO, a device, a socket) after its links are followed,
// without opening it; a FIFO would wait for a writer, a device never end.
void RequireRegularLogFile(const std::string& path);

// Reads a log file into view lines. A file that begins with "{\rtf" is taken
// as rich text and turned into plain lines. Throws Error "Cannot open file
// "%s". %s" (with the system's reason) when it cannot be opened or is not a
// regular file, "Failed to Load Stream" when it opened but could not be read
// (a second line names the file and the system's reason: "%s: %s"),
// LogTooLargeMessage or LongLineMessage past the limits. The file is read
// once, in chunks. Plain text stops at the first pair past
// limits.lastHeaderLine as said there; rich text is converted whole (within
// the budget) and then cut the same way.
LogLines LoadLogLines(const std::string& path, const LogLoadLimits& limits = {});

// The same, naming shownPath in its messages instead of path: the copy of a
// log is read, but the user knows the log by the name it was chosen under.
LogLines LoadLogLines(const std::string& path, const std::string& shownPath, const LogLoadLimits& limits = {});

}  // namespace lognex
