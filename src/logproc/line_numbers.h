// Line numbers of the log, told apart by type: the log's own numbers count
// from 1 (stored with each occurrence and shown in the tree); the log view's
// lines count from 0. Crossing from one to the other goes through the two
// conversions below and nowhere else.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace lognex {

// A line of the log view, from 0.
struct ViewLine {
    std::size_t index = 0;
    bool operator==(const ViewLine&) const = default;
};

// A line of the log file as the program numbers it for the user, from 1.
struct LogLineNumber {
    std::size_t number = 1;
    bool operator==(const LogLineNumber&) const = default;
};

// The 1-based number of an entry's header line, as an analysis keeps it for
// every entry: 32 bits, so a log of any length a run reads fits.
struct HeaderLine {
    std::uint32_t number = 1;
    auto operator<=>(const HeaderLine&) const = default;
};

constexpr LogLineNumber LogLineNumberOf(HeaderLine line) { return {line.number}; }

// The view line that shows log line n.
constexpr ViewLine ViewLineOf(LogLineNumber n) {
    assert(n.number >= 1);
    return {n.number - 1};
}

// The log's number for view line v.
constexpr LogLineNumber LogLineNumberOf(ViewLine v) { return {v.index + 1}; }

}  // namespace lognex
