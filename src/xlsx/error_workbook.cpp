#include "xlsx/error_workbook.h"

#include <xlsxwriter.h>

#include <locale.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <span>
#include <system_error>
#include <utility>

#include "support/ansi_text.h"
#include "support/date_pictures.h"
#include "support/error.h"
#include "support/file_io.h"
#include "xlsx/excel_date_format.h"
#include "xlsx/package_check.h"

namespace lognex {
namespace {

constexpr lxw_row_t kHeadRows = 3;  // title, range, header
constexpr double kTitlePoints = 14;
// A row takes about one and a half times its font's size.
constexpr double kTitleRowPoints = 22;
constexpr double kWidestColumn = 100;
// Date cells hold 1 March 1900 and later: before it the spreadsheet's
// calendar counts a 29 February 1900 that never was. Up to the year 9999.
constexpr double kFirstDateCell = 61;
constexpr double kPastLastDateCell = 2'958'466;

[[noreturn]] void Fail(std::string_view reason) {
    throw Error("The workbook cannot be written: " + std::string(reason));
}

void Check(lxw_error result) {
    if (result != LXW_NO_ERROR) Fail(lxw_strerror(result));
}

// C number formatting for the thread while it lasts: the workbook library
// prints its numbers (cell values, widths, heights, margins) with the C
// library, and under LC_NUMERIC=de_DE that writes "0,3", which no reader
// takes for a number.
class CNumbersOnThisThread {
public:
    // The whole C locale: every text and date the workbook holds is made
    // from the LocaleFormat read at start-up, never by the C library.
    CNumbersOnThisThread() : c_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (c_ == static_cast<locale_t>(nullptr)) Fail(SystemErrorText(errno));
        before_ = uselocale(c_);
    }
    ~CNumbersOnThisThread() {
        uselocale(before_);
        freelocale(c_);
    }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    locale_t c_;
    locale_t before_;
};

// The workbook from creation to close; a workbook left open by a failure is
// closed (and so freed) all the same.
class Workbook {
public:
    Workbook(const std::filesystem::path& file, const std::string& scratchFolder) : folder_(scratchFolder) {
        lxw_workbook_options options{};
        options.constant_memory = 1;  // rows go to disk as they are written
        options.tmpdir = folder_.data();
        book_ = workbook_new_opt(file.string().c_str(), &options);
        if (!book_) Fail(SystemErrorText(errno));
    }
    ~Workbook() {
        if (book_) workbook_close(book_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* Get() const { return book_; }
    void Close() { Check(workbook_close(std::exchange(book_, nullptr))); }

private:
    std::string folder_;
    lxw_workbook* book_ = nullptr;
};

struct Formats {
    lxw_format* title;
    lxw_format* header;
    lxw_format* date;
    lxw_format* count;
    lxw_format* rate;
    lxw_format* share;
};

enum class Kind { Count, Text, Date, Rate, Share };

struct Column {
    const char* header;
    Kind kind;
};

// A cell's content: a number, a Windows-1252 text or a date-time.
struct Cell {
    double number = 0;
    std::string_view text;
    DateTime when = 0;
};

using CellAt = std::function<Cell(std::size_t row, std::size_t column)>;

class SheetWriter {
public:
    SheetWriter(lxw_workbook* book, const Formats& formats, const LocaleFormat& locale, std::string title,
                std::string rangeText, const ErrorWorkbookLayout& layout)
        : book_(book),
          formats_(formats),
          locale_(locale),
          title_(AnsiToUtf8(title)),
          range_(AnsiToUtf8(rangeText)),
          layout_(layout) {
        // Two-digit fields everywhere (28 December 2009, 12:34:56): the widest
        // a date of the locale gets.
        const DateTime widest = static_cast<double>(DaysSince1899(2009, 12, 28)) + 45'296.0 / 86'400;
        dateWidth_ = static_cast<double>(FormatDateTimeText("", widest, locale).size());
    }

    // Writes rows on a sheet named name, and on further ones as they fill.
    void Write(std::string_view name, std::span<const Column> columns, std::size_t rows, const CellAt& cellAt) {
        const std::vector<double> widths = Widths(columns, rows, cellAt);
        const std::size_t perSheet = std::max<std::size_t>(1, layout_.sheetRows - kHeadRows);
        std::size_t row = 0;
        for (int sheet = 1; sheet == 1 || row < rows; ++sheet) {
            const std::string sheetName =
                sheet == 1 ? std::string(name) : std::string(name) + " (" + std::to_string(sheet) + ")";
            lxw_worksheet* ws = workbook_add_worksheet(book_, sheetName.c_str());
            if (!ws) Fail("no sheet " + sheetName);
            const std::size_t here = std::min(perSheet, rows - row);
            const auto lastColumn = static_cast<lxw_col_t>(columns.size() - 1);
            for (lxw_col_t c = 0; c <= lastColumn; ++c) Check(worksheet_set_column(ws, c, c, widths[c], nullptr));
            worksheet_freeze_panes(ws, kHeadRows, 0);
            Check(worksheet_autofilter(ws, kHeadRows - 1, 0, static_cast<lxw_row_t>(kHeadRows - 1 + here), lastColumn));
            Check(worksheet_set_row(ws, 0, kTitleRowPoints, nullptr));
            Check(worksheet_write_string(ws, 0, 0, title_.c_str(), formats_.title));
            Check(worksheet_write_string(ws, 1, 0, range_.c_str(), nullptr));
            for (lxw_col_t c = 0; c <= lastColumn; ++c)
                Check(worksheet_write_string(ws, kHeadRows - 1, c, columns[c].header, formats_.header));
            for (std::size_t i = 0; i < here; ++i, ++row)
                for (lxw_col_t c = 0; c <= lastColumn; ++c)
                    WriteCell(ws, static_cast<lxw_row_t>(kHeadRows + i), c, columns[c].kind, cellAt(row, c));
        }
    }

private:
    std::vector<double> Widths(std::span<const Column> columns, std::size_t rows, const CellAt& cellAt) const {
        std::vector<double> widths;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            double width = static_cast<double>(std::string_view(columns[c].header).size());
            const Kind kind = columns[c].kind;
            if (kind == Kind::Date) width = std::max(width, dateWidth_);
            for (std::size_t row = 0; row < rows && kind != Kind::Date; ++row) {
                const Cell cell = cellAt(row, c);
                // Windows-1252: one byte, one character.
                const double length =
                    kind == Kind::Text
                        ? static_cast<double>(cell.text.size())
                        : static_cast<double>(std::to_string(static_cast<long long>(cell.number)).size()) +
                              (kind == Kind::Rate    ? 3
                               : kind == Kind::Share ? 2
                                                     : 0);
                width = std::max(width, length);
            }
            widths.push_back(std::min(kWidestColumn, width + 2));
        }
        return widths;
    }

    void WriteCell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t column, Kind kind, const Cell& cell) {
        switch (kind) {
            case Kind::Count: Check(worksheet_write_number(ws, row, column, cell.number, formats_.count)); break;
            case Kind::Rate: Check(worksheet_write_number(ws, row, column, cell.number, formats_.rate)); break;
            case Kind::Share: Check(worksheet_write_number(ws, row, column, cell.number, formats_.share)); break;
            case Kind::Text:
                if (!cell.text.empty())
                    Check(worksheet_write_string(ws, row, column, AnsiToUtf8(cell.text).c_str(), nullptr));
                break;
            case Kind::Date:
                if (cell.when == 0) break;  // undated
                if (cell.when >= kFirstDateCell && cell.when < kPastLastDateCell) {
                    Check(worksheet_write_number(ws, row, column, StoredTime(cell.when), formats_.date));
                } else {
                    const std::string text = AnsiToUtf8(FormatDateTimeText("", StoredTime(cell.when), locale_));
                    Check(worksheet_write_string(ws, row, column, text.c_str(), nullptr));
                }
                break;
        }
    }

    lxw_workbook* book_;
    const Formats& formats_;
    const LocaleFormat& locale_;
    std::string title_, range_;
    const ErrorWorkbookLayout& layout_;
    double dateWidth_ = 0;
};

constexpr Column kErrorColumns[] = {
    {"Count", Kind::Count}, {"Error", Kind::Text},   {"Location", Kind::Text},   {"First", Kind::Date},
    {"Last", Kind::Date},   {"Per day", Kind::Rate}, {"Share (%)", Kind::Share},
};
constexpr Column kOccurrenceColumns[] = {
    {"Date and time", Kind::Date}, {"Error", Kind::Text}, {"Location", Kind::Text}, {"Log line", Kind::Count}};

// Removes the scratch file however the writing ends.
struct ScratchFile {
    std::filesystem::path path;
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

}  // namespace

std::string ErrorWorkbookBytes(const AnalysisInRange& value, const ErrorTable& table, std::string_view title,
                               const LocaleFormat& locale, const std::filesystem::path& scratchFile,
                               const ErrorWorkbookLayout& layout) {
    const ScratchFile scratch{scratchFile};
    {
        const CNumbersOnThisThread numbers;
        Workbook book(scratchFile, scratchFile.parent_path().empty() ? "." : scratchFile.parent_path().string());
        const auto format = [&](const char* code) {
            lxw_format* f = workbook_add_format(book.Get());
            if (code) format_set_num_format(f, code);
            return f;
        };
        const std::string dateCode = ExcelDateTimeFormat(locale);
        Formats formats{format(nullptr), format(nullptr), format(dateCode.c_str()),
                        format("0"),     format("0.00"),  format("0.0")};
        format_set_bold(formats.title);
        format_set_font_size(formats.title, kTitlePoints);
        format_set_bold(formats.header);

        const Analysis& analysis = value.Whole();
        SheetWriter writer(book.Get(), formats, locale, std::string(title), RangeText(value.range, locale), layout);
        std::string location;
        writer.Write("Errors", kErrorColumns, table.rows.size(), [&](std::size_t r, std::size_t c) -> Cell {
            const ErrorRow& row = table.rows[r];
            switch (c) {
                case 0: return {.number = static_cast<double>(row.count)};
                case 1: return {.text = analysis.Errors()[row.error].text};
                case 2: location = LocationCellText(row, analysis); return {.text = location};
                case 3: return {.when = row.first};
                case 4: return {.when = row.last};
                case 5: return {.number = row.perDay};
                default: return {.number = row.share};
            }
        });
        writer.Write("Occurrences", kOccurrenceColumns, value.entries.size(),
                     [&](std::size_t r, std::size_t c) -> Cell {
                         const AnalysisEntry& entry = analysis.Entries()[value.entries[r]];
                         switch (c) {
                             case 0: return {.when = entry.when};
                             case 1: return {.text = analysis.ErrorOf(entry).text};
                             case 2: return {.text = analysis.ErrorOf(entry).location};
                             default: return {.number = static_cast<double>(entry.line.number)};
                         }
                     });
        book.Close();
    }
    std::ifstream in(scratchFile, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) Fail(SystemErrorText(errno));
    // A scratch file that could not be written whole leaves its part cut
    // short inside a package that still looks fine.
    if (const std::string cut = FirstCutPart(bytes); !cut.empty())
        Fail(cut + " was cut short: a file could not be written whole in " +
             (scratchFile.parent_path().empty() ? std::string(".") : scratchFile.parent_path().string()));
    return bytes;
}

}  // namespace lognex
