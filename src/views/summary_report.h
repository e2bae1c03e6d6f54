// The summary report: first and last entry, the span between them, and every
// distinct error with its count, most frequent first; and its saved form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "logproc/analysis.h"
#include "support/locale_format.h"

namespace lognex {

struct SummaryReport {
    std::vector<std::string> lines;
    // "The log spans %d days, %d hours, %d minutes, and %d seconds", also
    // written into the workbook.
    std::string spanText;
};

// The report lines: first-entry and last-entry sentences, the span sentence,
// an empty line, the heading, an empty line, then "%d - %s" per distinct
// error, most frequent first (equal counts in order of first occurrence).
SummaryReport BuildSummary(const Analysis& analysis, const LocaleFormat& locale, const CalendarDefaults& defaults);

// "The log spans %d days, %d hours, %d minutes, and %d seconds" between the
// two times as read back from two-digit-year text, so whole seconds with the
// years placed in 1998..2097.
std::string SpanText(const EntryTimes& times, const LocaleFormat& locale, const CalendarDefaults& defaults);

// The bytes "Save Summary" writes for the summary view's plain text: the text
// is cut into lines at every line break (CR LF, CR or LF); every line, empty
// ones included, is written followed by CR LF, except that a single empty
// line at the very end is dropped. The rich-text view's select-all copy ends
// with its final paragraph's break, so that dropped line is the phantom after
// it: to save exactly the lines a view shows, pass its text with each line
// ended by a break (for example SummaryViewText of the report).
std::string SummaryFileBytes(std::string_view viewText);

// The report's lines each ended by "\n": the view text SummaryFileBytes turns
// back into exactly these lines.
std::string SummaryViewText(const SummaryReport& report);

// Writes SummaryFileBytes(viewText) to path whole: on failure the previous
// file is left as it was. Throws Error "Cannot create file "%s". %s" with the
// full path and the system's reason.
void SaveSummaryFile(const std::string& path, std::string_view viewText);

}  // namespace lognex
