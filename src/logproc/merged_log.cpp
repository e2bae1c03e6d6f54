#include "logproc/merged_log.h"

#include <algorithm>
#include <stdexcept>

namespace lognex {

MergedLog MergeLogParts(std::vector<LogPart> parts) {
    const auto dated = [](const LogPart& part) { return part.analysis.Times().first != 0; };
    std::stable_sort(parts.begin(), parts.end(), [&](const LogPart& a, const LogPart& b) {
        if (dated(a) != dated(b)) return dated(a);
        return dated(a) && a.analysis.Times().first < b.analysis.Times().first;
    });

    MergedLog merged;
    for (LogPart& part : parts) {
        merged.parts.push_back(
            {std::move(part.name), merged.analysis.Entries().size(), part.analysis.Entries().size()});
        // The error's words once per error rather than once per entry.
        std::vector<LogEntry> byError;
        byError.reserve(part.analysis.Errors().size());
        for (const DistinctError& error : part.analysis.Errors()) byError.push_back({0, error.location, error.text});
        for (const AnalysisEntry& entry : part.analysis.Entries()) {
            LogEntry& words = byError[entry.error];
            words.dateTime = entry.when;
            merged.analysis.Append(words, entry.line);
        }
        part.analysis = Analysis{};  // held once, not twice, while the rest is joined
    }
    return merged;
}

const MergedPart& PartOfEntry(const MergedLog& log, std::size_t entry) {
    if (entry >= log.analysis.Entries().size()) throw std::out_of_range("no such entry in the merged log");
    // The last part that starts at or before the entry: an empty part shares
    // its start with the part after it, so it is never the last such part.
    const auto after = std::upper_bound(log.parts.begin(), log.parts.end(), entry,
                                        [](std::size_t at, const MergedPart& part) { return at < part.firstEntry; });
    return *std::prev(after);
}

std::string EntryPlace(const MergedLog& log, std::size_t entry) {
    return PartOfEntry(log, entry).name + " line " + std::to_string(log.analysis.Entries()[entry].line.number);
}

}  // namespace lognex
