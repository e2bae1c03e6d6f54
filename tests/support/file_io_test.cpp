#include "support/file_io.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <system_error>
#include <thread>

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

// Each target names something that a rename would replace or that must be
// refused; the link, the node or the old content must survive as it should.
#ifndef _WIN32  // links, FIFOs, devices and modes of POSIX
TEST(WriteFileWhole, HostileTargetsAreWrittenThroughOrRefused) {
    const fs::path dir = fs::temp_directory_path() / ("lognex-write-hostile-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "folder");
    std::ofstream(dir / "real.txt") << "old";
    fs::create_symlink("real.txt", dir / "link.txt");
    fs::create_symlink("chain.txt", dir / "chain2.txt");
    fs::create_symlink("link.txt", dir / "chain.txt");
    fs::create_symlink("not-yet.txt", dir / "dangling.txt");
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);

    struct Case {
        const char* target;
        int error;            // 0: written
        const char* written;  // where the bytes must then be found
    } cases[] = {
        {"link.txt", 0, "real.txt"},
        {"chain2.txt", 0, "real.txt"},
        {"dangling.txt", 0, "not-yet.txt"},
        {"folder", EISDIR, nullptr},
        {"loop-a", ELOOP, nullptr},
        {"fifo", ENXIO, nullptr},  // nobody reads it: refused after a short wait, not a hang
    };
    for (const Case& c : cases) {
        try {
            WriteFileWhole(dir / c.target, std::string("new ") + c.target);
            EXPECT_EQ(c.error, 0) << c.target;
            EXPECT_EQ(Read(dir / c.written), std::string("new ") + c.target) << c.target;
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), c.error) << c.target << ": " << e.what();
        }
    }
    // Links stay links, the FIFO stays a FIFO, and no temporary is left.
    for (const char* link : {"link.txt", "chain.txt", "chain2.txt", "dangling.txt"})
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    EXPECT_EQ(fs::symlink_status(dir / "fifo").type(), fs::file_type::fifo);
    for (const auto& entry : fs::directory_iterator(dir)) EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();

    // A FIFO with a reader and a character device are written directly.
    auto reader = std::async(std::launch::async, [&] { return Read(dir / "fifo"); });
    WriteFileWhole(dir / "fifo", "through the pipe");
    EXPECT_EQ(reader.get(), "through the pipe");
    EXPECT_NO_THROW(WriteFileWhole("/dev/null", "discarded"));
    EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character);
    try {
        WriteFileWhole("/dev/full", "x");
        ADD_FAILURE() << "a full device accepted the bytes";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOSPC);
    }
    fs::remove_all(dir);
}
#endif

#ifndef _WIN32  // links, FIFOs, devices and modes of POSIX
TEST(WriteFileWhole, ReplacementKeepsThePermissionsOfTheFileItReplaces) {
    const fs::path dir = fs::temp_directory_path() / ("lognex-write-mode-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "private.txt") << "old";
    fs::permissions(dir / "private.txt", fs::perms::owner_read | fs::perms::owner_write);
    WriteFileWhole(dir / "private.txt", "new");
    EXPECT_EQ(Read(dir / "private.txt"), "new");
    EXPECT_EQ(fs::status(dir / "private.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace lognex
