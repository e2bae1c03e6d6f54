#include "views/summary_report.h"

#include <filesystem>
#include <system_error>

#include "support/date_pictures.h"
#include "support/error.h"
#include "support/file_io.h"
#include "support/platform_files.h"

namespace lognex {
namespace {

// The first day of the two-digit-year window in which the span's dates are read back.
constexpr int kSpanEpoch = 1998;

// The stamp of a date-time as read back from its "mm/dd/yy" and "hh:mm:ss"
// texts: whole seconds, the year placed in 1998..2097.
DayStamp StampOf(DateTime dateTime, const LocaleFormat& locale, const CalendarDefaults& defaults) {
    DayStamp stamp;
    stamp.day = PictureToDayNumber("mm/dd/yy", FormatDateTimeText("mm/dd/yy", dateTime, locale), kSpanEpoch, defaults);
    stamp.seconds = PictureToDaySeconds("hh:mm:ss", FormatDateTimeText("hh:mm:ss", dateTime, locale));
    return stamp;
}

}  // namespace

std::string SpanText(const EntryTimes& times, const LocaleFormat& locale, const CalendarDefaults& defaults) {
    const Span span = SpanBetween(StampOf(times.first, locale, defaults), StampOf(times.last, locale, defaults));
    const int hours = span.seconds / 3600;
    const int minutes = span.seconds % 3600 / 60;
    const int seconds = span.seconds % 3600 % 60;
    return "The log spans " + std::to_string(span.days) + " days, " + std::to_string(hours) + " hours, " +
           std::to_string(minutes) + " minutes, and " + std::to_string(seconds) + " seconds";
}

SummaryReport BuildSummary(const Analysis& analysis, const LocaleFormat& locale, const CalendarDefaults& defaults) {
    const EntryTimes& times = analysis.Times();
    SummaryReport report;
    report.lines.push_back("First log entry is on " + FormatDateTimeText("", times.first, locale));
    report.lines.push_back("Last log entry is on " + FormatDateTimeText("", times.last, locale));
    report.spanText = SpanText(times, locale, defaults);
    report.lines.push_back(report.spanText);
    report.lines.push_back("");
    report.lines.push_back("Total number of occurrences for each error:");
    report.lines.push_back("");
    for (ErrorId id : ErrorsByFallingCount(analysis)) {
        const DistinctError& error = analysis.Errors()[id];
        report.lines.push_back(std::to_string(error.Count()) + " - " + error.text);
    }
    return report;
}

std::string SummaryFileBytes(std::string_view viewText) {
    std::string bytes;
    bytes.reserve(viewText.size() + viewText.size() / 16);
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (i == viewText.size()) {
            // The last line: written unless it is the single empty one at the very end.
            if (i > start) bytes.append(viewText.substr(start, i - start)).append("\r\n");
            break;
        }
        if (viewText[i] == '\r' || viewText[i] == '\n') {
            bytes.append(viewText.substr(start, i - start)).append("\r\n");
            if (viewText[i] == '\r' && i + 1 < viewText.size() && viewText[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    return bytes;
}

std::string SummaryViewText(const SummaryReport& report) {
    std::string text;
    for (const std::string& line : report.lines) text.append(line).append("\n");
    return text;
}

void SaveSummaryFile(const std::string& path, std::string_view viewText) {
    const std::string bytes = SummaryFileBytes(viewText);
    try {
        WriteFileWhole(path, bytes);
    } catch (const std::system_error& failure) {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec);
        throw Error(CannotCreateFileText(ec ? path : DisplayPath(PathText(full), NativePathSyntax()),
                                         SystemErrorText(failure.code().value())));
    }
}

}  // namespace lognex
