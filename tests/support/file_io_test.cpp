#include "support/file_io.h"

#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

namespace lognex {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WriteFileWhole, ReplacesTheFileAndLeavesNoTemporary) {
    const fs::path dir = fs::temp_directory_path() / "lognex-write-whole";
    fs::remove_all(dir);
    fs::create_directories(dir);
    WriteFileWhole(dir / "out.txt", "first");
    WriteFileWhole(dir / "out.txt", std::string("second\r\n\0x", 10));
    EXPECT_EQ(Read(dir / "out.txt"), std::string("second\r\n\0x", 10));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(WriteFileWhole, FailureKeepsThePreviousFile) {
    const fs::path dir = fs::temp_directory_path() / "lognex-write-fail";
    fs::remove_all(dir);
    fs::create_directories(dir / "target-is-a-folder");
    EXPECT_THROW(WriteFileWhole(dir / "target-is-a-folder", "x"), std::system_error);
    EXPECT_TRUE(fs::is_directory(dir / "target-is-a-folder"));
    try {
        WriteFileWhole(dir / "missing" / "out.txt", "x");
        FAIL();
    } catch (const std::system_error& e) {
        EXPECT_STREQ(e.what(), "No such file or directory");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace lognex
