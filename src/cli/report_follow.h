// lognex-report --follow: the log counted as it grows.
#pragma once

#include <iosfwd>

#include "cli/report_tool.h"
#include "tables/error_tables.h"

namespace lognex {

// Counts the log into tables and the named outputs, then goes on reading
// what is appended to it: one line per new entry on out ("date time  count
// text  location", the count being the error's so far), the summary, tree
// and timeline rewritten after each batch, until a stop is asked; then the
// workbook is written too and the status is kExitDone. A log that was
// replaced is counted again from its start, its entries printed as new; a
// log that cannot be read for a while (a share that went away) is waited
// for, said once on err. A failure (a pair that does not parse, an output
// that cannot be written) is thrown after the entries before it were
// printed, the outputs left as the last batch wrote them.
int FollowReport(const ReportArguments& arguments, const ReportEnvironment& env, ErrorTables& tables, std::ostream& out,
                 std::ostream& err);

}  // namespace lognex
