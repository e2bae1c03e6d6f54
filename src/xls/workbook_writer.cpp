#include "xls/workbook_writer.h"

#include <system_error>

#include "support/error.h"
#include "support/file_io.h"
#include "xls/compound_file.h"
#include "xls/workbook_globals.h"

namespace lognex {
namespace {

void CheckPlace(int column, int row) {
    if (column < 0 || column > kMaxColumn || row < 0 || row > kMaxRow) {
        throw Error("Cell (" + std::to_string(column) + ", " + std::to_string(row) + ") is outside the sheet");
    }
}

// A rectangle clipped to the sheet; empty when the corners are swapped.
struct Range {
    int firstColumn, firstRow, lastColumn, lastRow;
};

Range ClipRange(int firstColumn, int firstRow, int lastColumn, int lastRow) {
    return {std::max(firstColumn, 0), std::max(firstRow, 0), std::min(lastColumn, kMaxColumn),
            std::min(lastRow, kMaxRow)};
}

}  // namespace

WorkbookWriter::WorkbookWriter() : numberFormats_(BuiltInNumberFormats()), globals_(GlobalsTemplate()) {
    sheets_.push_back(std::make_unique<Worksheet>(u"Sheet1"));
}

void WorkbookWriter::AddSheet(std::u16string name) { sheets_.push_back(std::make_unique<Worksheet>(std::move(name))); }

void WorkbookWriter::SetColumnWidth(int firstColumn, int lastColumn, int width) {
    if (lastColumn < firstColumn || firstColumn < 0 || lastColumn > kMaxColumn) throw Error("Invalid columns");
    if (width < 0 || width > 0xFFFF) throw Error("Invalid column width");
    for (int column = firstColumn; column <= lastColumn; ++column) {
        std::optional<ColumnEntry>& entry = Sheet().Column(column);
        if (width == kDefaultColumnWidthMark) {
            // Nothing else about a column is ever set, so it is default again.
            entry.reset();
        } else {
            if (!entry) entry.emplace();
            entry->width = static_cast<std::uint16_t>(width);
        }
    }
}

void WorkbookWriter::SetCellText(int column, int row, std::u16string_view text) {
    CheckPlace(column, row);
    const SharedString* entry = strings_.Add(text);
    Sheet().FindOrAdd(column, row, formats_.Default()).text = entry;
}

void WorkbookWriter::SetRangeAlignment(int firstColumn, int firstRow, int lastColumn, int lastRow, unsigned horizontal,
                                       unsigned vertical) {
    const Range range = ClipRange(firstColumn, firstRow, lastColumn, lastRow);
    Sheet().ForEachInRange(range.firstColumn, range.firstRow, range.lastColumn, range.lastRow, [&](Cell& cell) {
        cell.format = formats_.Change(cell.format, FormatAttribute::HorizontalAlignment, horizontal, false);
        cell.format = formats_.Change(cell.format, FormatAttribute::VerticalAlignment, vertical, false);
    });
}

void WorkbookWriter::SetCellFontStyle(int column, int row, std::uint8_t style) {
    CheckPlace(column, row);
    Cell* cell = Sheet().Find(column, row);
    if (cell == nullptr) return;
    const Font& current = fonts_.At(static_cast<std::uint16_t>(XfFont(cell->format->bytes)));
    style &= kFontBold | kFontItalic | kFontStrikeout;
    if (current.style == style) return;
    Font wanted = current;
    wanted.style = style;
    SetCellFont(*cell, wanted);
}

void WorkbookWriter::SetRangeFont(int firstColumn, int firstRow, int lastColumn, int lastRow, std::u16string_view name,
                                  int size) {
    if (name.size() > 255) throw Error("Invalid font name");
    if (size < 1 || size > 409) throw Error("Invalid font size " + std::to_string(size));
    Font wanted;
    wanted.name = name;
    wanted.height = size * 20;
    wanted.characterSet = 1;
    const Range range = ClipRange(firstColumn, firstRow, lastColumn, lastRow);
    Sheet().ForEachInRange(range.firstColumn, range.firstRow, range.lastColumn, range.lastRow,
                           [&](Cell& cell) { SetCellFont(cell, wanted); });
}

void WorkbookWriter::SetCellFont(Cell& cell, const Font& wanted) {
    const std::uint16_t number = fonts_.Find(wanted);
    // Even an unchanged font number goes through the pool: a format only this
    // cell uses leaves it and comes back as the last one.
    cell.format = formats_.Change(cell.format, FormatAttribute::Font, number, true);
}

void WorkbookWriter::AddMergedArea(const CellArea& area) {
    CheckPlace(area.col1, area.row1);
    CheckPlace(area.col2, area.row2);
    Sheet().MergedAreas().push_back(area);
}

std::string WorkbookWriter::WorkbookStream() {
    sheets_.front()->Select();
    std::vector<std::u16string> names;
    for (const auto& sheet : sheets_) names.push_back(sheet->Name());
    RecordStream stream;
    const std::vector<std::size_t> sheetOffsetFields =
        WriteGlobals(stream, globals_, {fonts_, numberFormats_, formats_, strings_, names});
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        stream.PatchU32(sheetOffsetFields[i], static_cast<std::uint32_t>(stream.Position()));
        sheets_[i]->Write(stream, *formats_.Default());
    }
    return stream.TakeBytes();
}

void WorkbookWriter::Save(const std::filesystem::path& file) {
    if (file.empty()) throw Error("Filename is missing");
    const std::string bytes = BuildCompoundFile(u"Workbook", WorkbookStream());
    try {
        WriteFileWhole(file, bytes);
    } catch (const std::system_error& failure) {
        throw Error(SystemErrorText(failure.code().value()));
    }
}

}  // namespace lognex
