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

SummaryReport BuildSummary(ErrorTables& tables, const EntryTimes& times, const LocaleFormat& locale,
                           const CalendarDefaults& defaults) {
    const Span span = SpanBetween(StampOf(times.first, locale, defaults), StampOf(times.last, locale, defaults));
    const int hours = span.seconds / 3600;
    const int minutes = span.seconds % 3600 / 60;
    const int seconds = span.seconds % 3600 % 60;

    SummaryReport report;
    report.lines.push_back("First log entry is on " + FormatDateTimeText("", times.first, locale));
    report.lines.push_back("Last log entry is on " + FormatDateTimeText("", times.last, locale));
    report.spanText = "The log spans " + std::to_string(span.days) + " days, " + std::to_string(hours) + " hours, " +
                      std::to_string(minutes) + " minutes, and " + std::to_string(seconds) + " seconds";
    report.lines.push_back(report.spanText);
    report.lines.push_back("");
    report.lines.push_back("Total number of occurrences for each error:");
    report.lines.push_back("");

    Table& names = tables.errorNames;
    const std::string usualIndex = names.GetIndex();
    names.SetIndex(kByNumberD);
    try {
        for (names.First(); !names.AtEnd(); names.Next())
            report.lines.push_back(std::to_string(names.GetInteger(kNumTime)) + " - " + names.GetString(kErrorText));
    } catch (...) {
        // Left on ByNumberD, every later look-up of a distinct error would fail
        // for want of the second key field, so the usual order comes back first.
        try {
            names.SetIndex(usualIndex);
        } catch (...) {
        }
        throw;
    }
    names.SetIndex(usualIndex);
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
