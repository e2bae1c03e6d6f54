// Several files of one log read as one: a prober's err_log.rpt and the files
// it was renamed to before it, joined in time order. Every entry keeps the
// header line it has in its own file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "logproc/analysis.h"

namespace lognex {

// One file of the log and what it holds.
struct LogPart {
    std::string name;  // how its entries are placed: "err_log.1.rpt"
    Analysis analysis;
};

struct MergedPart {
    std::string name;
    std::size_t firstEntry = 0;  // its first entry's position in the merged analysis
    std::size_t entries = 0;
};

struct MergedLog {
    Analysis analysis;              // the entries of every part, part after part
    std::vector<MergedPart> parts;  // in time order
};

// Joins the parts in time order: by the time of each part's first dated
// entry. Rotated files do not overlap, so that is also the order of their
// entries; names say nothing reliable about it (one site's err_log.1.rpt is
// the newest predecessor, another's the oldest). Parts without a dated entry
// come last, in the order given, as does everything else that ties.
MergedLog MergeLogParts(std::vector<LogPart> parts);

// The part holding the merged entry at position `entry`.
const MergedPart& PartOfEntry(const MergedLog& log, std::size_t entry);

// Where the merged entry at position `entry` is: "err_log.1.rpt line 311".
std::string EntryPlace(const MergedLog& log, std::size_t entry);

}  // namespace lognex
