#include "views/export_rows.h"

#include <gtest/gtest.h>

#include "common/fresh_tables.h"
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

TEST(ExportRows, RowsInDateTextOrder) {
    const Analysis analysis = testing::CountEntries({
        {At(2004, 12, 31, 10, 0, 0), "Vacuum", "FILE: v.c"},
        {At(2005, 1, 1, 9, 5, 7), "Vacuum", "FILE: v.c"},
        {At(2005, 1, 15), "Align", "FILE: a.c"},
        {At(2004, 1, 16, 23, 59, 59, 999), "Align", "FILE: a.c"},  // the millisecond does not round up
        {At(2005, 1, 1, 9, 5, 7), "Align", "FILE: a.c"},           // same date and time as the second
    });
    // Month first, then day, then year; equal texts in occurrence order (by error text).
    const std::vector<std::string> expected = {
        "01/01/2005 09:05:07 Align - FILE: a.c",  "01/01/2005 09:05:07 Vacuum - FILE: v.c",
        "01/15/2005 00:00:00 Align - FILE: a.c",  "01/16/2004 23:59:59 Align - FILE: a.c",
        "12/31/2004 10:00:00 Vacuum - FILE: v.c",
    };
    const std::vector<ExportRow> rows = ExportRows(analysis, kC);
    EXPECT_EQ(RowTexts(rows), expected);

    // The export table keeps them in its own order; a second export after
    // the same run lists every occurrence once, not twice.
    testing::FreshTables db;
    for (int exportCount = 0; exportCount < 2; ++exportCount) {
        FillExportTable(*db.tables, rows);
        EXPECT_EQ(RowTexts(ReadExportRows(*db.tables)), expected);
    }
}

TEST(ExportRows, LocaleSeparatorsAndTheJoinedTextCutTo180) {
    LocaleFormat dotted = kC;
    dotted.dateSeparator = '.';
    dotted.timeSeparator = '-';
    const std::string text(90, 't'), location(90, 'l');
    const std::vector<ExportRow> rows =
        ExportRows(testing::CountEntries({{At(2004, 3, 4, 9, 15, 27), text, location}}), dotted);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].date, "03.04.2004");
    EXPECT_EQ(rows[0].time, "09-15-27");
    EXPECT_EQ(rows[0].text, (text + " - " + location).substr(0, 180));
}

TEST(ExportRows, NoOccurrencesNoRows) {
    EXPECT_TRUE(ExportRows(Analysis{}, kC).empty());
    testing::FreshTables db;
    FillExportTable(*db.tables, {});
    EXPECT_TRUE(ReadExportRows(*db.tables).empty());
}

}  // namespace
}  // namespace lognex
