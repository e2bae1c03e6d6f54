#include "logproc/analysis_store.h"

#include <gtest/gtest.h>

#include "common/failure_message.h"
#include "logproc/error_tables_fixture.h"
#include "logproc/per_entry_count.h"

namespace lognex {
namespace {

struct Counted {
    LogEntry entry;
    std::uint32_t line;
};

// Every record of the tables, in each order the program reads them in:
// ErrorName by text and by falling count, ErrorOccur in occurrence order
// and in storage order; date-times as their milliseconds.
std::vector<std::string> Dump(ErrorTables& tables) {
    std::vector<std::string> rows;
    Table& names = tables.errorNames;
    for (const char* index : {kByErrorText, kByNumberD}) {
        names.SetIndex(index);
        for (names.First(); !names.AtEnd(); names.Next())
            rows.push_back(std::string(index) + "|" + names.GetString(kErrorText) + "|" + names.GetString(kErrorLoc) +
                           "|" + std::to_string(names.GetInteger(kNumTime)));
    }
    names.SetIndex(kByErrorText);
    Table& occur = tables.occurrences;
    const MasterLink link = occur.DetachMasterLink();
    for (bool storage : {false, true}) {
        if (storage) occur.SetIndex(kSequentialIndexName);
        for (occur.First(); !occur.AtEnd(); occur.Next())
            rows.push_back(occur.GetString(kErrorText) + "|" + occur.GetString(kErrorLoc) + "|" +
                           std::to_string(ToMilliseconds(occur.GetDateTime(kErrorTime))) + "|" +
                           std::to_string(occur.GetInteger(kLogLine)));
    }
    occur.SetIndexFieldNames(std::string(kErrorText) + ";" + kErrorLoc);
    occur.AttachMasterLink(link);
    return rows;
}

// The tables and the failure that counting entry by entry leaves, beside
// those the analysis is written as.
void ExpectSameTables(const std::vector<Counted>& log, const std::string& expectedFailure) {
    testing::FreshTables oneByOne, fromValue;
    EntryTimes times;
    const std::string failure = testing::FailureOf([&] {
        for (const Counted& c : log)
            testing::AddLogEntry(*oneByOne.tables, times, c.entry, static_cast<std::int64_t>(c.line));
    });
    EXPECT_EQ(failure, expectedFailure);

    Analysis analysis;
    for (const Counted& c : log) analysis.Append(c.entry, HeaderLine{c.line});
    EXPECT_EQ(testing::FailureOf([&] { StoreAnalysis(*fromValue.tables, analysis); }), failure);
    EXPECT_EQ(Dump(*fromValue.tables), Dump(*oneByOne.tables));
    EXPECT_FALSE(fromValue.tables->database.InTransaction());
}

std::vector<Counted> MixedEntries(std::size_t n) {
    const std::string long90(90, 'x');
    std::vector<Counted> log;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t e = i * 7 % 11;
        // Equal counts for several errors, texts cut at 90, an empty location,
        // times out of order and fractions of a millisecond.
        std::string text = e == 3 ? long90 + std::to_string(i) : "Error " + std::to_string(e % 6);
        std::string location = e == 5 ? "" : "FILE: m" + std::to_string(e / 6) + ".c";
        log.push_back({{39189.0 + static_cast<double>((i * 37) % 50) / 1440.0 + 1e-9, location, text},
                       static_cast<std::uint32_t>(2 * i + 1)});
    }
    return log;
}

TEST(StoreAnalysis, TablesHoldWhatCountingEntryByEntryLeaves) {
    ExpectSameTables({}, "");
    ExpectSameTables(MixedEntries(1), "");
    ExpectSameTables(MixedEntries(200), "");
}

TEST(StoreAnalysis, AnEntryTheTablesCannotHoldStopsTheStoreAsItStopsTheCount) {
    const std::string lineFailure =
        "2147483648 is not a valid value for field 'LogLine'. The allowed range is -2147483648 to 2147483647";
    std::vector<Counted> known = MixedEntries(30);
    known.push_back({known[3].entry, 2147483648u});  // a known error: neither occurrence nor count
    known.push_back(MixedEntries(1)[0]);
    ExpectSameTables(known, lineFailure);

    std::vector<Counted> fresh = MixedEntries(30);
    fresh.push_back({{1, "FILE: new.c", "New error"}, 2147483648u});  // a new error: stored with count 1
    ExpectSameTables(fresh, lineFailure);
}

// The tables written stretch by stretch as the analysis grows, beside those
// counting entry by entry leaves.
void ExpectSameTablesAppended(const std::vector<Counted>& log, const std::vector<std::size_t>& stretchEnds,
                              const std::string& expectedFailure) {
    testing::FreshTables oneByOne, appended;
    EntryTimes times;
    const std::string failure = testing::FailureOf([&] {
        for (const Counted& c : log)
            testing::AddLogEntry(*oneByOne.tables, times, c.entry, static_cast<std::int64_t>(c.line));
    });
    EXPECT_EQ(failure, expectedFailure);

    Analysis analysis;
    std::string appendFailure;
    std::size_t from = 0;
    for (const std::size_t end : stretchEnds) {
        for (std::size_t k = from; k < end; ++k) analysis.Append(log[k].entry, HeaderLine{log[k].line});
        appendFailure = testing::FailureOf([&] { StoreAppendedEntries(*appended.tables, analysis, from); });
        if (!appendFailure.empty()) break;
        from = end;
    }
    EXPECT_EQ(appendFailure, failure);
    EXPECT_EQ(Dump(*appended.tables), Dump(*oneByOne.tables));
    EXPECT_FALSE(appended.tables->database.InTransaction());
}

TEST(StoreAnalysis, StretchesAppendedAsTheLogGrowsGiveTheTablesOfOneStore) {
    // Known errors gain occurrences, new ones come, with ties in count.
    ExpectSameTablesAppended(MixedEntries(200), {1, 2, 3, 50, 51, 199, 200}, "");
    ExpectSameTablesAppended(MixedEntries(30), {0, 30}, "");

    const std::string lineFailure =
        "2147483648 is not a valid value for field 'LogLine'. The allowed range is -2147483648 to 2147483647";
    std::vector<Counted> known = MixedEntries(30);
    known.push_back({known[3].entry, 2147483648u});
    ExpectSameTablesAppended(known, {10, 31}, lineFailure);
    std::vector<Counted> fresh = MixedEntries(30);
    fresh.push_back({{1, "FILE: new.c", "New error"}, 2147483648u});
    ExpectSameTablesAppended(fresh, {29, 31}, lineFailure);
}

}  // namespace
}  // namespace lognex
