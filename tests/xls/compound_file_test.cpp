#include <gtest/gtest.h>

#include <string>

#include "common/failure_message.h"
#include "xls/compound_file.h"
#include "xls/compound_reader.h"

namespace lognex {
namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

struct SizeCase {
    const char* what;
    std::size_t size;
    bool difat;
};

class CompoundFileSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CompoundFileSizes, StreamReadsBackWhole) {
    const std::string stream = Pattern(GetParam().size);
    const test::CompoundReader reader(BuildCompoundFile(u"Workbook", stream));
    EXPECT_EQ(reader.Stream(u"Workbook"), stream);
    ASSERT_EQ(reader.EntriesInUse(), 2u);
    EXPECT_EQ(reader.Entries()[0].name, u"Root Entry");
    EXPECT_EQ(reader.Entries()[0].child, 1u);
    EXPECT_EQ(reader.Entries()[1].name, u"Workbook");
    EXPECT_EQ(reader.DifatSectors() > 0, GetParam().difat);
}

// Sizes around the mini stream cutoff, a full mini FAT sector, and the point
// where 109 FAT sectors no longer cover the file.
INSTANTIATE_TEST_SUITE_P(, CompoundFileSizes,
                         ::testing::Values(SizeCase{"empty", 0, false}, SizeCase{"one_byte", 1, false},
                                           SizeCase{"mini", 2200, false}, SizeCase{"largest_mini", 4095, false},
                                           SizeCase{"smallest_regular", 4096, false},
                                           SizeCase{"regular", 100'001, false},
                                           SizeCase{"header_fat_full", (109 * 128 - 110) * 512, false},
                                           SizeCase{"needs_difat", (109 * 128 - 109) * 512, true},
                                           SizeCase{"two_difat_sectors", (236 * 128) * 512, true}),
                         [](const ::testing::TestParamInfo<SizeCase>& param) { return std::string(param.param.what); });

// The stream name is the directory entry's 31 characters at most; a longer
// one is refused with the program's own error, not cut.
TEST(CompoundFile, StreamNameLongerThanTheDirectoryHoldsIsRefused) {
    EXPECT_NO_THROW(BuildCompoundFile(std::u16string(31, u'W'), "x"));
    EXPECT_EQ(
        testing::FailureOf([] { BuildCompoundFile(std::u16string(32, u'W'), "x"); }),
        "Cannot write the workbook: the stream name \"" + std::string(32, 'W') + "\" is longer than 31 characters");
}

}  // namespace
}  // namespace lognex
