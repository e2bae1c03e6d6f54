// The log-line reader: plain and rich text split into view lines, and the
// bounded loader, whose lines must be the leading lines of the whole text and
// which may stop only after the first non-empty pair past the range.
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "logproc/log_lines.h"
#include "support/error.h"

namespace {

void CheckLines(const lognex::LogLines& lines) {
    std::size_t previous = 0;
    for (std::size_t i = 0; i <= lines.ViewLineCount(); ++i) {
        if (lines.Line(i).size() > lognex::kMaxDeliveredLine) std::abort();
        if (i >= lines.ViewLineCount() && !lines.Line(i).empty()) std::abort();
        const std::size_t start = lines.LineStart(i);
        if (start < previous) std::abort();
        previous = start;
    }
    if (lines.Count() > lines.ViewLineCount()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lognex::fuzz::Input input(data, size);
    const std::uint8_t choice = input.Byte();
    const std::string text(input.Rest());

    const lognex::LogLines whole = lognex::LogLines::FromText(text);
    CheckLines(whole);
    CheckLines(lognex::LogLines::FromText(lognex::RtfToPlainText(text)));

    // The loader with tiny limits, so the fuzzer reaches every way it stops.
    lognex::LogLoadLimits limits;
    limits.lastHeaderLine = choice % 8;
    limits.memoryBudget = 64 + (choice >> 3) * 32;
    limits.maxLineLength = 8 + (choice >> 4) * 4;
    static const std::string path = lognex::fuzz::ScratchPath("log_lines.rpt");
    lognex::fuzz::WriteScratch(path, text);
    try {
        const lognex::LogLines loaded = lognex::LoadLogLines(path, limits);
        CheckLines(loaded);
        if (text.rfind("{\\rtf", 0) == 0) return 0;
        if (loaded.Count() > whole.Count()) std::abort();
        for (std::size_t i = 0; i < loaded.Count(); ++i)
            if (loaded.FullLine(i) != whole.FullLine(i)) std::abort();
        if (loaded.Count() < whole.Count()) {
            // Cut short: only right after a non-empty pair past the range.
            const std::size_t header = loaded.Count() - 2;
            if (loaded.Count() < 2 || header % 2 != 0 || header < limits.lastHeaderLine ||
                whole.FullLine(header).empty() || whole.FullLine(header + 1).empty())
                std::abort();
        }
    } catch (const lognex::Error&) {
        // Too large for the limits, or a line too long.
    }
    return 0;
}
