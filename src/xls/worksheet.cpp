#include "xls/worksheet.h"

#include <algorithm>

#include "xls/little_endian.h"

namespace lognex {
namespace {

// Placeholders in the template list for records generated at save time.
constexpr std::uint16_t kPageBreaks = 0x8101;
constexpr std::uint16_t kHeaderFooter = 0x8102;
constexpr std::uint16_t kMargins = 0x8103;
constexpr std::uint16_t kColumnInfo = 0x8104;
constexpr std::uint16_t kRowsAndCells = 0x8105;
constexpr std::uint16_t kSheetContent = 0x8106;

constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kHeader = 0x0014;
constexpr std::uint16_t kFooter = 0x0015;

constexpr unsigned kWindow2Selected = 0x0200;
constexpr std::size_t kMaxMergedAreasPerRecord = 1027;

using biff::Record;

// The sheet's records in file order, with the values of this program's
// settings already in place: gridlines, headings and zeros shown; automatic
// breaks, summary rows below and columns right, outline symbols; portrait
// letter paper at 100 %; default column width 9, row height 13; automatic
// calculation, 100 iterations, A1 references.
std::vector<BiffRecord> SheetTemplate() {
    std::vector<BiffRecord> list;
    list.push_back(biff::Bof(0x0010));
    list.push_back(Record(0x000D, {1}));    // CALCMODE: automatic
    list.push_back(Record(0x000C, {100}));  // CALCCOUNT
    list.push_back(Record(0x000F, {1}));    // REFMODE: A1
    list.push_back(Record(0x0011, {0}));    // ITERATION
    BiffRecord delta{0x0010, {}};           // DELTA
    PutDouble(delta.data, 0.001);
    list.push_back(delta);
    list.push_back(Record(0x005F, {1}));           // SAVERECALC
    list.push_back(Record(0x002B, {0}));           // PRINTGRIDLINES
    list.push_back(Record(0x002A, {0}));           // PRINTHEADERS
    list.push_back(Record(0x0082, {1}));           // GRIDSET
    list.push_back(Record(0x0080, {0, 0, 0, 0}));  // GUTS
    list.push_back(Record(0x0225, {0, 260}));      // DEFAULTROWHEIGHT: 13 pt in twentieths of a point
    list.push_back(Record(0x0081, {0x04C1}));      // WSBOOL
    list.push_back({kPageBreaks, {}});
    list.push_back({kHeaderFooter, {}});
    list.push_back({kMargins, {}});
    list.push_back(Record(0x0083, {0}));  // HCENTER
    list.push_back(Record(0x0084, {0}));  // VCENTER
    // SETUP: paper, scale, first page, fit width, fit height, flags (portrait), resolutions.
    BiffRecord setup = Record(0x00A1, {1, 100, 1, 1, 1, 0x0002, 0, 0});
    PutDouble(setup.data, 0.5);  // header margin
    PutDouble(setup.data, 0.5);  // footer margin
    PutU16(setup.data, 0);       // copies
    list.push_back(setup);
    list.push_back(Record(0x0012, {0}));  // PROTECT
    list.push_back(Record(0x0055, {9}));  // DEFCOLWIDTH
    list.push_back({kColumnInfo, {}});
    // Readers size the cell table from DIMENSIONS, so it comes before the cells.
    list.push_back({kDimensions, {}});
    list.push_back({kRowsAndCells, {}});
    list.push_back({kSheetContent, {}});
    BiffRecord window2 = Record(kWindow2, {0x04B6, 0, 0});
    PutU32(window2.data, 64);  // gridline colour
    PutU16(window2.data, 0);   // page-break-preview zoom
    PutU16(window2.data, 0);   // normal zoom
    PutU32(window2.data, 0);
    list.push_back(window2);
    // SELECTION: pane 3, cell B2, one area B2:B2.
    BiffRecord selection{0x001D, {}};
    PutU8(selection.data, 3);
    for (unsigned field : {1, 1, 0, 1, 1, 1}) PutU16(selection.data, field);
    PutU8(selection.data, 1);
    PutU8(selection.data, 1);
    list.push_back(selection);
    list.push_back({0x000A, {}});  // EOF
    return list;
}

}  // namespace

Worksheet::Worksheet(std::u16string name) : name_(std::move(name)), template_(SheetTemplate()) {}

Cell* Worksheet::Find(int column, int row) {
    if (static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
    std::vector<Cell>& cells = rows_[static_cast<std::size_t>(row)];
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const Cell& cell, int wanted) { return cell.column < wanted; });
    return it != cells.end() && it->column == column ? &*it : nullptr;
}

Cell& Worksheet::FindOrAdd(int column, int row, CellFormat* format) {
    if (static_cast<std::size_t>(row) >= rows_.size()) rows_.resize(static_cast<std::size_t>(row) + 1);
    std::vector<Cell>& cells = rows_[static_cast<std::size_t>(row)];
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const Cell& cell, int wanted) { return cell.column < wanted; });
    if (it != cells.end() && it->column == column) return *it;
    return *cells.insert(it, Cell{static_cast<std::uint8_t>(column), format, nullptr});
}

void Worksheet::Select() {
    for (BiffRecord& record : template_) {
        if (record.number == kWindow2) SetU16(record.data, 0, LoadLittleEndian<2>(record.data, 0) | kWindow2Selected);
    }
}

void Worksheet::Write(RecordStream& stream, const CellFormat& defaultFormat) const {
    for (const BiffRecord& record : template_) {
        switch (record.number) {
            case kPageBreaks:
            case kMargins:
                // No page breaks, and every margin is left to the printer.
                break;
            case kHeaderFooter:
                stream.WriteRecord(kHeader, {});
                stream.WriteRecord(kFooter, {});
                break;
            case kColumnInfo: WriteColumns(stream, defaultFormat); break;
            case kDimensions: WriteDimensions(stream); break;
            case kRowsAndCells:
                WriteRows(stream, defaultFormat);
                WriteCells(stream);
                break;
            case kSheetContent: WriteMergedAreas(stream); break;
            default: stream.WriteRecord(record.number, record.data);
        }
    }
}

void Worksheet::WriteColumns(RecordStream& stream, const CellFormat& defaultFormat) const {
    std::size_t column = 0;
    while (column < columns_.size()) {
        if (!columns_[column]) {
            ++column;
            continue;
        }
        const ColumnEntry& first = *columns_[column];
        std::size_t last = column;
        while (last + 1 < columns_.size() && columns_[last + 1] == first) ++last;
        std::vector<std::uint8_t> data;
        PutU16(data, static_cast<unsigned>(column));
        PutU16(data, static_cast<unsigned>(last));
        PutU16(data, first.width);
        PutU16(data, defaultFormat.number);
        PutU16(data,
               (first.hidden ? 0x0001u : 0u) | (first.outlineLevel & 0x07u) << 8 | (first.collapsed ? 0x1000u : 0u));
        PutU16(data, 0);
        stream.WriteRecord(kColInfo, data);
        column = last + 1;
    }
}

void Worksheet::WriteDimensions(RecordStream& stream) const {
    std::uint32_t firstRow = 0, lastRow = 0;
    unsigned firstColumn = 0, lastColumn = 0;
    bool any = false;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const std::vector<Cell>& cells = rows_[row];
        if (cells.empty()) continue;
        if (!any) {
            firstRow = static_cast<std::uint32_t>(row);
            firstColumn = cells.front().column;
            lastColumn = cells.back().column;
            any = true;
        }
        lastRow = static_cast<std::uint32_t>(row);
        firstColumn = std::min<unsigned>(firstColumn, cells.front().column);
        lastColumn = std::max<unsigned>(lastColumn, cells.back().column);
    }
    std::vector<std::uint8_t> data;
    PutU32(data, firstRow);
    PutU32(data, any ? lastRow + 1 : 0);
    PutU16(data, firstColumn);
    PutU16(data, any ? lastColumn + 1 : 0);
    PutU16(data, 0);
    stream.WriteRecord(kDimensions, data);
}

void Worksheet::WriteRows(RecordStream& stream, const CellFormat& defaultFormat) const {
    for (const auto& [row, entry] : rowEntries_) {
        const std::size_t index = static_cast<std::size_t>(row);
        const bool hasCells = index < rows_.size() && !rows_[index].empty();
        std::vector<std::uint8_t> data;
        PutU16(data, static_cast<unsigned>(row));
        PutU16(data, hasCells ? rows_[index].front().column : 0u);
        PutU16(data, hasCells ? rows_[index].back().column + 1u : 0u);
        PutU16(data, entry.height);
        PutU16(data, 0);
        PutU16(data, 0);
        PutU16(data, entry.options);
        PutU16(data, defaultFormat.number);
        stream.WriteRecord(kRow, data);
    }
}

void Worksheet::WriteCells(RecordStream& stream) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        for (const Cell& cell : rows_[row]) {
            stream.WriteU16(kLabelSst);
            stream.WriteU16(10);
            stream.WriteU16(static_cast<unsigned>(row));
            stream.WriteU16(cell.column);
            stream.WriteU16(cell.format->number);
            stream.WriteU32(cell.text->number);
        }
    }
}

void Worksheet::WriteMergedAreas(RecordStream& stream) const {
    for (std::size_t first = 0; first < mergedAreas_.size(); first += kMaxMergedAreasPerRecord) {
        const std::size_t count = std::min(kMaxMergedAreasPerRecord, mergedAreas_.size() - first);
        std::vector<std::uint8_t> data;
        data.reserve(2 + 8 * count);
        PutU16(data, static_cast<unsigned>(count));
        for (std::size_t i = first; i < first + count; ++i) {
            const CellArea& area = mergedAreas_[i];
            for (unsigned field : {area.row1, area.row2, area.col1, area.col2}) PutU16(data, field);
        }
        stream.WriteRecord(kMergedCells, data);
    }
}

}  // namespace lognex
