// Following a log that grows: reading only what was appended since the last
// read and counting its complete pairs into the analysis.
//
// The log is split into lines as LogLines splits it (CR LF, LF or CR), also
// when a read ends inside a line or between the CR and the LF of one break,
// and walked in the same positional pairs. A line is taken in once its break
// is there; the line still being written waits, and with it a header whose
// text has not come yet. Once the log has not grown for a while the caller
// says it has settled, and the unended last line is taken as it stands, as
// a run over the log at that moment would take it. So the analysis always
// equals that of one pass over the log as far as it has been read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "logproc/analysis.h"
#include "logproc/log_lines.h"
#include "support/locale_format.h"

namespace lognex {

// How many bytes from the start of a log stand for its first lines: a log
// whose first bytes changed is another log.
inline constexpr std::size_t kFollowHeadBytes = 4096;

// A source's size and modification time, as a poll compares them.
struct SourceStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // the file system's clock, in its own ticks
    bool operator==(const SourceStamp&) const = default;
};

// The stamp of the file at path; nullopt when it cannot be examined (gone,
// or a share that was disconnected).
std::optional<SourceStamp> StampOfSource(const std::string& path);

// How far a log has been read: the value one read leaves for the next.
struct FollowState {
    std::uint64_t consumed = 0;  // bytes taken in from the start of the source
    std::string head;            // its first bytes, up to kFollowHeadBytes
    SourceStamp stamp;           // at the last read
    std::size_t lines = 0;       // lines ended by a break so far
    std::string waiting;         // the last ended line when `lines` is odd: a header waiting for its text
    std::string partial;         // the bytes of the line not yet ended
    bool afterCr = false;        // the last byte taken was a CR: an LF right after it ends no line
    bool rich = false;           // rich text, which is read whole: any change starts over
    // The unended last line was taken as an entry's text when the log
    // settled; that entry is Entries()[settledEntry]. Should the line go on,
    // the entry was counted with a cut text and the count starts over.
    bool settledText = false;
    std::size_t settledEntry = 0;
    // The pass ended for good (at the last line the tables hold, or at a
    // pair that failed to parse, as a run ends there): nothing more is read.
    bool ended = false;
};

enum class FollowRead {
    Growing,  // the log may be in the middle of a line: an unended line waits
    Settled,  // the log has not grown for a while: an unended line is taken as it is
};

struct FollowResult {
    enum class Change {
        None,      // nothing new
        Appended,  // entries from firstNew on were appended
        // The source shrank, its first bytes changed, a rich-text log changed,
        // or a line taken as it stood went on: the caller starts over with
        // an empty state and analysis (a full run). The entries before
        // keptEntries stay as they were in the log, so only those from there
        // on are news to a reader.
        StartOver,
    };
    Change change = Change::None;
    std::size_t firstNew = 0;
    bool replaced = false;  // StartOver because the log was replaced (keptEntries is 0)
    std::size_t keptEntries = 0;
};

// Reads what was appended to the log at path since state and appends its
// complete pairs to analysis, which holds what state was read into. From
// an empty state and analysis this is a run over the whole log. A rich-text
// log is converted and read whole (limits apply to it as to any load).
// Throws Error "Cannot open file "%s". %s" when the log cannot be opened,
// "Failed to Load Stream" when a read fails, LongLineMessage for a line
// past limits.maxLineLength; a parse failure is passed on after the entries
// before it were appended, and the state has then ended. Entries go on to
// the first one past lastHeaderLine, as a run's pass does; the state then
// has ended.
FollowResult FollowLog(FollowState& state, Analysis& analysis, const std::string& path, const LocaleFormat& locale,
                       FollowRead read = FollowRead::Growing, const LogLoadLimits& limits = {},
                       std::uint32_t lastHeaderLine = UINT32_MAX);

}  // namespace lognex
