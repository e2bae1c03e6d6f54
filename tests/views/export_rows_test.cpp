#include "views/export_rows.h"

#include <gtest/gtest.h>

#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;

const LocaleFormat kC = CLocaleFormat();

std::vector<std::string> RowTexts(const std::vector<ExportRow>& rows) {
    std::vector<std::string> texts;
    for (const ExportRow& r : rows) texts.push_back(r.date + " " + r.time + " " + r.text);
    return texts;
}

TEST(FillExportTable, RowsInDateTextOrder) {
    testing::FreshTables db;
    testing::CountEntries(
        *db.tables, {
                        {At(2004, 12, 31, 10, 0, 0), "Vacuum", "FILE: v.c"},
                        {At(2005, 1, 1, 9, 5, 7), "Vacuum", "FILE: v.c"},
                        {At(2005, 1, 15), "Align", "FILE: a.c"},
                        {At(2004, 1, 16, 23, 59, 59, 999), "Align", "FILE: a.c"},  // the millisecond does not round up
                        {At(2005, 1, 1, 9, 5, 7), "Align", "FILE: a.c"},           // same date and time as the second
                    });
    FillExportTable(*db.tables, kC);
    // Month first, then day, then year; equal texts in occurrence order (by error text).
    const std::vector<std::string> expected = {
        "01/01/2005 09:05:07 Align - FILE: a.c",  "01/01/2005 09:05:07 Vacuum - FILE: v.c",
        "01/15/2005 00:00:00 Align - FILE: a.c",  "01/16/2004 23:59:59 Align - FILE: a.c",
        "12/31/2004 10:00:00 Vacuum - FILE: v.c",
    };
    EXPECT_EQ(RowTexts(ReadExportRows(*db.tables)), expected);

    // A second export after the same run lists every occurrence once, not twice.
    FillExportTable(*db.tables, kC);
    EXPECT_EQ(RowTexts(ReadExportRows(*db.tables)), expected);

    // The occurrences follow the current error again.
    db.tables->errorNames.First();
    EXPECT_EQ(db.tables->occurrences.RecordCount(), 3);
}

TEST(FillExportTable, LocaleSeparatorsAndTheJoinedTextCutTo180) {
    testing::FreshTables db;
    LocaleFormat dotted = kC;
    dotted.dateSeparator = '.';
    dotted.timeSeparator = '-';
    const std::string text(90, 't'), location(90, 'l');
    testing::CountEntries(*db.tables, {{At(2004, 3, 4, 9, 15, 27), text, location}});
    FillExportTable(*db.tables, dotted);
    const std::vector<ExportRow> rows = ReadExportRows(*db.tables);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].date, "03.04.2004");
    EXPECT_EQ(rows[0].time, "09-15-27");
    EXPECT_EQ(rows[0].text, (text + " - " + location).substr(0, 180));
}

TEST(FillExportTable, NoOccurrencesNoRows) {
    testing::FreshTables db;
    FillExportTable(*db.tables, kC);
    EXPECT_TRUE(ReadExportRows(*db.tables).empty());
}

}  // namespace
}  // namespace lognex
