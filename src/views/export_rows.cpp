#include "views/export_rows.h"

#include <algorithm>

#include "support/date_pictures.h"

namespace lognex {
namespace {

// Compares as ForExcel's ByTime index does: bytes with ASCII letters folded.
int CompareIgnoringAsciiCase(const std::string& a, const std::string& b) {
    const auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = fold(static_cast<unsigned char>(a[i])), y = fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::size_t WidthOf(const TableDef& def, std::string_view field) {
    for (const FieldDef& f : def.fields)
        if (f.name == field) return static_cast<std::size_t>(f.width);
    return std::string::npos;
}

}  // namespace

std::vector<ExportRow> ExportRows(const Analysis& analysis, const LocaleFormat& locale) {
    return ExportRows(LimitToRange(analysis), locale);
}

std::vector<ExportRow> ExportRows(const AnalysisInRange& value, const LocaleFormat& locale) {
    const Analysis& analysis = value.Whole();
    const TableDef& def = ForExcelTableDef();
    const std::size_t dateWidth = WidthOf(def, kErrorDate), timeWidth = WidthOf(def, kErrorTime),
                      textWidth = WidthOf(def, kErrorText);
    std::vector<ExportRow> rows;
    rows.reserve(value.entries.size());
    for (ErrorId id : ErrorsByTextAndLocation(analysis)) {
        if (value.Count(id) == 0) continue;
        const DistinctError& error = analysis.Errors()[id];
        const std::string text = (error.text + " - " + error.location).substr(0, textWidth);
        for (std::uint32_t at : value.Occurrences(id)) {
            const DateTime when = StoredTime(analysis.Entries()[at].when);
            rows.push_back(
                {DayNumberToPicture("mm/dd/yyyy", DateTimeToDayNumber(when), true, locale).substr(0, dateWidth),
                 DaySecondsToPicture("hh:mm:ss", DateTimeToDaySeconds(when), true, locale).substr(0, timeWidth), text});
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ExportRow& a, const ExportRow& b) {
        const int date = CompareIgnoringAsciiCase(a.date, b.date);
        return date != 0 ? date < 0 : CompareIgnoringAsciiCase(a.time, b.time) < 0;
    });
    return rows;
}

void FillExportTable(ErrorTables& tables, const std::vector<ExportRow>& rows) {
    Table& excel = tables.exportRows;
    excel.Empty();
    const TableDef& def = excel.Definition();
    RunChange(excel, [&] {
        excel.AppendRecords(rows.size(), [&](std::size_t i, std::vector<Table::FieldInput>& record) {
            for (std::size_t f = 0; f < def.fields.size(); ++f) {
                const std::string& name = def.fields[f].name;
                const std::string& value = name == kErrorDate   ? rows[i].date
                                           : name == kErrorTime ? rows[i].time
                                                                : rows[i].text;
                record[f] = {.set = true, .text = value};
            }
        });
    });
}

std::vector<ExportRow> ReadExportRows(ErrorTables& tables) {
    Table& excel = tables.exportRows;
    std::vector<ExportRow> rows;
    for (excel.First(); !excel.AtEnd(); excel.Next())
        rows.push_back({excel.GetString(kErrorDate), excel.GetString(kErrorTime), excel.GetString(kErrorText)});
    return rows;
}

}  // namespace lognex
