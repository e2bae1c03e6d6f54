// The export table: every occurrence as ready-made date, time and text.
#pragma once

#include <vector>

#include "support/locale_format.h"
#include "tables/error_tables.h"
#include "xls/export_worksheet.h"

namespace lognex {

// Empties ForExcel, then adds one row per stored occurrence: "mm/dd/yyyy",
// "hh:mm:ss" (the locale's separators) and "text - location" cut to 180
// characters, read in occurrence order (text, location, then log order), each
// row a change of its own. ForExcel is emptied first so that a second export
// after one run does not list every occurrence twice. The occurrences' link to
// ErrorName is put back afterwards, also when adding a row fails.
void FillExportTable(ErrorTables& tables, const LocaleFormat& locale);

// ForExcel's rows in ByTime order (date text, then time text, as text).
std::vector<ExportRow> ReadExportRows(ErrorTables& tables);

}  // namespace lognex
