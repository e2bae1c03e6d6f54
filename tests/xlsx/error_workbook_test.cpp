// The .xlsx workbook read back by an independent reader: openpyxl (Debian's
// python3-openpyxl), through the system interpreter.
#include "xlsx/error_workbook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/temp_folder.h"
#include "support/ansi_text.h"
#include "views/views_fixture.h"
#include "xlsx/excel_date_format.h"

namespace lognex {
namespace {

using testing::At;

bool ReaderPresent() { return std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0; }

std::string ReadBack(const std::filesystem::path& file) {
    const std::string command =
        "/usr/bin/python3 '" LOGNEX_SOURCE_DIR "/tests/xlsx/read_xlsx.py' '" + file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
    return output;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    char two[3];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, "%02x", c);
        out += two;
    }
    return out;
}

// The cell lines the reader prints for a text.
std::string Text(int row, int column, std::string_view ansi) {
    return "cell\t" + std::to_string(row) + "\t" + std::to_string(column) + "\ts\t" + Hex(AnsiToUtf8(ansi)) + "\n";
}

TEST(ExcelDateTimeFormat, FollowsTheLocalesFieldsAndQuotesItsLiterals) {
    struct Case {
        const char* date;
        const char* time;
        const char* code;
    } cases[] = {
        {"%m/%d/%y", "%H:%M:%S", "mm\\/dd\\/yy hh:mm:ss"},              // C
        {"%d.%m.%Y", "%H:%M:%S", "dd\\.mm\\.yyyy hh:mm:ss"},            // German
        {"%d.%m.%Y", "%H.%M.%S", "dd\\.mm\\.yyyy hh\\.mm\\.ss"},        // Finnish
        {"%m/%d/%Y", "%I:%M:%S %p", "mm\\/dd\\/yyyy hh:mm:ss AM/PM"},   // American English
        {"%-d.%-m.%Y", "%k:%M", "d\\.m\\.yyyy h:mm"},                   // unpadded
        {"%e %B %Y", "%OH:%M:%S", "d mmmm yyyy hh:mm:ss"},              // names, modifier
        {"%Y\xE5r %b", "%H:%M %%", "yyyy\\\xC3\xA5\\r mmm hh:mm \\%"},  // a Windows-1252 literal
    };
    for (const Case& c : cases) {
        LocaleFormat locale = CLocaleFormat();
        locale.shortDateFormat = c.date;
        locale.longTimeFormat = c.time;
        EXPECT_EQ(ExcelDateTimeFormat(locale), c.code) << c.date << " " << c.time;
    }
}

class ErrorWorkbook : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ReaderPresent()) GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    testing::TempFolder folder_;
};

TEST_F(ErrorWorkbook, ReadsBackWithDateCellsAndEveryTextExact) {
    // Every byte from 0x80 up (the five the code page leaves undefined
    // included) in a text and a location, and characters XML treats specially.
    std::string eightBit, eightBitLocation = "FILE: ";
    for (int c = 0x80; c <= 0xFF; ++c) (c < 0xC0 ? eightBit : eightBitLocation) += static_cast<char>(c);
    const std::string odd = "<a & \"b\"> 'c' _x0041_ \t \x01 end";
    const Analysis analysis = testing::CountEntries({
        {At(2007, 4, 17, 21, 40, 58, 250), eightBit, eightBitLocation},
        {0, odd, ""},  // undated, no location
        {At(2007, 10, 8, 6, 5, 4), eightBit, eightBitLocation},
    });
    const AnalysisInRange value = LimitToRange(analysis);
    const ErrorTable table = BuildErrorTable(value, RankErrorTexts(analysis), false);
    LocaleFormat german = CLocaleFormat();
    german.shortDateFormat = "%d.%m.%Y";
    german.dateSeparator = '.';

    const std::filesystem::path file = folder_.Path() / "errors.xlsx";
    const std::string bytes =
        ErrorWorkbookBytes(value, table, "err_log.rpt \xB7 M\xFCnchen", german, folder_.Path() / "scratch.xlsx");
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "scratch.xlsx"));
    std::ofstream(file, std::ios::binary) << bytes;

    const std::string dateFormat = "dd\\.mm\\.yyyy hh:mm:ss";
    const std::string reading = ReadBack(file);

    std::ostringstream cells;
    cells << Text(1, 1, "err_log.rpt \xB7 M\xFCnchen") << Text(2, 1, "Whole log");
    int column = 1;
    for (const char* header : {"Count", "Error", "Location", "First", "Last", "Per day", "Share (%)"})
        cells << Text(3, column++, header);
    cells << "cell\t4\t1\tn\t2\t0\n"
          << Text(4, 2, eightBit) << Text(4, 3, eightBitLocation) << "cell\t4\t4\td\t2007-04-17T21:40:58.250\t"
          << dateFormat << "\n"
          << "cell\t4\t5\td\t2007-10-08T06:05:04.000\t" << dateFormat << "\n";
    const std::string errorsSheet = cells.str();
    EXPECT_NE(reading.find(errorsSheet), std::string::npos) << reading;
    // The undated error's row: count, text; no location, no dates.
    // XML cannot hold a control character: the file has the format's escape
    // for it, which LibreOffice and Excel read back and openpyxl leaves be.
    const std::string oddAsRead = "<a & \"b\"> 'c' _x0041_ \t _x0001_ end";
    EXPECT_NE(reading.find("cell\t5\t1\tn\t1\t0\n" + Text(5, 2, oddAsRead) + "cell\t5\t6\tn\t"), std::string::npos)
        << reading;

    std::ostringstream occurrences;
    occurrences << "cell\t4\t1\td\t2007-04-17T21:40:58.250\t" << dateFormat << "\n"
                << Text(4, 2, eightBit) << Text(4, 3, eightBitLocation) << "cell\t4\t4\tn\t1\t0\n"
                << Text(5, 2, oddAsRead) << "cell\t5\t4\tn\t3\t0\n"
                << "cell\t6\t1\td\t2007-10-08T06:05:04.000\t" << dateFormat << "\n";
    EXPECT_NE(reading.find("sheet\tOccurrences\tA4\tA3:D6\t22.0\n"), std::string::npos) << reading;
    EXPECT_NE(reading.find(occurrences.str()), std::string::npos) << reading;
}

TEST_F(ErrorWorkbook, ColumnsFitTheirTextsAndLongTablesGoOnInFurtherSheets) {
    std::vector<testing::Counted> entries;
    for (int i = 0; i < 5; ++i) entries.push_back({At(2007, 4, 17, 8, i), "Short", "FILE: a.c"});
    entries.push_back({At(2007, 4, 17, 9), std::string(60, 'x'), "FILE: a.c"});
    const Analysis analysis = testing::CountEntries(entries);
    const AnalysisInRange value = LimitToRange(analysis);
    const ErrorTable table = BuildErrorTable(value, RankErrorTexts(analysis), false);
    const std::filesystem::path file = folder_.Path() / "errors.xlsx";
    std::ofstream(file, std::ios::binary)
        << ErrorWorkbookBytes(value, table, "t", CLocaleFormat(), folder_.Path() / "scratch.xlsx", {.sheetRows = 5});
    const std::string reading = ReadBack(file);

    // Three heading rows and two of data a sheet: two errors, six occurrences.
    for (const char* sheet : {"sheet\tErrors\tA4\tA3:G5\t", "sheet\tOccurrences\tA4\tA3:D5\t",
                              "sheet\tOccurrences (2)\tA4\tA3:D5\t", "sheet\tOccurrences (3)\tA4\tA3:D5\t"})
        EXPECT_NE(reading.find(sheet), std::string::npos) << sheet << "\n" << reading;
    EXPECT_EQ(reading.find("Occurrences (4)"), std::string::npos);
    // The last occurrence, with its log line 11, on the third sheet's second data row.
    const std::size_t third = reading.find("Occurrences (3)");
    EXPECT_NE(reading.find("cell\t5\t4\tn\t11\t0\n", third), std::string::npos) << reading;

    // The error column as wide as the longest text and a margin; the date
    // column as its date text ("04/17/07 08:00:00") and a margin.
    EXPECT_NE(reading.find("width\tB\t62"), std::string::npos) << reading;
    EXPECT_NE(reading.find("width\tD\t19"), std::string::npos) << reading;
}

}  // namespace
}  // namespace lognex
