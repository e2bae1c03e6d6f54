// The writer's operations seen through the records they produce.
#include <gtest/gtest.h>

#include <array>

#include "common/failure_message.h"
#include "support/error.h"
#include "xls/byte_builder.h"
#include "xls/workbook_writer.h"

namespace lognex {
namespace {

using test::FoundRecord;
using test::Read16;
using test::Read32;

std::vector<FoundRecord> SheetRecords(WorkbookWriter& xls, std::uint16_t number) {
    std::vector<FoundRecord> found;
    for (FoundRecord& record : test::SplitRecords(xls.WorkbookStream())) {
        if (record.number == number) found.push_back(std::move(record));
    }
    return found;
}

// (first column, last column, width) of each COLINFO record.
std::vector<std::array<unsigned, 3>> ColumnRuns(WorkbookWriter& xls) {
    std::vector<std::array<unsigned, 3>> runs;
    for (const FoundRecord& record : SheetRecords(xls, 0x007D)) {
        runs.push_back({Read16(record.data, 0), Read16(record.data, 2), Read16(record.data, 4)});
        EXPECT_EQ(Read16(record.data, 6), 15);
    }
    return runs;
}

TEST(WorkbookWriter, ColumnWidthsFormRunsAndTheDefaultMarkRemovesAColumn) {
    struct Case {
        const char* what;
        std::vector<std::array<int, 3>> calls;
        std::vector<std::array<unsigned, 3>> runs;
    };
    const Case cases[] = {
        {"equal neighbours share a record", {{0, 1, 2505}, {2, 2, 30000}}, {{0, 1, 2505}, {2, 2, 30000}}},
        {"2500 leaves no record", {{0, 2, 2505}, {1, 1, 2500}}, {{0, 0, 2505}, {2, 2, 2505}}},
        {"2500 alone writes nothing", {{3, 3, 2500}}, {}},
        {"last column", {{254, 255, 100}}, {{254, 255, 100}}},
    };
    for (const Case& test : cases) {
        WorkbookWriter xls;
        for (const auto& [first, last, width] : test.calls) xls.SetColumnWidth(first, last, width);
        EXPECT_EQ(ColumnRuns(xls), test.runs) << test.what;
    }
}

// "\x10", "\x01\x00" and "\x00\x10" share the hash 0x10; with "Z" above them
// the table's binary search passes the first text by when it comes again,
// so it is stored twice and its second cell points at the new entry.
TEST(WorkbookWriter, CellsPointAtTheEntriesTheBinarySearchFinds) {
    WorkbookWriter xls;
    const std::u16string texts[] = {u"Z", u"\x10", std::u16string(u"\x01\x00", 2), std::u16string(u"\x00\x10", 2),
                                    u"\x10"};
    for (int row = 0; row < 5; ++row) xls.SetCellText(0, row, texts[row]);
    const std::vector<FoundRecord> sst = SheetRecords(xls, 0x00FC);
    ASSERT_EQ(sst.size(), 1u);
    EXPECT_EQ(Read32(sst[0].data, 0), 5u);
    EXPECT_EQ(Read32(sst[0].data, 4), 5u) << "the repeated text is a new entry";
    std::vector<unsigned> numbers;
    for (const FoundRecord& cell : SheetRecords(xls, 0x00FD)) numbers.push_back(Read32(cell.data, 6));
    EXPECT_EQ(numbers, (std::vector<unsigned>{4, 0, 1, 2, 3}));
}

TEST(WorkbookWriter, InvalidColumnsAreRefused) {
    WorkbookWriter xls;
    for (const auto& [first, last] : {std::pair{2, 1}, {-1, 0}, {0, 256}}) {
        EXPECT_EQ(testing::FailureOf([&] { xls.SetColumnWidth(first, last, 3000); }), "Invalid columns")
            << first << ".." << last;
    }
}

// A ROW record per row with a height of its own, in row order, all before
// the first cell; its columns are the row's cells' range.
TEST(WorkbookWriter, RowHeightsComeBeforeTheCellsInRowOrder) {
    WorkbookWriter xls;
    xls.SetCellText(4, 3, u"x");
    xls.SetCellText(2, 3, u"x");
    xls.SetCellText(0, 0, u"x");
    xls.SetRowHeight(3, 8190);
    xls.SetRowHeight(1, 0);  // a row without cells
    xls.SetRowHeight(3, 300);
    const std::vector<FoundRecord> records = test::SplitRecords(xls.WorkbookStream());
    std::vector<std::array<unsigned, 8>> rows;
    std::size_t lastRow = 0, firstCell = records.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string& data = records[i].data;
        if (records[i].number == 0x00FD) firstCell = std::min(firstCell, i);
        if (records[i].number != 0x0208) continue;
        ASSERT_EQ(data.size(), 16u);
        std::array<unsigned, 8> fields{};
        for (std::size_t f = 0; f < fields.size(); ++f) fields[f] = Read16(data, 2 * f);
        rows.push_back(fields);
        lastRow = i;
    }
    EXPECT_EQ(rows,
              (std::vector<std::array<unsigned, 8>>{{1, 0, 0, 0, 0, 0, 0x0140, 15}, {3, 2, 5, 300, 0, 0, 0x0140, 15}}));
    EXPECT_EQ(lastRow + 1, firstCell);

    EXPECT_EQ(testing::FailureOf([&] { xls.SetRowHeight(65536, 300); }), "Invalid row");
    EXPECT_EQ(testing::FailureOf([&] { xls.SetRowHeight(-1, 300); }), "Invalid row");
    EXPECT_EQ(testing::FailureOf([&] { xls.SetRowHeight(0, 8191); }), "Invalid row height");
    EXPECT_EQ(testing::FailureOf([&] { xls.SetRowHeight(0, -1); }), "Invalid row height");
}

TEST(WorkbookWriter, DimensionsPrecedeTheCellsAndSpanTheUsedRange) {
    struct Case {
        std::vector<std::pair<int, int>> cells;  // (column, row)
        std::array<unsigned, 5> dimensions;      // first row, last row + 1, first column, last column + 1, 0
    };
    const Case cases[] = {
        {{}, {0, 0, 0, 0, 0}},
        {{{4, 7}}, {7, 8, 4, 5, 0}},
        {{{3, 2}, {1, 9}, {255, 65535}}, {2, 65536, 1, 256, 0}},
    };
    for (const Case& test : cases) {
        WorkbookWriter xls;
        for (const auto& [column, row] : test.cells) xls.SetCellText(column, row, u"x");
        const std::vector<FoundRecord> records = test::SplitRecords(xls.WorkbookStream());
        std::size_t dimensions = 0;
        while (records[dimensions].number != 0x0200) ++dimensions;
        const std::string& data = records[dimensions].data;
        EXPECT_EQ((std::array<unsigned, 5>{Read32(data, 0), Read32(data, 4), Read16(data, 8), Read16(data, 10),
                                           Read16(data, 12)}),
                  test.dimensions);
        std::size_t cells = 0;
        for (std::size_t i = dimensions + 1; i < records.size() && records[i].number == 0x00FD; ++i) ++cells;
        EXPECT_EQ(cells, test.cells.size()) << "every cell record follows DIMENSIONS directly";
    }
}

TEST(WorkbookWriter, CellsAreWrittenRowByRowThenColumnByColumn) {
    WorkbookWriter xls;
    xls.SetCellText(2, 1, u"c");
    xls.SetCellText(0, 1, u"a");
    xls.SetCellText(1, 0, u"b");
    std::vector<std::pair<unsigned, unsigned>> places;
    for (const FoundRecord& record : SheetRecords(xls, 0x00FD))
        places.emplace_back(Read16(record.data, 0), Read16(record.data, 2));
    EXPECT_EQ(places, (std::vector<std::pair<unsigned, unsigned>>{{0, 1}, {1, 0}, {1, 2}}));
}

TEST(WorkbookWriter, ReplacedCellKeepsItsFormatAndOldTextStaysShared) {
    WorkbookWriter xls;
    xls.SetCellText(0, 0, u"old");
    xls.SetRangeAlignment(0, 0, 0, 0, kHorizontalCentre, kVerticalCentre);
    xls.SetCellText(0, 0, u"new");
    xls.SetRangeAlignment(0, 1, 5, 9, kHorizontalCentre, kVerticalCentre);  // no cells there: none made
    const std::vector<FoundRecord> cells = SheetRecords(xls, 0x00FD);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(Read16(cells[0].data, 4), 21);
    EXPECT_EQ(xls.Strings().UniqueCount(), 2u);
    EXPECT_EQ(xls.Strings().TotalCount(), 2u);
}

TEST(WorkbookWriter, MergedAreasSplitAt1027PerRecord) {
    WorkbookWriter xls;
    for (std::uint16_t i = 0; i < 2000; ++i) xls.AddMergedArea({0, i, 1, i});
    const std::vector<FoundRecord> records = SheetRecords(xls, 0x00E5);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(Read16(records[0].data, 0), 1027);
    EXPECT_EQ(records[0].data.size(), 2u + 8 * 1027);
    EXPECT_EQ(Read16(records[1].data, 0), 973);
    EXPECT_EQ(records[1].data.size(), 2u + 8 * 973);
    // The second record goes on with area 1027: rows 1027..1027, columns 0..1.
    EXPECT_EQ(Read16(records[1].data, 2), 1027);
    EXPECT_EQ(Read16(records[1].data, 4), 1027);
    EXPECT_EQ(Read16(records[1].data, 8), 1);
}

// The number each format has, from the pool's point of view.
std::vector<unsigned> AddedFormatFonts(const WorkbookWriter& xls) {
    std::vector<unsigned> fonts;
    for (std::size_t i = 21; i < xls.Formats().Formats().size(); ++i)
        fonts.push_back(XfFont(xls.Formats().Formats()[i]->bytes));
    return fonts;
}

TEST(WorkbookWriter, FormatPoolSharesEqualFormatsAndDropsUnusedOnes) {
    WorkbookWriter xls;
    xls.SetCellText(0, 0, u"title");
    xls.SetCellText(0, 1, u"bold");
    xls.SetRangeFont(0, 0, 0, 0, u"Arial", 18);  // format 21, font 5
    xls.SetCellFontStyle(0, 1, kFontBold);       // format 22, font 6
    EXPECT_EQ(AddedFormatFonts(xls), (std::vector<unsigned>{5, 6}));

    xls.SetCellFontStyle(0, 1, kFontBold);                                   // same style: nothing changes
    xls.SetRangeAlignment(0, 1, 0, 1, kHorizontalGeneral, kVerticalBottom);  // already so: nothing changes
    EXPECT_EQ(AddedFormatFonts(xls), (std::vector<unsigned>{5, 6}));

    // The same font again: the title's format, used only by it, leaves the
    // pool and comes back last with the same bytes.
    xls.SetRangeFont(0, 0, 0, 0, u"ARIAL", 18);
    EXPECT_EQ(AddedFormatFonts(xls), (std::vector<unsigned>{6, 5}));
    EXPECT_EQ(xls.Fonts().Fonts().size(), 7u);

    // Back to the default bytes: the bold format is no longer used and goes.
    xls.SetCellFontStyle(0, 1, 0);
    EXPECT_EQ(AddedFormatFonts(xls), (std::vector<unsigned>{5}));
}

TEST(WorkbookWriter, DefaultFontsAreWrittenWithoutFontFour) {
    WorkbookWriter xls;
    xls.SetCellText(0, 0, u"plain");
    EXPECT_EQ(SheetRecords(xls, 0x0031).size(), 4u);
    EXPECT_EQ(SheetRecords(xls, 0x00E0).size(), 21u);
}

TEST(WorkbookWriter, PlacesOutsideTheSheetAreRefused) {
    WorkbookWriter xls;
    EXPECT_THROW(xls.SetCellText(256, 0, u"x"), Error);
    EXPECT_THROW(xls.SetCellText(0, 65536, u"x"), Error);
    EXPECT_THROW(xls.SetCellText(-1, 0, u"x"), Error);
    EXPECT_THROW(xls.SetRangeFont(0, 0, 0, 0, u"Arial", 0), Error);
}

}  // namespace
}  // namespace lognex
