// --from and --to of the batch tool: ISO 8601 dates and date-times read as
// the log's own local times, turned into the range the outputs are limited to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "views/time_range.h"

namespace lognex {

// "2007-04-17", "2007-04-17T21:40", "2007-04-17T21:40:58" or with
// fractions of a second to the millisecond ("21:40:58.250"); a blank may
// stand for the "T". In milliseconds from 30 December 1899. The log's times
// carry no zone, so a zone ("Z", "+02:00") is refused. Throws Error naming
// the text and the forms that are read.
std::int64_t ParseIsoMoment(std::string_view option, std::string_view text);

// The range from --from (included) to --to (not included), either may be
// empty. A --to that is a date without a time means the end of that day, so
// "--from 2007-04-17 --to 2007-04-17" is that one day. Throws Error when the
// range would hold nothing because --to is not after --from.
TimeRange ReportRange(const std::string& from, const std::string& to);

}  // namespace lognex
