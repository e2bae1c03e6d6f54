#include "tables/record_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/failure_message.h"
#include "common/fresh_tables.h"
#include "common/temp_folder.h"
#include "tables/error_tables.h"

namespace lognex {
namespace {

using ::testing::ElementsAre;
using testing::FailureOf;
using ::testing::HasSubstr;
using testing::MakeFreshTableFiles;
using testing::TempFolder;

class StoreTest : public ::testing::Test {
protected:
    StoreTest() {
        MakeFreshTableFiles(folder.Path());
        aliases.AddAlias(kDatabaseAlias, folder.Path().string());
        tables.Open();
    }

    // One log entry counted the way the aggregation does it: a look-up and
    // two changes, each in a transaction of its own.
    void Add(const std::string& text, const std::string& location, std::int64_t line, DateTime time = 38000.5) {
        const auto addOccurrence = [&] {
            occur.Insert();
            occur.SetString("ErrorText", text);
            occur.SetString("ErrorLoc", location);
            occur.SetDateTime("ErrorTime", time);
            occur.SetInteger("LogLine", line);
            occur.Post();
        };
        if (names.FindKey({text, location})) {
            RunChange(occur, addOccurrence);
            RunChange(names, [&] {
                names.Edit();
                names.SetInteger("NumTime", names.GetInteger("NumTime") + 1);
                names.Post();
            });
        } else {
            RunChange(names, [&] {
                names.Insert();
                names.SetString("ErrorText", text);
                names.SetString("ErrorLoc", location);
                names.SetInteger("NumTime", 1);
                names.Post();
            });
            RunChange(occur, addOccurrence);
        }
    }

    // The values of field over the records the table shows, from First.
    static std::vector<std::string> Walk(Table& table, const std::string& field) {
        std::vector<std::string> values;
        for (table.First(); !table.AtEnd(); table.Next()) values.push_back(table.GetString(field));
        return values;
    }
    static std::vector<int> WalkNumbers(Table& table, const std::string& field) {
        std::vector<int> values;
        for (table.First(); !table.AtEnd(); table.Next()) values.push_back(table.GetInteger(field));
        return values;
    }

    TempFolder folder;
    AliasRegistry aliases;
    ErrorTables tables{aliases};
    Table& names = tables.errorNames;
    Table& occur = tables.occurrences;
    Table& excel = tables.exportRows;
};

TEST_F(StoreTest, TextsAreCutAtTheirWidthKeepNulsAndSearchKeysAlike) {
    const std::string text90(90, 'x');
    Add(text90 + "first tail", "L", 1);
    Add(text90 + "other tail", "L", 3);  // same first 90 characters: same error
    ASSERT_TRUE(names.FindKey({text90 + "third tail", "L"}));
    EXPECT_EQ(names.GetString("ErrorText"), text90);
    EXPECT_EQ(names.GetInteger("NumTime"), 2);
    EXPECT_EQ(names.RecordCount(), 1);

    Add(std::string(89, 'y') + "z", "L", 5);
    ASSERT_TRUE(names.FindKey({std::string(89, 'y') + "z", "L"}));
    EXPECT_EQ(names.GetString("ErrorText").size(), 90u);

    // A NUL is a byte like any other: nothing after it is lost.
    Add(std::string("abc\0def", 7), "L", 7);
    ASSERT_TRUE(names.FindKey({std::string("abc\0def", 7), "L"}));
    EXPECT_EQ(names.GetString("ErrorText"), std::string("abc\0def", 7));
    EXPECT_FALSE(names.FindKey({"abc", "L"}));
    EXPECT_FALSE(names.FindKey({std::string("abc\0def", 7), "l"}));

    excel.Insert();
    excel.SetString("ErrorDate", "01/02/2005 and more than seventeen");
    excel.SetString("ErrorTime", "10:00:00 and more");
    excel.SetString("ErrorText", std::string(183, 'e'));
    excel.Post();
    excel.First();
    EXPECT_EQ(excel.GetString("ErrorDate"), "01/02/2005 and mo");
    EXPECT_EQ(excel.GetString("ErrorTime"), "10:00:00 a");
    EXPECT_EQ(excel.GetString("ErrorText"), std::string(180, 'e'));
}

TEST_F(StoreTest, IntegerOutsideThe32BitRangeFailsAtTheSetter) {
    struct Case {
        Table* table;
        const char* field;
        std::int64_t value;
        const char* message;
    };
    const char* const range = ". The allowed range is -2147483648 to 2147483647";
    const Case cases[] = {
        {&occur, "LogLine", 2147483648, "2147483648 is not a valid value for field 'LogLine'"},
        {&names, "NumTime", 2147483648, "2147483648 is not a valid value for field 'NumTime'"},
        {&names, "NumTime", -2147483649, "-2147483649 is not a valid value for field 'NumTime'"},
        {&names, "NumTime", 10'000'000'000, "10000000000 is not a valid value for field 'NumTime'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        c.table->Insert();
        c.table->SetInteger(c.field, 32769);  // past the 16 bits these fields once had
        EXPECT_EQ(c.table->GetInteger(c.field), 32769);
        c.table->SetInteger(c.field, 2147483647);
        EXPECT_EQ(FailureOf([&] { c.table->SetInteger(c.field, c.value); }), std::string(c.message) + range);
        EXPECT_EQ(c.table->Mode(), TableMode::Insert);
        EXPECT_EQ(c.table->GetInteger(c.field), 2147483647);  // the field keeps its value
        c.table->SetInteger(c.field, -2147483648);
        EXPECT_EQ(c.table->GetInteger(c.field), -2147483648);
        c.table->Cancel();
    }
    // What was stored reads back whole.
    names.Insert();
    names.SetString("ErrorText", "t");
    names.SetString("ErrorLoc", "l");
    names.SetInteger("NumTime", 1'000'000);
    names.Post();
    names.First();
    EXPECT_EQ(names.GetInteger("NumTime"), 1'000'000);
}

TEST_F(StoreTest, PostNamesTheFirstMissingRequiredField) {
    occur.Insert();
    occur.SetString("ErrorText", "t");
    occur.SetString("ErrorLoc", "");  // an empty text is a value
    occur.SetDateTime("ErrorTime", 38000.0);
    EXPECT_EQ(FailureOf([&] { occur.Post(); }), "Field 'LogLine' must have a value");
    EXPECT_EQ(occur.Mode(), TableMode::Insert);
    occur.SetInteger("LogLine", 1);
    occur.Post();
    EXPECT_EQ(occur.Mode(), TableMode::Browse);
    EXPECT_EQ(occur.GetString("ErrorLoc"), "");

    excel.Insert();
    excel.SetString("ErrorDate", "01/01/2005");
    EXPECT_EQ(FailureOf([&] { excel.Post(); }), "Field 'Time' must have a value");  // the display name
    excel.Cancel();
    EXPECT_EQ(excel.RecordCount(), 0);
}

TEST_F(StoreTest, OneTransactionFlagForAllTables) {
    EXPECT_TRUE(names.GetDatabase().StartTransactionIfNone());
    EXPECT_FALSE(names.GetDatabase().StartTransactionIfNone());
    EXPECT_FALSE(excel.GetDatabase().StartTransactionIfNone());
    excel.GetDatabase().Commit();
    EXPECT_TRUE(occur.GetDatabase().StartTransactionIfNone());
    occur.GetDatabase().Commit();
    EXPECT_THROW(names.GetDatabase().Commit(), StoreError);
}

TEST_F(StoreTest, EmptyStoresAChangedPendingRecordFirst) {
    names.Empty();
    EXPECT_TRUE(names.IsOpen());
    names.First();
    EXPECT_TRUE(names.AtEnd());
    names.Edit();  // on a table without records Edit is Insert
    EXPECT_EQ(names.Mode(), TableMode::Insert);
    names.Cancel();

    Add("A", "L", 1);
    occur.Insert();
    occur.SetDateTime("ErrorTime", 38000.0);  // changed, but LogLine is missing
    EXPECT_EQ(FailureOf([&] { occur.Empty(); }), "Field 'LogLine' must have a value");
    occur.SetInteger("LogLine", 3);
    occur.Empty();
    EXPECT_EQ(occur.Mode(), TableMode::Browse);
    EXPECT_TRUE(occur.IsOpen());
    EXPECT_EQ(occur.DetachMasterLink().master, &names);
    EXPECT_EQ(occur.RecordCount(), 0);
    EXPECT_TRUE(occur.AtEnd());
}

TEST_F(StoreTest, MasterLinkLimitsOccurrencesToTheCurrentError) {
    Add("A", "L", 1);
    Add("B", "L", 3);
    Add("A", "L", 5);
    Add("C", "L", 7);
    Add("A", "L", 9);
    Add("B", "L", 11);

    ASSERT_TRUE(names.FindKey({"A", "L"}));
    EXPECT_EQ(names.GetInteger("NumTime"), 3);
    EXPECT_EQ(occur.RecordCount(), 3);
    EXPECT_THAT(WalkNumbers(occur, "LogLine"), ElementsAre(1, 5, 9));

    names.Next();
    EXPECT_EQ(occur.RecordCount(), 2);
    EXPECT_EQ(occur.GetInteger("LogLine"), 3);  // stands on the range's first record

    const MasterLink link = occur.DetachMasterLink();
    EXPECT_EQ(occur.RecordCount(), 6);
    EXPECT_THAT(WalkNumbers(occur, "LogLine"), ElementsAre(1, 5, 9, 3, 11, 7));

    names.First();
    occur.AttachMasterLink(link);
    EXPECT_EQ(occur.RecordCount(), 3);
    EXPECT_EQ(occur.GetInteger("LogLine"), 1);

    names.Empty();  // no current record: the range is empty
    EXPECT_EQ(occur.RecordCount(), 0);
    EXPECT_TRUE(occur.AtEnd());
}

TEST_F(StoreTest, LinkRangeFollowsKeyFieldsOfAPendingErrorNameRecord) {
    Add("A", "L", 1);
    Add("B", "L", 3);
    ASSERT_TRUE(names.FindKey({"A", "L"}));

    names.Insert();
    EXPECT_EQ(occur.RecordCount(), 1);  // nothing set yet: the range stays
    names.SetString("ErrorText", "B");
    EXPECT_EQ(occur.RecordCount(), 0);  // location still missing
    names.SetString("ErrorLoc", "L");
    EXPECT_EQ(occur.RecordCount(), 1);
    EXPECT_EQ(occur.GetInteger("LogLine"), 3);

    occur.Insert();  // takes the link fields from the pending master record
    EXPECT_EQ(occur.GetString("ErrorText"), "B");
    EXPECT_EQ(occur.GetString("ErrorLoc"), "L");
    occur.Cancel();

    names.Cancel();
    EXPECT_EQ(occur.GetInteger("LogLine"), 1);
}

TEST_F(StoreTest, IndexesOrderTheTablesAndKeepInsertionOrderForEqualKeys) {
    EXPECT_EQ(names.GetIndex(), "ByErrorText");
    EXPECT_EQ(occur.GetIndex(), "");
    EXPECT_EQ(excel.GetIndex(), "ByTime");

    // Error texts compare as bytes: upper case before lower case.
    for (const char* text : {"b", "B", "a", "b", "c", "a"}) Add(text, "L", 1);
    EXPECT_THAT(Walk(names, "ErrorText"), ElementsAre("B", "a", "b", "c"));

    // A record without a count goes last in the descending order.
    RunChange(names, [&] {
        names.Insert();
        names.SetString("ErrorText", "none");
        names.SetString("ErrorLoc", "L");
        names.Post();
    });
    // An edit keeps the record's place among equal keys.
    ASSERT_TRUE(names.FindKey({"B", "L"}));
    names.Edit();
    names.SetInteger("NumTime", 5);
    names.Post();
    names.Edit();
    names.SetInteger("NumTime", 1);
    names.Post();
    names.SetIndex("ByNumberD");
    EXPECT_EQ(names.GetIndex(), "ByNumberD");
    EXPECT_THAT(Walk(names, "ErrorText"), ElementsAre("b", "a", "B", "c", "none"));

    // Naming the order in force does nothing, not even finishing a record.
    names.Insert();
    names.SetString("ErrorText", "pending");
    names.SetIndex("bynumberd");
    EXPECT_EQ(names.Mode(), TableMode::Insert);
    names.Cancel();

    EXPECT_THAT(FailureOf([&] { names.SetIndex("ByNothing"); }), HasSubstr("Index does not exist."));
    EXPECT_EQ(names.GetIndex(), "ByNumberD");
    names.SetIndex("ByErrorText");

    // ForExcel's order ignores letter case.
    for (const auto& [time, text] :
         std::vector<std::pair<const char*, const char*>>{{"a", "first"}, {"B", "second"}, {"A", "third"}}) {
        RunChange(excel, [&] {
            excel.Insert();
            excel.SetString("ErrorDate", "01/01/2005");
            excel.SetString("ErrorTime", time);
            excel.SetString("ErrorText", text);
            excel.Post();
        });
    }
    EXPECT_THAT(Walk(excel, "ErrorText"), ElementsAre("first", "third", "second"));
    EXPECT_TRUE(excel.FindKey({"01/01/2005", "b"}));
    EXPECT_EQ(excel.GetString("ErrorText"), "second");
}

TEST_F(StoreTest, FailedChangeIsRolledBackAndLaterChangesWork) {
    Add("A", "L", 1);
    const std::string rangeMessage =
        "2147483648 is not a valid value for field 'LogLine'. The allowed range is -2147483648 to 2147483647";

    // New error: its count is committed before the occurrence fails.
    EXPECT_EQ(FailureOf([&] { Add("N", "L", 2147483648); }), rangeMessage);
    EXPECT_FALSE(names.GetDatabase().InTransaction());
    EXPECT_EQ(occur.Mode(), TableMode::Browse);
    ASSERT_TRUE(names.FindKey({"N", "L"}));
    EXPECT_EQ(names.GetInteger("NumTime"), 1);
    EXPECT_EQ(occur.RecordCount(), 0);

    // Known error: neither the occurrence nor the count is stored.
    EXPECT_EQ(FailureOf([&] { Add("A", "L", 2147483648); }), rangeMessage);
    ASSERT_TRUE(names.FindKey({"A", "L"}));
    EXPECT_EQ(names.GetInteger("NumTime"), 1);

    // A change that fails after its Post is undone as a whole.
    EXPECT_EQ(FailureOf([&] {
                  RunChange(names, [&] {
                      names.Insert();
                      names.SetString("ErrorText", "undone");
                      names.SetString("ErrorLoc", "L");
                      names.Post();
                      throw Error("disk gone");
                  });
              }),
              "disk gone");
    EXPECT_FALSE(names.FindKey({"undone", "L"}));
    EXPECT_THAT(Walk(names, "ErrorText"), ElementsAre("A", "N"));

    // So is one whose later writes follow an edit: every write since the start goes.
    ASSERT_TRUE(names.FindKey({"A", "L"}));
    EXPECT_EQ(FailureOf([&] {
                  RunChange(names, [&] {
                      names.Edit();
                      names.SetInteger("NumTime", 7);
                      names.Post();
                      names.Insert();
                      names.SetString("ErrorText", "B");
                      names.SetString("ErrorLoc", "L");
                      names.Post();
                      names.Edit();
                      names.SetString("ErrorText", "C");
                      names.Post();
                      throw Error("disk gone");
                  });
              }),
              "disk gone");
    EXPECT_THAT(Walk(names, "ErrorText"), ElementsAre("A", "N"));
    EXPECT_THAT(WalkNumbers(names, "NumTime"), ElementsAre(1, 1));
    occur.DetachMasterLink();
    EXPECT_EQ(occur.RecordCount(), 1);
    occur.AttachMasterLink(MasterLink{&names, {"ErrorText", "ErrorLoc"}});

    occur.Empty();
    names.Empty();
    excel.Empty();
    occur.First();
    names.First();
    EXPECT_TRUE(names.AtEnd());
    Add("X", "L", 1);
    Add("X", "L", 3);
    Add("Y", "L", 5);
    ASSERT_TRUE(names.FindKey({"X", "L"}));
    EXPECT_EQ(names.GetInteger("NumTime"), 2);
    EXPECT_THAT(WalkNumbers(occur, "LogLine"), ElementsAre(1, 3));
    occur.DetachMasterLink();
    EXPECT_EQ(occur.RecordCount(), 3);
}

// A walk with First/Next goes on from the current record when the walked
// table or another one is changed on the way, and sees the changes.
TEST_F(StoreTest, WalkGoesOnAcrossChangesOnTheWay) {
    for (const char* text : {"A", "B", "C", "D"}) Add(text, "L", 1);
    Add("B", "L", 3);
    std::vector<std::string> seen;
    for (names.First(); !names.AtEnd(); names.Next()) {
        seen.push_back(names.GetString("ErrorText"));
        RunChange(names, [&] {
            names.Edit();
            names.SetInteger("NumTime", names.GetInteger("NumTime") + 10);
            names.Post();
        });
        if (seen.size() == 2) {
            RunChange(names, [&] {  // the new record becomes current: the walk goes on after it
                names.Insert();
                names.SetString("ErrorText", "BB");
                names.SetString("ErrorLoc", "L");
                names.SetInteger("NumTime", 0);
                names.Post();
            });
        }
    }
    EXPECT_THAT(seen, ElementsAre("A", "B", "C", "D"));
    EXPECT_THAT(WalkNumbers(names, "NumTime"), ElementsAre(11, 12, 0, 11, 11));

    occur.DetachMasterLink();
    std::vector<int> lines;
    for (occur.First(); !occur.AtEnd(); occur.Next()) {
        lines.push_back(occur.GetInteger("LogLine"));
        RunChange(excel, [&] {
            excel.Insert();
            excel.SetString("ErrorDate", "01/01/2005");
            excel.SetString("ErrorTime", std::to_string(lines.size()));
            excel.SetString("ErrorText", occur.GetString("ErrorText"));
            excel.Post();
        });
    }
    EXPECT_THAT(lines, ElementsAre(1, 1, 3, 1, 1));
    EXPECT_EQ(excel.RecordCount(), 5);
}

TEST_F(StoreTest, CommittedChangesReachTheFilesWhenTheDatabaseCloses) {
    Add("A", "L", 1);
    Add("A", "L", 3);
    tables.Close();
    tables.database.Close();

    AliasRegistry otherAliases;
    otherAliases.AddAlias(kDatabaseAlias, folder.Path().string());
    ErrorTables reopened(otherAliases);
    reopened.Open();
    ASSERT_TRUE(reopened.errorNames.FindKey({"A", "L"}));
    EXPECT_EQ(reopened.errorNames.GetInteger("NumTime"), 2);
    EXPECT_EQ(reopened.occurrences.RecordCount(), 2);
}

TEST_F(StoreTest, DateTimesAreKeptToTheMillisecond) {
    const DateTime value = 38000.5 + 0.4 / kMillisecondsPerDay + 7.0 / kMillisecondsPerDay;
    Add("A", "L", 1, value);
    occur.First();
    EXPECT_EQ(occur.GetDateTime("ErrorTime"), (38000.5 * kMillisecondsPerDay + 7.0) / kMillisecondsPerDay);
}

// A folder holding a file made from def in place of the built one.
class OpenTest : public ::testing::Test {
protected:
    OpenTest() { aliases.AddAlias(kDatabaseAlias, folder.Path().string()); }

    TempFolder folder;
    AliasRegistry aliases;
    ErrorTables tables{aliases};
};

TEST_F(OpenTest, MissingFolderFileOrIndexFailsWithTheStoreMessage) {
    std::filesystem::remove(folder.Path());
    EXPECT_THAT(FailureOf([&] { tables.errorNames.Open(); }),
                HasSubstr("The alias references a directory that does not exist."));

    std::filesystem::create_directory(folder.Path());
    EXPECT_THAT(FailureOf([&] { tables.errorNames.Open(); }), HasSubstr("Table does not exist."));

    TableDef noIndex = ErrorOccurTableDef();
    noIndex.indexes = {{"Descending", {{"ErrorText", true}, {"ErrorLoc", false}}, false, false},
                       {"Swapped", {{"ErrorLoc", false}, {"ErrorText", false}}, false, false}};
    CreateTableFile(folder.Path(), noIndex);
    EXPECT_EQ(FailureOf([&] { tables.occurrences.Open(); }), "No index for fields 'ErrorText;ErrorLoc'");
    EXPECT_FALSE(tables.occurrences.IsOpen());
}

TEST_F(OpenTest, OccurrenceIndexIsTheFirstExactThenTheFirstLongerOne) {
    const IndexDef longer{"Longer", {{"ErrorText", false}, {"ErrorLoc", false}, {"LogLine", false}}, false, false};
    const IndexDef exact{"Exact", {{"ErrorText", false}, {"ErrorLoc", false}}, false, false};
    struct Case {
        std::vector<IndexDef> indexes;
        std::vector<int> lines;
    };
    for (const Case& c : {Case{{longer, exact}, {5, 3}}, Case{{longer}, {3, 5}}}) {
        TableDef def = ErrorOccurTableDef();
        def.indexes = c.indexes;
        tables.Close();
        CreateTableFile(folder.Path(), def);
        tables.occurrences.DetachMasterLink();
        tables.occurrences.Open();
        for (int line : {5, 3}) {
            tables.occurrences.Insert();
            tables.occurrences.SetString("ErrorText", "t");
            tables.occurrences.SetString("ErrorLoc", "l");
            tables.occurrences.SetDateTime("ErrorTime", 1.0);
            tables.occurrences.SetInteger("LogLine", line);
            tables.occurrences.Post();
        }
        std::vector<int> lines;
        for (tables.occurrences.First(); !tables.occurrences.AtEnd(); tables.occurrences.Next()) {
            lines.push_back(tables.occurrences.GetInteger("LogLine"));
        }
        EXPECT_EQ(lines, c.lines);
        tables.database.Close();
    }
}

}  // namespace
}  // namespace lognex
