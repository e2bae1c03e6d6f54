// The export sheet: the occurrences of the last run laid out as a titled,
// headed table and saved as an Excel 97 workbook.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "xls/workbook_writer.h"

namespace lognex {

// One row of the export table: single-byte Windows-1252 texts, as stored.
struct ExportRow {
    std::string date, time, text;
};

// Most data rows one sheet holds: four rows above them for title, span and headings.
constexpr std::size_t kExportRowsPerSheet = kMaxRow + 1 - 4;

// Lays the export sheet out on xls, which should be a fresh writer: the
// title in A1 (merged over A1:C1, Arial 18, centred), the span text in C2
// (italic), bold centred headings in row 4, then one row per entry from row
// 5 with centred dates and times. Columns A and B are 2505 wide, C 30000.
// Rows past what one sheet holds continue on further sheets ("Sheet2", ...),
// each laid out the same way from its title down.
void LayOutExportSheet(WorkbookWriter& xls, const std::string& spanText, const std::vector<ExportRow>& rows);

// Lays out the export sheet on a fresh writer model and saves it to file
// whole or not at all. Throws lognex::Error with the user-facing message on
// failure; an existing file is then left unchanged.
void WriteWorkbook(const std::string& spanText, const std::vector<ExportRow>& rows, const std::filesystem::path& file);

}  // namespace lognex
