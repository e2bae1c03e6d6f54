#include "views/fleet_table.h"

#include <gtest/gtest.h>

#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;
using testing::CountEntries;

TEST(FleetTable, ColumnsPerLogTotalsAndRates) {
    FleetTable fleet;
    // Added one after another; each analysis is gone before the next is made.
    AddFleetLog(fleet, "P01",
                CountEntries({{At(2007, 4, 1), "X", "L"}, {At(2007, 4, 2), "Y", "L"}, {At(2007, 4, 3), "X", "L"}}));
    AddFleetLog(fleet, "P02", CountEntries({{At(2007, 4, 1), "Z", "L"}, {At(2007, 4, 2), "Z", "L"}}));
    AddFleetLog(fleet, "P03",  // one moment: counts, but no rate
                CountEntries({{At(2007, 4, 1), "X", "L"}, {At(2007, 4, 1), "X", "L"}, {At(2007, 4, 1), "Z", "M"}}));

    ASSERT_EQ(fleet.columns.size(), 3u);
    EXPECT_EQ(fleet.columns[0].days, 2);
    EXPECT_EQ(fleet.columns[1].days, 1);
    EXPECT_EQ(fleet.columns[2].days, 0);
    EXPECT_EQ(fleet.columns[2].entries, 3u);

    const std::vector<std::size_t> order = FleetRowsByTotal(fleet);
    ASSERT_EQ(order.size(), 4u);
    const FleetRow& x = fleet.rows[order[0]];
    EXPECT_EQ(x.text, "X");
    EXPECT_EQ(x.total, 4u);
    EXPECT_EQ((std::vector<std::size_t>{x.CountIn(0), x.CountIn(1), x.CountIn(2)}),
              (std::vector<std::size_t>{2, 0, 2}));
    EXPECT_EQ(FleetRate(fleet, x, 0), 1.0);
    EXPECT_EQ(FleetRate(fleet, x, 1), 0.0);
    EXPECT_EQ(FleetRate(fleet, x, 2), std::nullopt);
    // Per day of log over the logs that span time: 2 in 3 days.
    EXPECT_EQ(FleetTotalRate(fleet, x), 2.0 / 3.0);
    // By total; equal totals by text: Y before Z.
    EXPECT_EQ(fleet.rows[order[1]].text + fleet.rows[order[1]].location, "ZL");
    EXPECT_EQ(fleet.rows[order[2]].text + fleet.rows[order[2]].location, "YL");
    EXPECT_EQ(fleet.rows[order[3]].text + fleet.rows[order[3]].location, "ZM");

    EXPECT_EQ(FleetCsv(fleet),
              "text,location,P01 count,P01 per day,P02 count,P02 per day,P03 count,P03 per day,total count,"
              "total per day\r\n"
              "X,L,2,1.000,0,0.000,2,,4,0.667\r\n"
              "Z,L,0,0.000,2,2.000,0,,2,0.667\r\n"
              "Y,L,1,0.500,0,0.000,0,,1,0.333\r\n"
              "Z,M,0,0.000,0,0.000,1,,1,0.000\r\n");
}

TEST(FleetTable, ColumnNamesFromFilesOrTheirProbersFolders) {
    struct Case {
        std::vector<std::string> paths, names;
    } cases[] = {
        {{"logs/P01.rpt", "logs/P02.rpt"}, {"P01.rpt", "P02.rpt"}},
        {{"fleet/P01/err_log.rpt", "fleet/P02/err_log.rpt"}, {"P01", "P02"}},
        {{"fleet/P01/err_log.rpt", "fleet/P01/err_log.1.rpt", "fleet/P02/err_log.rpt"},
         {"P01/err_log.rpt", "P01/err_log.1.rpt", "P02/err_log.rpt"}},
        {{"site1/P01/err_log.rpt", "site2/P01/err_log.rpt"}, {"site1/P01/err_log.rpt", "site2/P01/err_log.rpt"}},
        {{"fleet/./P01/../P02/err_log.rpt", "fleet/P03/err_log.rpt"}, {"P02", "P03"}},
    };
    for (const Case& c : cases) EXPECT_EQ(FleetColumnNames(c.paths), c.names) << c.paths.front();
}

}  // namespace
}  // namespace lognex
