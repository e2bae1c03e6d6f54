// The exported workbook read back by an independent reader: xlrd (Debian's
// python3-xlrd), through the system interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/temp_folder.h"
#include "xls/compound_file.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

// Runs the reader script and returns what it printed; fails on a non-zero exit.
std::string RunReader(const std::string& arguments) {
    const std::string command =
        "/usr/bin/python3 '" LOGNEX_SOURCE_DIR "/tests/xls/read_workbook.py' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_EQ(status, 0) << output;
    return output;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Windows-1252 to UTF-8 for the few bytes the fixtures use beyond ASCII.
std::string Utf8(const std::string& ansi) {
    std::string out;
    for (char c : ansi) {
        if (c == '\x80')
            out += "\xE2\x82\xAC";
        else if (c == '\xE9')
            out += "\xC3\xA9";
        else
            out += c;
    }
    return out;
}

// What the reader prints for an export of rows: the first kExportRowsPerSheet
// on Sheet1, the next on Sheet2, and so on, each under the same title, span and headings.
std::string ExpectedReading(const std::string& span, const std::vector<ExportRow>& rows) {
    std::ostringstream out;
    out << "entries\tRoot Entry\tWorkbook\n";
    std::size_t first = 0;
    int sheet = 1;
    do {
        const std::size_t count = std::min(kExportRowsPerSheet, rows.size() - first);
        out << "sheet\tSheet" << sheet << "\t" << 4 + count << "\t3\n";
        out << "rowheight\t260\n";  // 13 pt; 13 here would collapse every row
        out << "merged\t0:1:0:3\n";
        out << "cell\t0\t0\tEG Commander Error Log\n";
        out << "cell\t1\t2\t" << Utf8(span) << "\n";
        out << "cell\t3\t0\tDate\ncell\t3\t1\tTime\ncell\t3\t2\tError Text\n";
        for (std::size_t i = 0; i < count; ++i) {
            const ExportRow& row = rows[first + i];
            out << "cell\t" << 4 + i << "\t0\t" << row.date << "\n";
            out << "cell\t" << 4 + i << "\t1\t" << row.time << "\n";
            out << "cell\t" << 4 + i << "\t2\t" << Utf8(row.text) << "\n";
        }
        // name, height, weight, italic, character set, horizontal, vertical
        out << "font\t0\t0\tArial\t360\t400\t0\t1\t2\t1\n";
        out << "font\t1\t2\tArial\t200\t400\t1\t0\t0\t2\n";
        out << "font\t3\t0\tArial\t200\t700\t0\t0\t2\t1\n";
        first += count;
        ++sheet;
    } while (first < rows.size());
    return out.str();
}

std::vector<ExportRow> ManyRows(int count) {
    const char* texts[] = {"Stage timeout - FILE: CVT.c at LINE: 3580", "Chuck \x80 limit - FILE: CHK.c at LINE: 12",
                           "Caf\xE9 probe card not seated - FILE: PRB.c at LINE: 900"};
    std::vector<ExportRow> rows;
    for (int i = 0; i < count; ++i) {
        char date[16], time[16];
        std::snprintf(date, sizeof date, "%02d/%02d/2005", 1 + i / 600 % 12, 1 + i / 20 % 28);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
        std::string text = texts[i % 3];
        if (i % 7 == 0) text += " #" + std::to_string(i) + std::string(120, '.');
        rows.push_back({date, time, text.substr(0, 180)});
    }
    return rows;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Reports the first line that differs rather than two pages of text.
void ExpectSameLines(const std::string& actual, const std::string& expected, const char* what) {
    const std::vector<std::string> a = Lines(actual), e = Lines(expected);
    for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i) {
        if (a[i] != e[i]) {
            ADD_FAILURE() << what << ": line " << i + 1 << "\n  read:     " << a[i] << "\n  expected: " << e[i];
            return;
        }
    }
    EXPECT_EQ(a.size(), e.size()) << what << (a.size() > e.size() ? ": extra " + a[e.size()] : ": lines missing");
}

TEST(WorkbookReader, XlrdReadsEveryCellAndTheFonts) {
    struct Case {
        const char* what;
        std::string span;
        std::vector<ExportRow> rows;
    };
    const Case cases[] = {
        {"before any run: a mini stream", "", {}},
        {"3,000 rows: CONTINUE records and a UTF-16 text", "The log spans 1 days, 0 hours, 59 minutes, and 59 seconds",
         ManyRows(3000)},
        {"rows past one sheet continue on Sheet2", "The log spans 9 days, 0 hours, 0 minutes, and 0 seconds",
         ManyRows(static_cast<int>(kExportRowsPerSheet) + 2)},
    };
    testing::TempFolder folder;
    const std::filesystem::path file = folder.Path() / "Error Log.xls";
    for (const Case& test : cases) {
        WriteWorkbook(test.span, test.rows, file);
        ExpectSameLines(RunReader("cells " + Quoted(file)), ExpectedReading(test.span, test.rows), test.what);
    }
}

TEST(WorkbookReader, XlrdFollowsTheDifatOfALargeCompoundFile) {
    std::string stream(8'000'000, '\0');
    for (std::size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<char>(i % 253);
    testing::TempFolder folder;
    const std::filesystem::path file = folder.Path() / "large.xls", out = folder.Path() / "stream.bin";
    std::ofstream(file, std::ios::binary) << BuildCompoundFile(u"Workbook", stream);
    EXPECT_EQ(RunReader("stream " + Quoted(file) + " " + Quoted(out)), "entries\tRoot Entry\tWorkbook\n");
    std::ifstream in(out, std::ios::binary);
    const std::string readBack((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(readBack == stream) << "stream of " << readBack.size() << " bytes differs";
}

}  // namespace
}  // namespace lognex
