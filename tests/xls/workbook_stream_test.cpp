// The whole "Workbook" stream of the export, compared byte for byte with a
// stream assembled here from the record layouts.
#include <gtest/gtest.h>

#include "support/error.h"
#include "xls/byte_builder.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

using test::Bytes;

struct ExpectedCell {
    unsigned row, column, format, string;
};

struct ExpectedExport {
    std::vector<std::u16string> strings;  // in table order
    unsigned totalCount;
    std::vector<Bytes> addedFormats;  // formats 21 onward
    std::vector<ExpectedCell> cells;  // in row-major order
    unsigned rowsUsed;
};

Bytes Xf(unsigned font, unsigned numberFormat, unsigned protection, unsigned alignment, unsigned attributes) {
    return Bytes()
        .U16(font)
        .U16(numberFormat)
        .U16(protection)
        .U16(alignment)
        .U16(attributes)
        .Fill(8, 0)
        .U8(0xC0)
        .U8(0x20);
}

Bytes ArialFont(unsigned height, unsigned flags, unsigned weight, unsigned characterSet) {
    return Bytes()
        .U16(height)
        .U16(flags)
        .U16(8)
        .U16(weight)
        .U16(0)
        .U8(0)
        .U8(2)
        .U8(characterSet)
        .U8(0)
        .U8(5)
        .U8(1)
        .Utf16(u"Arial");
}

bool NeedsUtf16(const std::u16string& text) {
    for (char16_t c : text) {
        if (c > 0xFF) return true;
    }
    return false;
}

std::string ExpectedStream(const ExpectedExport& x) {
    Bytes s;
    s.Record(0x0809, Bytes().U16(0x0600).U16(0x0005).U16(6319).U16(1997).U32(0x80C9).U32(0x106));
    s.Record(0x005C, Bytes().U16(0).U8(0).Fill(109, 0x20));
    s.Record(0x0042, Bytes().U16(1200));
    s.Record(0x0161, Bytes().U16(0));
    s.Record(0x013D, Bytes().U16(1));
    s.Record(0x009C, Bytes().U16(14));
    s.Record(0x0019, Bytes().U16(0));
    s.Record(0x0012, Bytes().U16(0));
    s.Record(0x0013, Bytes().U16(0));
    s.Record(0x01AF, Bytes().U16(0));
    s.Record(0x003D, Bytes().U16(100).U16(100).U16(10000).U16(7000).U16(0x0038).U16(0).U16(0).U16(1).U16(600));
    s.Record(0x0040, Bytes().U16(0));
    s.Record(0x008D, Bytes().U16(0));
    s.Record(0x0022, Bytes().U16(0));
    s.Record(0x000E, Bytes().U16(1));
    s.Record(0x01B7, Bytes().U16(0));
    s.Record(0x00DA, Bytes().U16(0));
    for (int i = 0; i < 4; ++i) s.Record(0x0031, ArialFont(200, 0, 400, 0));
    s.Record(0x0031, ArialFont(200, 0x0002, 400, 0));  // 5: italic
    s.Record(0x0031, ArialFont(200, 0, 700, 0));       // 6: bold
    s.Record(0x0031, ArialFont(360, 0, 400, 1));       // 7: the title
    const std::pair<unsigned, std::u16string> numberFormats[] = {
        {9, u"0%"},
        {42, u"_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)"},
        {43, u"_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)"},
        {44, u"_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)"},
        {45, u"mm:ss"}};
    for (const auto& [number, text] : numberFormats) {
        s.Record(0x041E, Bytes().U16(number).U16(static_cast<unsigned>(text.size())).U8(1).Utf16(text));
    }
    s.Record(0x00E0, Xf(0, 0, 0xFFF5, 0x0020, 0x0000));
    for (unsigned font : {1, 1, 2, 2}) s.Record(0x00E0, Xf(font, 0, 0xFFF5, 0x0020, 0xF400));
    for (int i = 5; i <= 14; ++i) s.Record(0x00E0, Xf(0, 0, 0xFFF5, 0x0020, 0xF400));
    s.Record(0x00E0, Xf(0, 0, 0x0001, 0x0020, 0x0000));
    for (unsigned numberFormat : {42, 43, 44, 45, 9}) s.Record(0x00E0, Xf(0, numberFormat, 0xFFF5, 0x0020, 0x0000));
    for (const Bytes& xf : x.addedFormats) s.Record(0x00E0, xf);
    for (unsigned style : {0xFF038010u, 0xFF068011u, 0xFF048012u, 0xFF078013u, 0xFF008000u, 0xFF058014u}) {
        s.Record(0x0293, Bytes().U32(style));
    }
    const std::size_t sheetOffset = s.Size() + 4;
    s.Record(0x0085, Bytes().U32(0).U16(0).U8(6).U8(1).Utf16(u"Sheet1"));
    s.Record(0x008C, Bytes().U16(1).U16(46));
    s.Record(0x01C1, Bytes().U16(0x01C1).U16(0).U32(0x00FFFFFF));

    // SST (one record here), then EXTSST with a bucket every eight strings.
    const std::size_t sstHeader = s.Size();
    Bytes sst;
    sst.U32(x.totalCount).U32(static_cast<std::uint32_t>(x.strings.size()));
    std::vector<std::size_t> bucketOffsets;
    for (std::size_t i = 0; i < x.strings.size(); ++i) {
        if (i % 8 == 0) bucketOffsets.push_back(4 + sst.Size());
        const std::u16string& text = x.strings[i];
        sst.U16(static_cast<unsigned>(text.size()));
        if (NeedsUtf16(text))
            sst.U8(1).Utf16(text);
        else
            sst.U8(0).Latin1(text);
    }
    s.Record(0x00FC, sst);
    Bytes extSst;
    extSst.U16(8);
    for (std::size_t offset : bucketOffsets)
        extSst.U32(static_cast<std::uint32_t>(sstHeader + offset)).U16(static_cast<unsigned>(offset)).U16(0);
    s.Record(0x00FF, extSst);
    s.Record(0x000A, Bytes());

    s.Patch32(sheetOffset, static_cast<std::uint32_t>(s.Size()));
    s.Record(0x0809, Bytes().U16(0x0600).U16(0x0010).U16(6319).U16(1997).U32(0x80C9).U32(0x106));
    s.Record(0x000D, Bytes().U16(1));
    s.Record(0x000C, Bytes().U16(100));
    s.Record(0x000F, Bytes().U16(1));
    s.Record(0x0011, Bytes().U16(0));
    s.Record(0x0010, Bytes().F64(0.001));
    s.Record(0x005F, Bytes().U16(1));
    s.Record(0x002B, Bytes().U16(0));
    s.Record(0x002A, Bytes().U16(0));
    s.Record(0x0082, Bytes().U16(1));
    s.Record(0x0080, Bytes().U16(0).U16(0).U16(0).U16(0));
    s.Record(0x0225, Bytes().U16(0).U16(260));
    s.Record(0x0081, Bytes().U16(0x04C1));
    s.Record(0x0014, Bytes());
    s.Record(0x0015, Bytes());
    s.Record(0x0083, Bytes().U16(0));
    s.Record(0x0084, Bytes().U16(0));
    s.Record(0x00A1, Bytes().U16(1).U16(100).U16(1).U16(1).U16(1).U16(0x0002).U16(0).U16(0).F64(0.5).F64(0.5).U16(0));
    s.Record(0x0012, Bytes().U16(0));
    s.Record(0x0055, Bytes().U16(9));
    s.Record(0x007D, Bytes().U16(0).U16(1).U16(2505).U16(15).U16(0).U16(0));
    s.Record(0x007D, Bytes().U16(2).U16(2).U16(30000).U16(15).U16(0).U16(0));
    s.Record(0x0200, Bytes().U32(0).U32(x.rowsUsed).U16(0).U16(3).U16(0));
    for (const ExpectedCell& cell : x.cells) {
        s.Record(0x00FD, Bytes().U16(cell.row).U16(cell.column).U16(cell.format).U32(cell.string));
    }
    s.Record(0x00E5, Bytes().U16(1).U16(0).U16(0).U16(0).U16(2));
    s.Record(0x023E, Bytes().U16(0x06B6).U16(0).U16(0).U32(64).U16(0).U16(0).U32(0));
    s.Record(0x001D, Bytes().U8(3).U16(1).U16(1).U16(0).U16(1).U16(1).U16(1).U8(1).U8(1));
    s.Record(0x000A, Bytes());
    return s.Str();
}

// Formats 21 to 23 as the layout leaves them: the span's italic font, the
// headings' bold centred one, the title's large centred one.
std::vector<Bytes> LayoutFormats() {
    return {Xf(5, 0, 0x0001, 0x0020, 0x0000), Xf(6, 0, 0x0001, 0x0012, 0x1000), Xf(7, 0, 0x0001, 0x0012, 0x1000)};
}

std::string ExportStream(const std::string& spanText, const std::vector<ExportRow>& rows) {
    WorkbookWriter xls;
    LayOutExportSheet(xls, spanText, rows);
    return xls.WorkbookStream();
}

TEST(WorkbookStream, ExportBeforeAnyRunHasTitleSpanAndHeadingsOnly) {
    ExpectedExport x;
    x.strings = {u"", u"Date", u"Time", u"Error Text", u"EG Commander Error Log"};
    x.totalCount = 5;
    x.addedFormats = LayoutFormats();
    x.cells = {{0, 0, 23, 4}, {1, 2, 21, 0}, {3, 0, 22, 1}, {3, 1, 22, 2}, {3, 2, 22, 3}};
    x.rowsUsed = 4;
    EXPECT_EQ(ExportStream("", {}), ExpectedStream(x));
}

TEST(WorkbookStream, ExportOfThreeRowsSharesRepeatedTextsAndCentresDatesAndTimes) {
    const std::vector<ExportRow> rows = {
        {"01/15/2005", "10:00:01", "Stage timeout - CVT.c at LINE: 3580"},
        {"01/15/2005", "23:59:59", "Chuck \x80 error - X.c at LINE: 7"},  // the euro sign of Windows-1252
        {"01/16/2005", "10:00:02", "Stage timeout - CVT.c at LINE: 3580"},
    };
    ExpectedExport x;
    // In ascending ELF hash of the stored bytes.
    x.strings = {u"Date",                                                        // 0x0004A8A5
                 u"Time",                                                        // 0x0005B035
                 u"10:00:01",                                                    // 0x03D33E71
                 u"10:00:02",                                                    // 0x03D33E72
                 u"The log spans 1 days, 13 hours, 59 minutes, and 58 seconds",  // 0x04432CA3
                 u"01/15/2005",                                                  // 0x04816715
                 u"01/16/2005",                                                  // 0x04916715
                 u"Error Text",                                                  // 0x06416564
                 u"23:59:59",                                                    // 0x06D8CED9
                 u"EG Commander Error Log",                                      // 0x09C8B2C7
                 u"Stage timeout - CVT.c at LINE: 3580",                         // 0x09F56CC0
                 u"Chuck \u20AC error - X.c at LINE: 7"};                        // 0x0CA47030, UTF-16
    x.totalCount = 14;
    x.addedFormats = LayoutFormats();
    x.addedFormats.push_back(Xf(0, 0, 0x0001, 0x0012, 0x1000));  // 24: dates and times
    x.cells = {{0, 0, 23, 9},  {1, 2, 21, 4}, {3, 0, 22, 0},  {3, 1, 22, 1}, {3, 2, 22, 7},
               {4, 0, 24, 5},  {4, 1, 24, 2}, {4, 2, 15, 10}, {5, 0, 24, 5}, {5, 1, 24, 8},
               {5, 2, 15, 11}, {6, 0, 24, 6}, {6, 1, 24, 3},  {6, 2, 15, 10}};
    x.rowsUsed = 7;
    EXPECT_EQ(ExportStream("The log spans 1 days, 13 hours, 59 minutes, and 58 seconds", rows), ExpectedStream(x));
}

TEST(WorkbookStream, SavingTwiceWritesTheSameStream) {
    WorkbookWriter xls;
    LayOutExportSheet(xls, "span", {{"01/15/2005", "10:00:01", "text"}});
    const std::string first = xls.WorkbookStream();
    EXPECT_EQ(xls.WorkbookStream(), first);
}

TEST(WorkbookStream, RowsPastOneSheetContinueOnFurtherSheets) {
    struct Case {
        std::size_t rows, sheets;
    } cases[] = {{0, 1}, {kExportRowsPerSheet, 1}, {kExportRowsPerSheet + 1, 2}, {2 * kExportRowsPerSheet + 1, 3}};
    for (const Case& c : cases) {
        WorkbookWriter xls;
        const std::vector<ExportRow> rows(c.rows, ExportRow{"01/15/2005", "10:00:01", "text"});
        LayOutExportSheet(xls, "span", rows);
        ASSERT_EQ(xls.SheetCount(), c.sheets) << c.rows;
        // Every sheet but the last is full; each has the title row and the headings.
        for (std::size_t i = 0; i < c.sheets; ++i) {
            Worksheet& sheet = xls.SheetAt(i);
            EXPECT_EQ(sheet.Name(), u"Sheet" + std::u16string(1, static_cast<char16_t>(u'1' + i))) << c.rows;
            ASSERT_NE(sheet.Find(0, 0), nullptr);
            EXPECT_EQ(sheet.Find(0, 0)->format, xls.SheetAt(0).Find(0, 0)->format);
            EXPECT_EQ(sheet.Find(2, 3)->format, xls.SheetAt(0).Find(2, 3)->format);
            const bool full = i + 1 < c.sheets || c.rows == kExportRowsPerSheet;
            EXPECT_EQ(sheet.Find(2, kMaxRow) != nullptr, full) << c.rows << " sheet " << i;
            if (c.rows > 0) {
                EXPECT_EQ(sheet.Find(0, 4)->format, xls.SheetAt(0).Find(0, 4)->format);
            }
        }
    }
}

}  // namespace
}  // namespace lognex
