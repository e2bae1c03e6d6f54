#include "views/export_rows.h"

#include "support/date_pictures.h"

namespace lognex {
namespace {

// Puts the occurrences' link back on every way out, the failing ones included.
class DetachedLink {
public:
    explicit DetachedLink(Table& occur) : occur_(occur), link_(occur.DetachMasterLink()) {}
    ~DetachedLink() {
        try {
            occur_.AttachMasterLink(link_);
        } catch (...) {
            // The failure that ended the export is the one to report.
        }
    }
    DetachedLink(const DetachedLink&) = delete;
    DetachedLink& operator=(const DetachedLink&) = delete;

private:
    Table& occur_;
    MasterLink link_;
};

}  // namespace

void FillExportTable(ErrorTables& tables, const LocaleFormat& locale) {
    Table& occur = tables.tblOccur;
    Table& excel = tables.tblExcel;
    // Each export starts from an empty table; rows left by an earlier export
    // would otherwise list every occurrence once per export.
    excel.Empty();

    const DetachedLink detached(occur);
    for (occur.First(); !occur.AtEnd(); occur.Next()) {
        const std::string text = occur.GetString(kErrorText) + " - " + occur.GetString(kErrorLoc);
        const DateTime when = occur.GetDateTime(kErrorTime);
        const std::string date = DayNumberToPicture("mm/dd/yyyy", DateTimeToDayNumber(when), true, locale);
        const std::string time = DaySecondsToPicture("hh:mm:ss", DateTimeToDaySeconds(when), true, locale);
        RunChange(excel, [&] {
            excel.Insert();
            excel.SetString(kErrorDate, date);
            excel.SetString(kErrorTime, time);
            excel.SetString(kErrorText, text);
            excel.Post();
        });
    }
}

std::vector<ExportRow> ReadExportRows(ErrorTables& tables) {
    Table& excel = tables.tblExcel;
    std::vector<ExportRow> rows;
    for (excel.First(); !excel.AtEnd(); excel.Next())
        rows.push_back({excel.GetString(kErrorDate), excel.GetString(kErrorTime), excel.GetString(kErrorText)});
    return rows;
}

}  // namespace lognex
