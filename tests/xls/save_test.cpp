#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "common/failure_message.h"
#include "common/temp_folder.h"
#include "support/error.h"
#include "xls/compound_reader.h"
#include "xls/export_worksheet.h"

namespace lognex {
namespace {

class SaveTest : public ::testing::Test {
protected:
    static std::string Contents(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string SaveFailure(const std::filesystem::path& file, const std::vector<ExportRow>& rows) {
        return testing::FailureOf([&] { WriteWorkbook("", rows, file); });
    }

    testing::TempFolder temporary_;
    const std::filesystem::path& folder_ = temporary_.Path();
};

TEST_F(SaveTest, SavedFileHoldsTheWorkbookStreamAndReplacesAnOlderFile) {
    const std::filesystem::path file = folder_ / "Error Log.xls";
    std::ofstream(file) << "an older file";
    const std::vector<ExportRow> rows = {{"01/15/2005", "10:00:01", "Stage timeout - FILE: CVT.c at LINE: 3580"}};
    WriteWorkbook("span", rows, file);

    WorkbookWriter xls;
    LayOutExportSheet(xls, "span", rows);
    const test::CompoundReader reader(Contents(file));
    EXPECT_EQ(reader.Stream(u"Workbook"), xls.WorkbookStream());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1);
}

TEST_F(SaveTest, FailuresCarryTheMessageTheUserSees) {
    EXPECT_EQ(SaveFailure("", {}), "Filename is missing");
    EXPECT_EQ(SaveFailure(folder_ / "missing" / "Error Log.xls", {}), "No such file or directory");
    EXPECT_EQ(SaveFailure(folder_, {}), "Is a directory");
}

TEST_F(SaveTest, FailedSaveLeavesTheEarlierFileAsItWas) {
    const std::filesystem::path file = folder_ / "Error Log.xls";
    WriteWorkbook("", {}, file);
    const std::string earlier = Contents(file);

    // A file size limit below the new workbook's size makes its write fail midway.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string message = SaveFailure(file, std::vector<ExportRow>(2000, {"01/15/2005", "10:00:01", "text"}));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(message, "File too large");
    EXPECT_EQ(Contents(file), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1)
        << "no temporary file is left behind";
}

}  // namespace
}  // namespace lognex
