// The platform layer's calls, run against the real file system: on Linux,
// and cross-built for Windows under wine.
#include "support/platform_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "support/file_io.h"
#include "support/process_info.h"
#include "support/temporary_folder.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class PlatformFiles : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTemporaryFolder("lognex-platform-test-"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path folder_;
};

TEST_F(PlatformFiles, TemporaryFoldersAreNewAndDistinct) {
    EXPECT_TRUE(fs::is_directory(folder_));
    EXPECT_EQ(folder_.filename().string().rfind("lognex-platform-test-", 0), 0u);
    const fs::path second = MakeTemporaryFolder("lognex-platform-test-");
    EXPECT_NE(second, folder_);
    fs::remove_all(second);
}

TEST_F(PlatformFiles, RenameOverReplacesAnExistingFile) {
    Write(folder_ / "new", "new\n");
    Write(folder_ / "old", "old");
    RenameOver(folder_ / "new", folder_ / "old");
    EXPECT_EQ(Read(folder_ / "old"), "new\n");
    EXPECT_FALSE(fs::exists(folder_ / "new"));
    EXPECT_THROW(RenameOver(folder_ / "missing", folder_ / "old"), std::system_error);
}

// Line ends stay as written: no text mode turns LF into CR LF.
TEST_F(PlatformFiles, WholeFileWritesKeepEveryByteAndReplaceTheTarget) {
    const std::string bytes("a\nb\r\nc\x1A\0d", 10);
    WriteFileWhole(folder_ / "out.bin", "old");
    WriteFileWhole(folder_ / "out.bin", bytes);
    EXPECT_EQ(Read(folder_ / "out.bin"), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(PlatformFiles, FolderAndNameChecks) {
    EXPECT_TRUE(CanCreateFileIn(folder_.string()));
    EXPECT_FALSE(CanCreateFileIn((folder_ / "missing").string()));
    EXPECT_FALSE(CanCreateFileIn(""));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 0);  // probe removed

    EXPECT_TRUE(MakeOwnFolder(folder_ / "own"));
    EXPECT_TRUE(MakeOwnFolder(folder_ / "own"));
    EXPECT_FALSE(MakeOwnFolder(folder_ / "missing" / "own"));

    Write(folder_ / "part", "tables");
    EXPECT_TRUE(AddNameIfAbsent(folder_ / "part", folder_ / "table"));
    EXPECT_EQ(Read(folder_ / "table"), "tables");
    Write(folder_ / "other", "other");
    EXPECT_FALSE(AddNameIfAbsent(folder_ / "other", folder_ / "table"));  // the first copy stays
    EXPECT_EQ(Read(folder_ / "table"), "tables");

    EXPECT_TRUE(CanWriteFile((folder_ / "table").string()));
    EXPECT_FALSE(CanWriteFile((folder_ / "missing").string()));
}

TEST(ProcessInfo, NamesTheRunningTest) {
    const std::string exe = RunningExecutablePath();
    EXPECT_NE(exe.find("support_tests"), std::string::npos) << exe;
    EXPECT_NE(ProcessId(), 0u);
    EXPECT_FALSE(UserKey().empty());
}

}  // namespace
}  // namespace lognex
