// The one sheet of the workbook: its cells, columns and merged areas, and the
// writer of its substream.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "xls/cell_formats.h"
#include "xls/record_stream.h"
#include "xls/shared_strings.h"

namespace lognex {

constexpr int kMaxColumn = 255;
constexpr int kMaxRow = 65535;
constexpr int kMaxRowHeight = 8190;  // twentieths of a point

// A text cell. Its place is the row it is filed under and its column.
struct Cell {
    std::uint8_t column = 0;
    CellFormat* format = nullptr;
    const SharedString* text = nullptr;
};

// A column set apart from the default; every column this program creates
// carries the default cell format, so the entry holds no format of its own.
struct ColumnEntry {
    std::uint16_t width = 0;  // 1/256 of a character of the default font
    bool hidden = false;
    std::uint8_t outlineLevel = 0;
    bool collapsed = false;

    bool operator==(const ColumnEntry&) const = default;
};

// A row set apart from the default height.
struct RowEntry {
    std::uint16_t height = 0;   // twentieths of a point
    std::uint16_t options = 0;  // the ROW record's option flags
};

// A rectangle of merged cells (TCellArea), corners included.
struct CellArea {
    std::uint16_t col1 = 0, row1 = 0, col2 = 0, row2 = 0;
};

class Worksheet {
public:
    explicit Worksheet(std::u16string name);

    const std::u16string& Name() const { return name_; }

    // The cell at (column, row), or null. Both must be inside the sheet.
    Cell* Find(int column, int row);
    // The cell at (column, row), created with format when there is none.
    Cell& FindOrAdd(int column, int row, CellFormat* format);

    // Calls visit(cell) for each cell in the rectangle, column by column and
    // within a column row by row; the order decides which format numbers
    // the cells' formats get. Corners must be inside the sheet.
    template <typename Visit>
    void ForEachInRange(int firstColumn, int firstRow, int lastColumn, int lastRow, Visit visit) {
        const int rowEnd = std::min<int>(lastRow, static_cast<int>(rows_.size()) - 1);
        for (int column = firstColumn; column <= lastColumn; ++column) {
            for (int row = firstRow; row <= rowEnd; ++row) {
                if (Cell* cell = Find(column, row)) visit(*cell);
            }
        }
    }

    std::optional<ColumnEntry>& Column(int column) { return columns_.at(static_cast<std::size_t>(column)); }
    std::vector<CellArea>& MergedAreas() { return mergedAreas_; }
    // Rows with attributes of their own, by row number.
    std::map<int, RowEntry>& RowEntries() { return rowEntries_; }

    // Marks the sheet as the selected one in its window settings; the mark
    // stays for every later save.
    void Select();

    // Writes the sheet's substream, its BOF at the current stream position.
    // The shared strings must be numbered and defaultFormat is the format
    // columns refer to.
    void Write(RecordStream& stream, const CellFormat& defaultFormat) const;

private:
    void WriteColumns(RecordStream& stream, const CellFormat& defaultFormat) const;
    void WriteDimensions(RecordStream& stream) const;
    void WriteRows(RecordStream& stream, const CellFormat& defaultFormat) const;
    void WriteCells(RecordStream& stream) const;
    void WriteMergedAreas(RecordStream& stream) const;

    std::u16string name_;
    // Cells by row, each row's cells sorted by column.
    std::vector<std::vector<Cell>> rows_;
    std::array<std::optional<ColumnEntry>, kMaxColumn + 1> columns_;
    std::map<int, RowEntry> rowEntries_;
    std::vector<CellArea> mergedAreas_;
    std::vector<BiffRecord> template_;
};

}  // namespace lognex
