#include "xls/export_worksheet.h"

#include <algorithm>
#include <span>

#include "support/ansi_text.h"

namespace lognex {

namespace {

// The title, span and headings over the current sheet's rows, then its share
// of the rows from row 5.
void LayOutOneSheet(WorkbookWriter& xls, const std::u16string& span, std::span<const ExportRow> rows) {
    // The order of these calls decides the cell format numbers in the file.
    xls.SetColumnWidth(0, 1, 2505);
    xls.SetColumnWidth(2, 2, 30000);
    xls.AddMergedArea({0, 0, 2, 0});
    xls.SetCellText(0, 0, u"EG Commander Error Log");
    xls.SetRangeAlignment(0, 0, 2, 0, kHorizontalCentre, kVerticalCentre);
    xls.SetCellText(2, 1, span);
    xls.SetCellText(0, 3, u"Date");
    xls.SetCellText(1, 3, u"Time");
    xls.SetCellText(2, 3, u"Error Text");
    xls.SetCellFontStyle(2, 1, kFontItalic);
    for (int column = 0; column <= 2; ++column) xls.SetCellFontStyle(column, 3, kFontBold);
    xls.SetRangeAlignment(0, 3, 2, 3, kHorizontalCentre, kVerticalCentre);
    xls.SetRangeFont(0, 0, 0, 0, u"Arial", 18);

    int row = 4;
    for (const ExportRow& entry : rows) {
        xls.SetCellText(0, row, WidenAnsi(entry.date));
        xls.SetCellText(1, row, WidenAnsi(entry.time));
        xls.SetCellText(2, row, WidenAnsi(entry.text));
        ++row;
    }
    xls.SetRangeAlignment(0, 3, 1, row - 1, kHorizontalCentre, kVerticalCentre);
}

}  // namespace

void LayOutExportSheet(WorkbookWriter& xls, const std::string& spanText, const std::vector<ExportRow>& rows) {
    const std::u16string span = WidenAnsi(spanText);
    const std::span<const ExportRow> all(rows);
    std::size_t done = 0;
    do {
        if (done > 0) xls.AddSheet(u"Sheet" + WidenAnsi(std::to_string(xls.SheetCount() + 1)));
        const std::size_t count = std::min(kExportRowsPerSheet, rows.size() - done);
        LayOutOneSheet(xls, span, all.subspan(done, count));
        done += count;
    } while (done < rows.size());
}

void WriteWorkbook(const std::string& spanText, const std::vector<ExportRow>& rows, const std::filesystem::path& file) {
    WorkbookWriter xls;
    LayOutExportSheet(xls, spanText, rows);
    xls.Save(file);
}

}  // namespace lognex
