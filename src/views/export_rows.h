// The export's rows: every occurrence as ready-made date, time and text.
#pragma once

#include <vector>

#include "logproc/analysis.h"
#include "support/locale_format.h"
#include "tables/error_tables.h"
#include "views/time_range.h"
#include "xls/export_worksheet.h"

namespace lognex {

// One row per occurrence: "mm/dd/yyyy", "hh:mm:ss" (the locale's
// separators) and "text - location" cut to 180 characters, in ForExcel's
// ByTime order: by date text, then time text, compared as text ignoring
// ASCII letter case (so month, day, year); equal texts in occurrence order
// (text, location, then log order).
std::vector<ExportRow> ExportRows(const Analysis& analysis, const LocaleFormat& locale);

// The rows of the occurrences in the range.
std::vector<ExportRow> ExportRows(const AnalysisInRange& value, const LocaleFormat& locale);

// Empties ForExcel and adds rows to it in one transaction, so that a second
// export after one run does not list every occurrence twice.
void FillExportTable(ErrorTables& tables, const std::vector<ExportRow>& rows);

// ForExcel's rows in ByTime order (date text, then time text, as text).
std::vector<ExportRow> ReadExportRows(ErrorTables& tables);

}  // namespace lognex
