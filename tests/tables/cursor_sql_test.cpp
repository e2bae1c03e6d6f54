#include "tables/cursor_sql.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure_message.h"

namespace lognex {
namespace {

// A table of two text fields and a number, as the occurrences are ordered:
// two binary text keys, linked on the first when linked is 1.
TableDef Occurrences() {
    return {.name = "Occ",
            .fields = {{.name = "Text", .type = FieldType::Text, .width = 90},
                       {.name = "Loc", .type = FieldType::Text, .width = 90},
                       {.name = "Line", .type = FieldType::SmallInt}}};
}

const std::vector<KeyColumn> kTextThenLoc = {{.field = 0, .collation = "BINARY"}, {.field = 1, .collation = "BINARY"}};
const std::vector<KeyColumn> kLineDescending = {{.field = 2, .descending = true, .collation = "BINARY"}};

constexpr char kHead[] = R"(SELECT rowid, "Text", "Loc", "Line" FROM "Occ"."Occ")";
constexpr char kByTextLoc[] = R"( ORDER BY "Text" COLLATE BINARY, "Loc" COLLATE BINARY, rowid LIMIT 1)";
constexpr char kByLineDesc[] = R"( ORDER BY "Line" COLLATE BINARY DESC, rowid LIMIT 1)";

TEST(CursorSql, QueriesThatDoNotSeek) {
    const CursorSql all(Occurrences(), kTextThenLoc, 0);
    EXPECT_EQ(all.First(), std::string(kHead) + kByTextLoc);
    EXPECT_EQ(all.Count(), R"(SELECT count(*) FROM "Occ"."Occ")");
    EXPECT_EQ(all.Insert(), R"(INSERT INTO "Occ"."Occ" ("Text", "Loc", "Line") VALUES (?, ?, ?))");
    EXPECT_EQ(all.Update(), R"(UPDATE "Occ"."Occ" SET "Text" = ?, "Loc" = ?, "Line" = ? WHERE rowid = ?)");
    EXPECT_EQ(all.ByRowid(), std::string(kHead) + " WHERE rowid = ?1");

    // A link keeps every query of the range to the linked key's value.
    const CursorSql linked(Occurrences(), kTextThenLoc, 1);
    EXPECT_EQ(linked.First(), std::string(kHead) + R"( WHERE "Text" COLLATE BINARY IS ?)" + kByTextLoc);
    EXPECT_EQ(linked.Count(), R"(SELECT count(*) FROM "Occ"."Occ" WHERE "Text" COLLATE BINARY IS ?)");
    EXPECT_EQ(linked.Insert(), all.Insert());
}

TEST(CursorSql, SeeksAndFinds) {
    struct Case {
        const char* name;
        const std::vector<KeyColumn>* keys;
        std::size_t linked;
        std::size_t level;  // 0: Find(count) instead of a seek
        SeekOp op;
        std::size_t count;
        std::string where;
        const char* orderBy;
    };
    const Case cases[] = {
        {"later rowid under equal keys", &kTextThenLoc, 0, 3, SeekOp::Greater, 0,
         R"("Text" COLLATE BINARY IS ? AND "Loc" COLLATE BINARY IS ? AND rowid > ?)", kByTextLoc},
        {"later last key under an equal first", &kTextThenLoc, 0, 2, SeekOp::Greater, 0,
         R"("Text" COLLATE BINARY IS ? AND "Loc" COLLATE BINARY > ?)", kByTextLoc},
        {"first key after a NULL", &kTextThenLoc, 0, 1, SeekOp::IsNotNull, 0, R"("Text" COLLATE BINARY IS NOT NULL)",
         kByTextLoc},
        {"range key is never compared", &kTextThenLoc, 1, 2, SeekOp::Greater, 0,
         R"("Text" COLLATE BINARY IS ? AND "Loc" COLLATE BINARY > ?)", kByTextLoc},
        {"rowid inside a linked range", &kTextThenLoc, 1, 3, SeekOp::Greater, 0,
         R"("Text" COLLATE BINARY IS ? AND "Loc" COLLATE BINARY IS ? AND rowid > ?)", kByTextLoc},
        {"descending key: less", &kLineDescending, 0, 1, SeekOp::Less, 0, R"("Line" COLLATE BINARY < ?)", kByLineDesc},
        {"descending key: then NULL", &kLineDescending, 0, 1, SeekOp::IsNull, 0, R"("Line" COLLATE BINARY IS NULL)",
         kByLineDesc},
        {"find on one key", &kTextThenLoc, 0, 0, SeekOp::Greater, 1, R"("Text" COLLATE BINARY IS ?)", kByTextLoc},
        {"find on both keys", &kTextThenLoc, 0, 0, SeekOp::Greater, 2,
         R"("Text" COLLATE BINARY IS ? AND "Loc" COLLATE BINARY IS ?)", kByTextLoc},
        // The linked key is bound once for the range and once for the find.
        {"find inside a linked range", &kTextThenLoc, 1, 0, SeekOp::Greater, 1,
         R"("Text" COLLATE BINARY IS ? AND "Text" COLLATE BINARY IS ?)", kByTextLoc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CursorSql sql(Occurrences(), *c.keys, c.linked);
        const std::string& got = c.level == 0 ? sql.Find(c.count) : sql.Seek(c.level, c.op);
        EXPECT_EQ(got, std::string(kHead) + " WHERE " + c.where + c.orderBy);
    }
}

TEST(CursorSql, NamesAreQuotedAndALinkLongerThanTheOrderIsRefused) {
    TableDef odd = Occurrences();
    odd.name = R"(O"cc)";
    odd.fields[0].name = R"(Te"xt)";
    const CursorSql sql(odd, kTextThenLoc, 0);
    EXPECT_EQ(sql.Count(), R"(SELECT count(*) FROM "O""cc"."O""cc")");
    EXPECT_NE(sql.First().find(R"(ORDER BY "Te""xt" COLLATE BINARY)"), std::string::npos);

    EXPECT_EQ(testing::FailureOf([] { CursorSql(Occurrences(), kLineDescending, 2); }),
              "The order of table Occ does not suit its master link");
}

}  // namespace
}  // namespace lognex
