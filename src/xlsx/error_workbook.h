// The error table and the occurrences as an Office Open XML workbook (.xlsx)
// through libxlsxwriter: sheets Errors and Occurrences, dates as date cells.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/locale_format.h"
#include "views/error_table.h"
#include "views/time_range.h"

namespace lognex {

// The rows a sheet holds (the format's limit); tables longer than a sheet go
// on in further sheets, "Occurrences (2)" and so on.
inline constexpr std::size_t kXlsxSheetRows = 1'048'576;

struct ErrorWorkbookLayout {
    std::size_t sheetRows = kXlsxSheetRows;
};

// The workbook's bytes. Each sheet has a title row (title, in a larger bold
// font, on a row tall enough for it), the range in words, a header row with
// an auto-filter, and the rows; the rows above the data stay in view. Errors
// has the table's rows in its order: Count, Error, Location, First, Last,
// Per day, Share (%); Occurrences the range's entries in log order: Date and
// time, Error, Location, Log line. Dates are date cells in the locale's
// formats (ExcelDateTimeFormat); an undated one is left empty. Texts are
// Windows-1252 and written as UTF-8. Columns are as wide as their longest
// text.
//
// The workbook is written to scratchFile, read back and removed: the caller
// chooses the place (and arranges for its removal should the process be
// ended). Throws Error "The workbook cannot be written: %s" with
// libxlsxwriter's or the system's reason.
std::string ErrorWorkbookBytes(const AnalysisInRange& value, const ErrorTable& table, std::string_view title,
                               const LocaleFormat& locale, const std::filesystem::path& scratchFile,
                               const ErrorWorkbookLayout& layout = {});

}  // namespace lognex
