// The pass over a log's lines two by two that fills an analysis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "logproc/analysis.h"
#include "logproc/log_lines.h"
#include "support/locale_format.h"

namespace lognex {

// Told how far a pass has come: done of total steps, where a pass over a log
// of n lines takes n + 1 steps (one per line, and one for the empty text
// past the end). Called now and then, not for every step, and always with
// done = total when the pass ends normally.
using PassProgress = std::function<void(std::size_t done, std::size_t total)>;

struct PassEnd {
    // The view line at which a later pass goes on: the first pair not yet
    // read whole (a last line without its partner is read again).
    std::size_t nextLine = 0;
    // The pass stopped after an entry whose header line lies past
    // stopAfterLine; it is the last entry appended.
    bool stopped = false;
};

// Walks the lines in positional pairs from view line `from` (even): lines i
// and i + 1 form a pair, a pair with an empty line is skipped, and a stray
// line is not re-aligned, so the pairs after it are read out of step. Every
// other pair is parsed and appended with its header's 1-based line number.
// A parse failure is passed on after progress was told how far the pass had
// come; the entries before it stay appended. An entry whose header line lies
// past stopAfterLine is appended and ends the pass. lines may be the
// continuation of a log whose first lines were walked before: origin (even)
// is then the view line of the log that lines' line 0 is, and the entries
// take their line numbers from it.
PassEnd CountPairs(Analysis& analysis, const LogLines& lines, std::size_t from, const LocaleFormat& locale,
                   const PassProgress& progress = {}, std::uint32_t stopAfterLine = UINT32_MAX, std::size_t origin = 0);

}  // namespace lognex
