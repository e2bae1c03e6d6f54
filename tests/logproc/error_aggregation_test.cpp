#include "logproc/error_aggregation.h"

#include <gtest/gtest.h>

#include "logproc/error_tables_fixture.h"
#include "support/error.h"

namespace lognex {
namespace {

using testing::NameRow;
using testing::NameRows;
using testing::OccurrenceLines;

LogEntry Entry(DateTime when, std::string text, std::string location = "FILE: a.c") {
    return LogEntry{when, std::move(location), std::move(text)};
}

TEST(AddLogEntry, FirstAndLastEntryTimesFollowFileOrder) {
    struct Case {
        std::vector<DateTime> times;
        DateTime first, last;
    } cases[] = {
        {{10, 9, 11}, 10, 11},
        {{10, 11, 9}, 10, 9},  // the last in file order, not the latest
        {{0, 5, 7}, 5, 7},     // a zero time leaves "first" unset for the next entry
        {{4}, 4, 4},
    };
    for (const auto& c : cases) {
        testing::FreshTables db;
        EntryTimes times;
        int line = 1;
        for (DateTime t : c.times) AddLogEntry(*db.tables, times, Entry(t, "e"), line += 2);
        EXPECT_EQ(times.first, c.first);
        EXPECT_EQ(times.last, c.last);
    }
}

TEST(AddLogEntry, CountsDistinctErrorsByTextAndLocation) {
    testing::FreshTables db;
    EntryTimes times;
    const std::string long90(90, 'x');
    AddLogEntry(*db.tables, times, Entry(1, "Vacuum lost", "FILE: Chuck.c"), 1);
    AddLogEntry(*db.tables, times, Entry(2, "Vacuum lost", "FILE: Loader.c"), 3);
    AddLogEntry(*db.tables, times, Entry(3, "Vacuum lost", "FILE: Chuck.c"), 5);
    AddLogEntry(*db.tables, times, Entry(4, long90 + "AAAAA", "FILE: x.c"), 7);
    AddLogEntry(*db.tables, times, Entry(5, long90 + "BB", "FILE: x.c"), 9);  // differs only after 90
    AddLogEntry(*db.tables, times, Entry(6, "Vacuum lost", "FILE: Chuck.c"), 11);

    const std::vector<NameRow> expected = {
        {"Vacuum lost", "FILE: Chuck.c", 3},
        {"Vacuum lost", "FILE: Loader.c", 1},
        {long90, "FILE: x.c", 2},
    };
    EXPECT_EQ(NameRows(*db.tables), expected);
    EXPECT_EQ(OccurrenceLines(*db.tables), (std::vector<int>{1, 5, 11, 3, 7, 9}));
    EXPECT_FALSE(db.tables->database.InTransaction());
}

TEST(AddLogEntry, LogLineOutOfRangeStopsTheEntryAndLeavesTheStoreUsable) {
    const std::string message = "32769 is not a valid value for field 'LogLine'. The allowed range is -32768 to 32767";
    testing::FreshTables db;
    EntryTimes times;
    AddLogEntry(*db.tables, times, Entry(1, "known"), 32767);

    // Known error: the occurrence is not stored, so the count is not raised.
    try {
        AddLogEntry(*db.tables, times, Entry(2, "known"), 32769);
        FAIL() << "no range error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
    // New error: stored with count 1 before its occurrence failed.
    EXPECT_THROW(AddLogEntry(*db.tables, times, Entry(3, "new"), 32769), Error);
    EXPECT_EQ(times.last, 3);

    // The failed change was undone, so the next change is not skipped.
    AddLogEntry(*db.tables, times, Entry(4, "known"), 9);
    const std::vector<NameRow> expected = {{"known", "FILE: a.c", 2}, {"new", "FILE: a.c", 1}};
    EXPECT_EQ(NameRows(*db.tables), expected);
    EXPECT_EQ(OccurrenceLines(*db.tables), (std::vector<int>{32767, 9}));
}

}  // namespace
}  // namespace lognex
