#include "logproc/merged_log.h"

#include <gtest/gtest.h>

#include "logproc/error_tables_fixture.h"
#include "logproc/log_file_analysis.h"
#include "support/error.h"
#include "views/views_fixture.h"

namespace lognex {
namespace {

using testing::At;
using testing::Counted;
using testing::CountEntries;

TEST(MergeLogParts, PartsInTimeOrderWithLinesPerFile) {
    struct Part {
        std::string name;
        std::vector<Counted> entries;
    };
    const Part may{"err_log.rpt", {{At(2007, 5, 1), "A", "L"}, {At(2007, 5, 2), "B", "L"}}};
    const Part april{"err_log.1.rpt", {{At(2007, 4, 1), "B", "L"}}};
    const Part march{"err_log.2.rpt", {{0, "A", "L"}, {At(2007, 3, 1), "A", "L"}}};  // undated first entry
    const Part undated{"undated.rpt", {{0, "C", "L"}}};
    const Part empty{"empty.rpt", {}};
    struct Case {
        std::vector<Part> given;
        std::vector<std::string> order;
        std::vector<std::string> places;  // of the merged entries
    } cases[] = {
        {{may, april, march},
         {"err_log.2.rpt", "err_log.1.rpt", "err_log.rpt"},
         {"err_log.2.rpt line 1", "err_log.2.rpt line 3", "err_log.1.rpt line 1", "err_log.rpt line 1",
          "err_log.rpt line 3"}},
        {{march, april, may}, {"err_log.2.rpt", "err_log.1.rpt", "err_log.rpt"}, {}},
        // Without a dated entry: last, in the order given; an empty part takes no entry.
        {{undated, empty, may, april},
         {"err_log.1.rpt", "err_log.rpt", "undated.rpt", "empty.rpt"},
         {"err_log.1.rpt line 1", "err_log.rpt line 1", "err_log.rpt line 3", "undated.rpt line 1"}},
        {{empty, april}, {"err_log.1.rpt", "empty.rpt"}, {"err_log.1.rpt line 1"}},
    };
    for (const Case& c : cases) {
        std::vector<LogPart> parts;
        for (const Part& p : c.given) parts.push_back({p.name, CountEntries(p.entries)});
        const MergedLog merged = MergeLogParts(std::move(parts));
        std::vector<std::string> order, places;
        for (const MergedPart& part : merged.parts) order.push_back(part.name);
        for (std::size_t e = 0; e < merged.analysis.Entries().size(); ++e) places.push_back(EntryPlace(merged, e));
        EXPECT_EQ(order, c.order) << c.order.front();
        if (!c.places.empty()) {
            EXPECT_EQ(places, c.places) << c.order.front();
        }
    }

    // One error over several files is one distinct error, its occurrences in time order.
    std::vector<LogPart> parts;
    for (const Part& p : {may, april, march}) parts.push_back({p.name, CountEntries(p.entries)});
    const MergedLog merged = MergeLogParts(std::move(parts));
    ASSERT_EQ(merged.analysis.Errors().size(), 2u);
    EXPECT_EQ(merged.analysis.Errors()[0].text, "A");
    EXPECT_EQ(merged.analysis.Errors()[0].occurrences, (std::vector<std::uint32_t>{0, 1, 3}));
    EXPECT_EQ(merged.analysis.Times().first, At(2007, 3, 1));
    EXPECT_EQ(merged.analysis.Times().last, At(2007, 5, 2));
}

TEST(AnalyzeLogFile, CountsPairsAndNamesFileAndLineOfABadOne) {
    testing::TempFolder folder;
    const std::string good = folder / "good.rpt", bad = folder / "bad.rpt";
    testing::WriteFile(good, testing::LogText({"Tue Apr 17 21:40:58 2007 FILE: a.c", "A", "", "",
                                               "Tue Apr 17 21:41:00 2007 FILE: a.c", "A"}));
    const Analysis analysis = AnalyzeLogFile(good, CLocaleFormat());
    ASSERT_EQ(analysis.Entries().size(), 2u);
    EXPECT_EQ(analysis.Entries()[1].line.number, 5u);

    testing::WriteFile(
        bad, testing::LogText({"Tue Apr 17 21:40:58 2007 FILE: a.c", "A", "", "", "Tue Apr 17 21:41:00 2007 FILE: a.c",
                               "A", "Tue Apr 17 flat 2007 FILE: b.c", "B"}));
    try {
        AnalyzeLogFile(bad, CLocaleFormat());
        ADD_FAILURE() << "a bad pair was read";
    } catch (const Error& failure) {
        EXPECT_EQ(std::string(failure.what()), bad + " line 7: 'flat' is not a valid time");
    }
    try {
        AnalyzeLogFile(folder / "missing.rpt", CLocaleFormat());
        ADD_FAILURE() << "a missing log was read";
    } catch (const Error& failure) {
        EXPECT_EQ(std::string(failure.what()).rfind("Cannot open file \"" + (folder / "missing.rpt") + "\".", 0), 0u)
            << failure.what();
    }
}

}  // namespace
}  // namespace lognex
