// A log file counted into an analysis on its own, without the tables: what
// the batch tool reads when it looks at several logs.
#pragma once

#include <string>

#include "logproc/analysis.h"
#include "logproc/log_lines.h"
#include "support/locale_format.h"

namespace lognex {

// Loads the file and counts its pairs as a run does (positional pairs, a pair
// with an empty line skipped). Throws Error with a message that names the
// file: LoadLogLines' messages, or for a pair that does not parse "%s line
// %d: " (the path and the pair's header line) before the parser's message.
Analysis AnalyzeLogFile(const std::string& path, const LocaleFormat& locale, const LogLoadLimits& limits = {});

}  // namespace lognex
