// The workbook writer: an in-memory model of an Excel 97 workbook (sheets of
// text cells, column widths, merged areas; fonts, cell formats and shared
// strings for all sheets) and the save path that writes it as BIFF8 in a
// compound file.
//
// The writer carries the fixed settings of this program's export: a first
// sheet "Sheet1", default column width 9, row height 13, gridlines and
// headings shown, portrait letter paper. A writer is meant for one export;
// every change only ever adds to the model. The cell, column and merge
// operations work on the current sheet: the first, or the last one added.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xls/cell_formats.h"
#include "xls/record_stream.h"
#include "xls/shared_strings.h"
#include "xls/worksheet.h"

namespace lognex {

// Alignment values as BIFF8 stores them.
constexpr unsigned kHorizontalGeneral = 0;
constexpr unsigned kHorizontalCentre = 2;
constexpr unsigned kVerticalCentre = 1;
constexpr unsigned kVerticalBottom = 2;

// A column width that means "the default width".
constexpr int kDefaultColumnWidthMark = 2500;

class WorkbookWriter {
public:
    WorkbookWriter();
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    // Gives every column from firstColumn to lastColumn the width (1/256 of
    // a character); 2500 makes them default columns again. Throws
    // lognex::Error "Invalid columns" when lastColumn < firstColumn or either
    // is outside 0..255, and "Invalid column width" outside 0..65535.
    void SetColumnWidth(int firstColumn, int lastColumn, int width);

    // Makes the cell a text cell holding text. A new cell gets the default
    // format; a replaced cell keeps its format. The text's earlier entry in
    // the shared strings stays. Throws lognex::Error for a place outside the
    // sheet or a text over 65,535 characters.
    void SetCellText(int column, int row, std::u16string_view text);

    // Sets the horizontal, then the vertical alignment of every existing cell
    // in the rectangle, column by column; creates no cells.
    void SetRangeAlignment(int firstColumn, int firstRow, int lastColumn, int lastRow, unsigned horizontal,
                           unsigned vertical);

    // Gives an existing cell its font with the style flags (kFontBold,
    // kFontItalic, kFontStrikeout) replaced by style; no cell, no change.
    void SetCellFontStyle(int column, int row, std::uint8_t style);

    // Gives every existing cell in the rectangle a regular font of that name
    // and size in points (character set 1, family 2, colour 8). Throws
    // lognex::Error for a name over 255 characters or a size outside 1..409.
    void SetRangeFont(int firstColumn, int firstRow, int lastColumn, int lastRow, std::u16string_view name, int size);

    // Adds a merged area; its corners must be inside the sheet.
    void AddMergedArea(const CellArea& area);

    // Adds a sheet after the others, with the same settings as the first,
    // and makes it the current sheet.
    void AddSheet(std::u16string name);
    std::size_t SheetCount() const { return sheets_.size(); }

    // The "Workbook" stream of the model: globals, then the sheets in order.
    std::string WorkbookStream();

    // Writes the workbook to file whole, replacing any file of that name
    // only once the new one is complete. Throws lognex::Error "Filename is
    // missing" for an empty name, and with the system's text when the file
    // cannot be written; an earlier file is then left as it was.
    void Save(const std::filesystem::path& file);

    const FontPool& Fonts() const { return fonts_; }
    const CellFormatPool& Formats() const { return formats_; }
    const SharedStringTable& Strings() const { return strings_; }
    Worksheet& Sheet() { return *sheets_.back(); }  // the current sheet
    Worksheet& SheetAt(std::size_t index) { return *sheets_.at(index); }

private:
    void SetCellFont(Cell& cell, const Font& wanted);

    FontPool fonts_;
    CellFormatPool formats_;
    std::vector<NumberFormat> numberFormats_;
    SharedStringTable strings_;
    std::vector<std::unique_ptr<Worksheet>> sheets_;  // never empty
    std::vector<BiffRecord> globals_;
};

}  // namespace lognex
