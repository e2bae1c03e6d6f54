// --errors of the batch tool: the error table as CSV.
#pragma once

#include <string>

#include "views/error_table.h"

namespace lognex {

// RFC 4180: a header "Count,Error,Location,First,Last,Per day,Share (%)",
// then a row per table row; fields quoted when they hold a comma, a quote or
// a line break (quotes doubled); CR LF after every row. Texts are UTF-8,
// times ISO 8601 ("2007-04-17T21:40:58", empty when undated), numbers with
// a point and two decimals whatever the locale.
std::string ErrorTableCsv(const ErrorTable& table, const Analysis& analysis);

}  // namespace lognex
