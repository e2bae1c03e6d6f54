#include "logproc/log_file_analysis.h"

#include "logproc/pair_pass.h"
#include "support/ansi_text.h"
#include "support/error.h"

namespace lognex {

Analysis AnalyzeLogFile(const std::string& path, const LocaleFormat& locale, const LogLoadLimits& limits) {
    const LogLines lines = LoadLogLines(path, limits);
    Analysis analysis;
    // A failing pair is told as progress just before its failure goes on:
    // that is where it stands.
    std::size_t reached = 0;
    try {
        CountPairs(analysis, lines, 0, locale, [&reached](std::size_t done, std::size_t) { reached = done; });
    } catch (const Error& failure) {
        throw Error(PathToAnsi(path) + " line " + std::to_string(LogLineNumberOf(ViewLine{reached}).number) + ": " +
                    failure.what());
    }
    return analysis;
}

}  // namespace lognex
