#include "cli/report_follow.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>

#include "cli/follow_watch.h"
#include "cli/report_outputs.h"
#include "cli/report_paths.h"
#include "logproc/analysis_store.h"
#include "logproc/log_follow.h"
#include "logproc/processing_run.h"
#include "support/ansi_text.h"
#include "support/date_pictures.h"
#include "support/error.h"

namespace lognex {
namespace {

using Clock = std::chrono::steady_clock;

// How often the log's size and modification time are looked at, for changes
// the file system does not report.
constexpr std::chrono::milliseconds kPoll{1000};
// How long the log must rest before a line without its break is taken as it stands.
constexpr std::chrono::milliseconds kSettle{2000};

// "date time  count  text  location" for entry k, the count being its
// error's up to and including it.
std::string EntryLine(const Analysis& analysis, std::size_t k, const LocaleFormat& locale) {
    const AnalysisEntry& entry = analysis.Entries()[k];
    const DistinctError& error = analysis.ErrorOf(entry);
    const auto count =
        std::lower_bound(error.occurrences.begin(), error.occurrences.end(), k) - error.occurrences.begin() + 1;
    std::string line =
        FormatDateTimeText("", StoredTime(entry.when), locale) + "  " + std::to_string(count) + "  " + error.text;
    if (!error.location.empty()) line.append("  ").append(error.location);
    return line.append("\n");
}

class Follow {
public:
    Follow(const ReportArguments& arguments, const ReportEnvironment& env, ErrorTables& tables, std::ostream& out,
           std::ostream& err)
        : arguments_(arguments), env_(env), tables_(tables), out_(out), err_(err), path_(FullPath(arguments.logFile)) {}

    int Run() {
        FollowWatch watch(path_);
        ResetTables(tables_);
        // The log as it is, counted as a run counts it (its last line too,
        // should its break be missing), and written, an empty log's outputs too.
        Read(FollowRead::Growing, false);
        Read(FollowRead::Settled, false);
        Say(WriteOutputs(false));
        Clock::time_point lastGrowth = Clock::now();
        bool settled = true;
        for (;;) {
            const Clock::duration toSettle = settled ? kPoll : lastGrowth + kSettle - Clock::now();
            const auto wait = std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(toSettle),
                                         std::chrono::milliseconds(1), kPoll);
            if (watch.Wait(wait) == FollowWatch::Wake::Stop) break;
            const std::optional<SourceStamp> stamp = StampOfSource(path_);
            if (!Available(stamp.has_value())) continue;
            std::optional<FollowRead> read;
            if (*stamp != state_.stamp) {
                lastGrowth = Clock::now();
                settled = false;
                read = FollowRead::Growing;
            } else if (!settled && Clock::now() - lastGrowth >= kSettle) {
                settled = true;
                read = FollowRead::Settled;
            }
            if (!read) continue;
            try {
                if (Read(*read, true)) Say(WriteOutputs(false));
            } catch (const Error&) {
                // Gone between the look and the read: waited for like any log that went away.
                if (StampOfSource(path_) || state_.ended) throw;
                Available(false);
            }
        }
        // Following stops: a line still without its break is taken as it stands.
        if (StampOfSource(path_)) {
            Read(FollowRead::Growing, true);
            Read(FollowRead::Settled, true);
        }
        Say(WriteOutputs(true));
        return kExitDone;
    }

private:
    // Says once that the log went away, and once that it is back.
    bool Available(bool available) {
        if (available == available_) return available;
        available_ = available;
        err_ << "lognex-report: \"" << Message(PathToAnsi(path_)) << '"'
             << (available ? " is back; following goes on\n" : " cannot be read; following waits for it to come back\n")
             << std::flush;
        return available;
    }

    // Reads what is new and counts and prints it; a replaced log is counted
    // from its start. True when the analysis changed.
    bool Read(FollowRead read, bool print) {
        std::size_t from = analysis_.Entries().size();
        FollowResult result;
        try {
            result = FollowLog(state_, analysis_, path_, env_.locale, read, {}, kLastStorableLine);
            if (result.change == FollowResult::Change::StartOver) {
                if (result.replaced)
                    err_ << "lognex-report: \"" << Message(PathToAnsi(path_)) << '"'
                         << " was replaced; it is counted again from its start\n"
                         << std::flush;
                ResetTables(tables_);
                state_ = {};
                analysis_ = {};
                from = 0;
                FollowLog(state_, analysis_, path_, env_.locale, FollowRead::Growing, {}, kLastStorableLine);
            }
        } catch (...) {
            // The entries before a failing pair are counted, as a run counts them.
            Take(from, result.change == FollowResult::Change::StartOver ? result.keptEntries : from, print);
            throw;
        }
        if (result.change == FollowResult::Change::None) return false;
        Take(from, result.change == FollowResult::Change::StartOver ? result.keptEntries : from, print);
        return true;
    }

    // Stores the entries from `stored` on, prints those from `news` on.
    void Take(std::size_t stored, std::size_t news, bool print) {
        if (analysis_.Entries().size() == stored && stored != 0) return;
        StoreAppendedEntries(tables_, analysis_, stored);
        if (!print) return;
        for (std::size_t k = news; k < analysis_.Entries().size(); ++k) out_ << EntryLine(analysis_, k, env_.locale);
        out_.flush();
        if (!out_) throw Error("Cannot write to standard output");
    }

    // Puts the named outputs in place, all together or none; the workbooks
    // only when withWorkbook. Standard output carries the entries' lines, so
    // no summary goes there.
    std::vector<std::string> WriteOutputs(bool withWorkbook) {
        ReportArguments named = arguments_;
        if (!withWorkbook) {
            named.excelFile.clear();
            named.xlsxFile.clear();
        }
        if (named.summaryFile.empty() && named.treeFile.empty() && named.timelineFile.empty() &&
            named.excelFile.empty() && named.xlsxFile.empty() && named.errorsFile.empty())
            return {};
        const auto treeBytes = [&] { return RangeTreeFileBytes(analysis_, arguments_, env_.locale); };
        const ReportContent content{analysis_, treeBytes,
                                    [&](const std::vector<ExportRow>& rows) { FillExportTable(tables_, rows); }};
        return WriteReportOutputs(named, env_, content, out_);
    }

    void Say(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) err_ << "lognex-report: " << Message(line) << "\n";
    }

    std::string Message(std::string_view text) const {
        return env_.utf8Messages ? AnsiToUtf8(text) : std::string(text);
    }

    const ReportArguments& arguments_;
    const ReportEnvironment& env_;
    ErrorTables& tables_;
    std::ostream& out_;
    std::ostream& err_;
    const std::string path_;
    FollowState state_;
    Analysis analysis_;
    bool available_ = true;
};

}  // namespace

int FollowReport(const ReportArguments& arguments, const ReportEnvironment& env, ErrorTables& tables, std::ostream& out,
                 std::ostream& err) {
    return Follow(arguments, env, tables, out, err).Run();
}

}  // namespace lognex
