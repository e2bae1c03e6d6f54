#include <gtest/gtest.h>

#include <set>

#include "support/error.h"
#include "xls/byte_builder.h"
#include "xls/shared_strings.h"

namespace lognex {
namespace {

using test::FoundRecord;
using test::Read16;
using test::Read32;

// `count` different texts of `length` characters; all take the same room, so
// where a record ends does not depend on their order.
std::vector<std::u16string> SameLengthTexts(int count, std::size_t length, char16_t fill = u'x') {
    std::vector<std::u16string> texts;
    for (int i = 0; i < count; ++i) {
        std::u16string text(length, fill);
        for (int k = 0, n = i; k < 4; ++k, n /= 26) text[k] = static_cast<char16_t>(u'a' + n % 26);
        texts.push_back(text);
    }
    return texts;
}

std::string WrittenTable(const std::vector<std::u16string>& texts) {
    SharedStringTable table;
    for (const auto& text : texts) table.Add(text);
    RecordStream stream;
    table.Write(stream);
    return stream.TakeBytes();
}

TEST(SharedStrings, FormIsUtf16OnlyForTextsBeyondLatin1) {
    SharedStringTable table;
    const SharedString* latin1 = table.Add(u"caf\u00E9 \u00FF");
    const SharedString* wide = table.Add(u"100 \u20AC");
    EXPECT_EQ(latin1->form, 0);
    EXPECT_EQ(latin1->bytes, std::string("caf\xE9 \xFF"));
    EXPECT_EQ(wide->form, 1);
    EXPECT_EQ(wide->bytes, std::string("1\0"
                                       "0\0"
                                       "0\0"
                                       " \0"
                                       "\xAC\x20",
                                       10));
    EXPECT_EQ(wide->characterCount, 5);
}

TEST(SharedStrings, RepeatedTextIsOneEntryButCountsInTheTotal) {
    SharedStringTable table;
    const SharedString* first = table.Add(u"Stage timeout");
    table.Add(u"Other");
    EXPECT_EQ(table.Add(u"Stage timeout"), first);
    EXPECT_EQ(first->referenceCount, 2u);
    EXPECT_EQ(table.TotalCount(), 3u);
    EXPECT_EQ(table.UniqueCount(), 2u);
}

TEST(SharedStrings, ElfHashFoldsTheTopNibble) {
    EXPECT_EQ(ElfHash(""), 0u);
    EXPECT_EQ(ElfHash("Date"), 0x4A8A5u);
    EXPECT_EQ(ElfHash("EG Commander Error Log"), 0x9C8B2C7u);
}

// Texts of equal hash go where a binary search over the table ends, and a
// text is found only where that search probes it: "\x10", "\x01\x00" and
// "\x00\x10" all hash to 0x10, "Z" to 0x5A.
TEST(SharedStrings, EqualHashesFollowThePlainBinarySearch) {
    const std::u16string a = u"\x10", b = std::u16string(u"\x01\x00", 2), c = std::u16string(u"\x00\x10", 2);
    const std::u16string a2 = a + u"'";  // marks the second entry of a in the expected order
    struct Case {
        const char* what;
        std::vector<std::u16string> added;
        std::vector<std::u16string> order;  // after a is added once more
    };
    const Case cases[] = {
        {"last probe on the equal entry: inserted before it; a found", {a, b, c}, {b, c, a}},
        {"last probe on the greater entry: inserted at it; a passed by and stored twice",
         {u"Z", a, b, c},
         {a, b, c, a2, u"Z"}},
    };
    for (const Case& test : cases) {
        SharedStringTable table;
        std::vector<const SharedString*> entries;
        for (const auto& text : test.added) entries.push_back(table.Add(text));
        const SharedString* again = table.Add(a);
        const bool found = again == entries[test.added[0] == a ? 0 : 1];
        EXPECT_EQ(table.UniqueCount(), test.order.size()) << test.what;
        EXPECT_EQ(table.TotalCount(), test.added.size() + 1) << test.what;
        EXPECT_EQ(again->referenceCount, found ? 2u : 1u) << test.what;
        std::vector<std::u16string> order;
        for (const SharedString* entry : table.Number()) {
            std::u16string text(entry->bytes.begin(), entry->bytes.end());
            if (entry == again && !found) text += u"'";
            order.push_back(text);
        }
        EXPECT_EQ(order, test.order) << test.what;
    }
}

TEST(SharedStrings, TextAfterFifteenBytesOrFewerStartsAFreshContinue) {
    // After the two counts 8,216 bytes are left; 59 texts of 3 + 136 bytes
    // leave exactly 15, 50 of 3 + 161 leave 16.
    struct Case {
        int before;
        std::size_t length;
        std::size_t sstLength;
    };
    for (const Case test : {Case{59, 136, 8224 - 15}, Case{50, 161, 8224}}) {
        const std::vector<test::FoundRecord> records =
            test::SplitRecords(WrittenTable(SameLengthTexts(test.before + 1, test.length)));
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[0].number, 0x00FC);
        EXPECT_EQ(records[0].data.size(), test.sstLength);
        EXPECT_EQ(records[1].number, 0x003C);
        if (test.sstLength < 8224) {
            // The character count is the first thing in the CONTINUE record.
            EXPECT_EQ(Read16(records[1].data, 0), test.length);
            EXPECT_EQ(records[1].data[2], '\0');
            EXPECT_EQ(records[1].data.size(), 3 + test.length);
        } else {
            // 13 characters fit after the header; the rest follows a repeated form byte.
            EXPECT_EQ(Read16(records[0].data, 8224 - 16), test.length);
            EXPECT_EQ(records[1].data[0], '\0');
            EXPECT_EQ(records[1].data.size(), 1 + test.length - 13);
        }
        EXPECT_EQ(records[2].number, 0x00FF);
    }
}

TEST(SharedStrings, Utf16TextNeverSplitsACharacterAtAnOddBudget) {
    // 8,216 - 3 = 8,213 bytes are left for the characters: one is held back.
    std::u16string text(5000, u'\u20AC');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(0x0400 + i % 200);
    const std::vector<FoundRecord> records = test::SplitRecords(WrittenTable({text}));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].data.size(), 8223u);
    ASSERT_EQ(records[1].number, 0x003C);
    EXPECT_EQ(records[1].data.size(), 1 + 2 * (5000 - 4106));
    EXPECT_EQ(records[1].data[0], '\x01');
    EXPECT_EQ(Read16(records[1].data, 1), text[4106]);
}

TEST(SharedStrings, ExtSstBucketsPointAtEveryEighthTextAcrossRecords) {
    const std::vector<std::u16string> texts = SameLengthTexts(100, 200);
    const std::string stream = WrittenTable(texts);
    const std::vector<FoundRecord> records = test::SplitRecords(stream);
    const FoundRecord& extSst = records.back();
    ASSERT_EQ(extSst.number, 0x00FF);
    ASSERT_EQ(extSst.data.size(), 106u);
    EXPECT_EQ(Read16(extSst.data, 0), 8);
    std::set<std::size_t> recordStarts;
    for (const FoundRecord& record : records) recordStarts.insert(record.position);
    for (int bucket = 0; bucket < 13; ++bucket) {
        const std::uint32_t position = Read32(extSst.data, 2 + 8 * bucket);
        const std::uint16_t offset = Read16(extSst.data, 6 + 8 * bucket);
        EXPECT_EQ(Read16(extSst.data, 8 + 8 * bucket), 0);
        EXPECT_TRUE(recordStarts.count(position - offset)) << "bucket " << bucket;
        EXPECT_EQ(Read16(stream, position), 200) << "bucket " << bucket << " starts at a text";
    }
    // 100 texts of 203 bytes need three records, so buckets lie in CONTINUEs too.
    EXPECT_EQ(records[2].number, 0x003C);
}

TEST(SharedStrings, BucketSizeKeepsExtSstInOneRecord) {
    const std::pair<std::uint32_t, unsigned> cases[] = {{0, 8},    {100, 8},  {8216, 8},  {8217, 9},
                                                        {8221, 9}, {8222, 9}, {65535, 64}};
    for (const auto& [unique, size] : cases) EXPECT_EQ(SstBucketSize(unique), size) << unique;

    const std::string stream = WrittenTable(SameLengthTexts(8217, 4));
    EXPECT_EQ(test::SplitRecords(stream).back().data.size(), 2u + 8 * 913);
}

TEST(SharedStrings, TextLongerThanACountHoldsIsRefused) {
    SharedStringTable table;
    EXPECT_NO_THROW(table.Add(std::u16string(65535, u'a')));
    EXPECT_THROW(table.Add(std::u16string(65536, u'a')), Error);
}

}  // namespace
}  // namespace lognex
