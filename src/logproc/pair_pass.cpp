#include "logproc/pair_pass.h"

#include <string>

namespace lognex {
namespace {

// Steps between two reports of progress.
constexpr std::size_t kProgressStride = 4096;

}  // namespace

PassEnd CountPairs(Analysis& analysis, const LogLines& lines, std::size_t from, const LocaleFormat& locale,
                   const PassProgress& progress, std::uint32_t stopAfterLine, std::size_t origin) {
    const std::size_t count = lines.Count();
    const std::size_t total = count + 1;
    const auto tell = [&](std::size_t done) {
        if (progress) progress(done, total);
    };
    PassEnd end;
    end.nextLine = count - count % 2;
    if (from % 2 != 0) ++from;
    std::string headerSpare, textSpare;
    for (std::size_t i = from; i <= count; i += 2) {
        const std::string_view header = lines.Line(i, headerSpare);
        const std::string_view text = lines.Line(i + 1, textSpare);
        if (!header.empty() && !text.empty()) {
            const HeaderLine line{static_cast<std::uint32_t>(LogLineNumberOf(ViewLine{origin + i}).number)};
            LogEntry entry;
            try {
                entry = ParseLogEntry(header, text, locale);
            } catch (...) {
                tell(i);
                throw;
            }
            analysis.Append(entry, line);
            if (line.number > stopAfterLine) {
                tell(i);
                end.nextLine = i + 2;
                end.stopped = true;
                return end;
            }
        }
        // Reported between pairs, so a report always counts whole pairs.
        if ((i - from) % kProgressStride == 0 && i != from) tell(i);
    }
    tell(total);
    return end;
}

}  // namespace lognex
