#include "support/st_reg_ini.h"
#include "support/platform_files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace lognex {
namespace {

namespace fs = std::filesystem;

class StRegIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("lognex_ini_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    static void Put(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder_;
};

TEST_F(StRegIniTest, FirstStartReadsDefaultsAndShutdownCreatesUpperCaseFileInKeyOrder) {
    const std::string path = SettingsFilePath(folder_.string());
    EXPECT_EQ(fs::path(path).filename(), "LOGNEX.INI");

    TStRegIni ini(path);
    ini.SetSection("Main");
    EXPECT_EQ(ini.ReadInt("Left", 192), 192);
    EXPECT_EQ(ini.ReadBool("LogCopy", true), true);
    EXPECT_EQ(ini.ReadStr("ErrPath", "/opt/lognex"), "/opt/lognex");
    EXPECT_FALSE(fs::exists(path)) << "reading must not create the file";

    ini.WriteInt("Left", -4);
    ini.WriteInt("Top", 220);
    ini.WriteInt("Height", 427);
    ini.WriteInt("Width", 602);
    ini.WriteBool("Prompt", false);
    ini.WriteBool("LogCopy", true);
    ini.WriteStr("ErrPath", "/home/op/prober logs");
    ini.WriteBool("Source", false);
    EXPECT_FALSE(fs::exists(path)) << "the writes are stored by Flush, all at once";
    ini.Flush();
    EXPECT_EQ(Get(path),
              "[Main]\nLeft=4294967292\nTop=220\nHeight=427\nWidth=602\nPrompt=FALSE\nLogCopy=TRUE\n"
              "ErrPath=/home/op/prober logs\nSource=FALSE\n");

    TStRegIni again(SettingsFilePath(folder_.string()));
    again.SetSection("main");
    EXPECT_EQ(again.ReadInt("LEFT", 192), -4);
    EXPECT_EQ(again.ReadStr("errpath", ""), "/home/op/prober logs");
    EXPECT_EQ(again.ReadBool("logcopy", false), true);
}

TEST(IniValueTest, BooleanEncoding) {
    struct Case {
        const char* stored;
        std::optional<bool> expected;
    };
    const Case cases[] = {
        {"true", true},    {"True", true},   {"FALSE", false}, {"1", true},  {"0", false}, {"0.0", false},
        {"-2.5e-3", true}, {"+0E+7", false}, {" 3", true},     {".5", true}, {"yes", {}},  {"", {}},
        {"1x", {}},        {"1e", {}},       {"1.5.2", {}},    {"e5", {}},   {"-", {}},    {"truex", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIniBool(c.stored), c.expected) << "'" << c.stored << "'";
}

TEST(IniValueTest, IntegerEncoding) {
    struct Case {
        const char* stored;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"192", 192},
        {"$258", 600},
        {"0x258", 600},
        {"X258", 600},
        {"0XfF", 255},
        {"-$10", -16},
        {"  +7", 7},
        {"4294967292", -4},
        {"4294967295", -1},
        {"2147483648", INT_MIN},
        {"-4", -4},  // typed by hand: means what it says
        {"-2147483648", INT_MIN},
        {"-2147483649", {}},
        {"4294967296", {}},
        {"9223372036854775807", {}},
        {"99999999999999999999", {}},
        {"abc", {}},
        {"", {}},
        {"$", {}},
        {"0x", {}},
        {"12a", {}},
        {"1.0", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIniInt(c.stored), c.expected) << "'" << c.stored << "'";

    EXPECT_EQ(FormatIniInt(-4), "4294967292");
    EXPECT_EQ(FormatIniInt(INT_MIN), "2147483648");
    EXPECT_EQ(FormatIniInt(0), "0");
}

TEST_F(StRegIniTest, UnreadableValuesGiveTheDefault) {
    const std::string path = PathOf("LOGNEX.INI");
    Put(path, "[Main]\nWidth=abc\nHeight=\nPrompt=yes\nLogCopy=1x\nLeft=-99999999999\nErrPath=\n");
    TStRegIni ini(path);
    ini.SetSection("Main");
    EXPECT_EQ(ini.ReadInt("Width", 602), 602);
    EXPECT_EQ(ini.ReadInt("Height", 427), 427);
    EXPECT_EQ(ini.ReadBool("Prompt", false), false);
    EXPECT_EQ(ini.ReadBool("LogCopy", true), true);
    EXPECT_EQ(ini.ReadInt("Left", 192), 192);
    EXPECT_EQ(ini.ReadStr("ErrPath", "/prog"), "/prog");
    EXPECT_EQ(ini.ReadStr("Missing", "d"), "d");
    ini.SetSection("Other");
    EXPECT_EQ(ini.ReadInt("Width", 1), 1);
}

TEST_F(StRegIniTest, WriteTouchesOneKeyAndLeavesEveryOtherLineAsItWas) {
    const std::string path = PathOf("LOGNEX.INI");
    Put(path,
        "; kept by hand\r\n"
        "[Other]\r\n"
        "Left=1\r\n"
        "\r\n"
        " [ MAIN ] \r\n"
        "  lEfT = 5 \r\n"
        "Colour=red\r\n"
        "odd line without equals\r\n"
        "\r\n"
        "[Tail]\r\n"
        "x=y");
    TStRegIni ini(path);
    ini.SetSection("Main");
    EXPECT_EQ(ini.ReadInt("Left", 0), 5);
    ini.WriteInt("Left", 300);
    ini.WriteBool("Source", true);
    ini.Flush();
    EXPECT_EQ(Get(path),
              "; kept by hand\r\n"
              "[Other]\r\n"
              "Left=1\r\n"
              "\r\n"
              " [ MAIN ] \r\n"
              "Left=300\r\n"
              "Colour=red\r\n"
              "odd line without equals\r\n"
              "Source=TRUE\r\n"
              "\r\n"
              "[Tail]\r\n"
              "x=y");

    // A missing section goes to the end, after the unterminated last line.
    ini.SetSection("New");
    ini.WriteStr("k", "v");
    ini.Flush();
    EXPECT_TRUE(Get(path).ends_with("[Tail]\r\nx=y\r\n[New]\r\nk=v\r\n"));
}

TEST_F(StRegIniTest, TextComesBackAsWritten) {
    TStRegIni ini(PathOf("LOGNEX.INI"));
    ini.SetSection("Main");
    const std::string values[] = {"/data/prober logs", " leading and trailing ", "\"quoted\"", "'x'", "a=b;c", "\""};
    for (const std::string& value : values) {
        ini.WriteStr("ErrPath", value);
        EXPECT_EQ(ini.ReadStr("ErrPath", "default"), value);
    }
    // A plain value is stored without quotes.
    ini.WriteStr("ErrPath", "/data/prober logs");
    ini.Flush();
    EXPECT_NE(Get(ini.FilePath()).find("ErrPath=/data/prober logs\n"), std::string::npos);

    // A file ending in a lone CR: the line before it reads the same before
    // and after a key is added behind it.
    Put(PathOf("cr.ini"), "x=1\n[ Main\t\r");
    {
        TStRegIni cr(PathOf("cr.ini"));
        cr.SetSection("Main");
        cr.WriteInt("Left", 5);
        cr.Flush();
    }
    EXPECT_EQ(Get(PathOf("cr.ini")), "x=1\n[ Main\t\r\nLeft=5\n");
    TStRegIni crAgain(PathOf("cr.ini"));
    crAgain.SetSection("Main");
    EXPECT_EQ(crAgain.ReadInt("Left", 0), 5);

    // Blanks around a section or key name do not hide it from the reader.
    ini.SetSection(" Spaced ");
    ini.WriteStr(" Key ", "v");
    ini.Flush();
    TStRegIni again(ini.FilePath());
    again.SetSection(" Spaced ");
    EXPECT_EQ(again.ReadStr(" Key ", ""), "v");
    ini.SetSection("Main");

    const std::string longPath = "/" + std::string(1500, 'p');
    ini.WriteStr("ErrPath", longPath);
    EXPECT_EQ(ini.ReadStr("ErrPath", ""), longPath.substr(0, 1023));
}

TEST_F(StRegIniTest, FailedWriteRaisesAndLeavesTheFileAlone) {
    const std::string content = "[Main]\nLeft=5\n";
    const std::string path = PathOf("LOGNEX.INI");
    Put(path, content);
    TStRegIni ini(path);
    ini.SetSection("Main");

    const auto failure = [](TStRegIni& target) {
        try {
            target.WriteInt("Left", 1);
        } catch (const EStRegIniError& error) {
            return std::string(error.what());
        }
        return std::string("(written)");
    };
    const std::string first = "Failed to write value to INI file\n";
    // A value that would break into a second line could plant keys of its own.
    try {
        ini.WriteStr("ErrPath", "/x\nLeft=1");
        FAIL() << "no error";
    } catch (const EStRegIniError& error) {
        EXPECT_EQ(std::string(error.what()), first + path + ": \"ErrPath\" cannot be stored as one line");
    }
    EXPECT_EQ(Get(path), content);

    // Each names the file and the cause; none waits (a FIFO is never opened).
    fs::create_directory(PathOf("folder.ini"));
    struct Case {
        std::string file, cause;
    } cases[] = {
        {PathOf("no such folder/LOGNEX.INI"), "No such file or directory"},
        {PathOf("folder.ini"), "Is a directory"},
#ifndef _WIN32
        {PathOf("fifo.ini"), "It is a FIFO (named pipe), not a regular file"},
#endif
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(PathOf("fifo.ini").c_str(), 0600), 0);
#endif
    for (const Case& c : cases) {
        TStRegIni target(c.file);
        target.SetSection("Main");
        EXPECT_EQ(failure(target), first + c.file + ": " + c.cause);
        EXPECT_EQ(target.ReadInt("Left", 7), 7);
    }
}

// A large file full of lines nobody wrote costs one read and one write, not
// one per key, and every byte of those lines survives: odd breaks, NULs, a
// last line without a break, a second section of the same name.
TEST_F(StRegIniTest, ReadsOnceWritesOnceAndKeepsEveryOtherByte) {
    std::string junk = "[Junk]\n";
    for (int i = 0; i < 50000; ++i) junk += "junk " + std::to_string(i) + (i % 3 == 0 ? "\r\n" : "\n");
    junk += std::string("nul\0inside\rlone CR\n", 19) + "[main]\nLeft=9\n";
    const std::string head = "[Main]\r\nLeft=5\r\n";
    const std::string path = PathOf("LOGNEX.INI");
    Put(path, head + junk + "tail without break");

    TStRegIni ini(path);
    ini.SetSection("Main");
    EXPECT_EQ(ini.ReadInt("Left", 0), 5);
    fs::remove(path);  // read once: later reads come from what was read
    EXPECT_EQ(ini.ReadInt("Left", 0), 5);
    Put(path, head + junk + "tail without break");

    for (int round = 0; round < 3; ++round) {
        ini.WriteInt("Left", 7);
        ini.WriteStr("ErrPath", "/logs");
    }
    EXPECT_EQ(Get(path), head + junk + "tail without break") << "nothing is written before Flush";
    ini.Flush();
    EXPECT_EQ(Get(path), "[Main]\r\nLeft=7\r\nErrPath=/logs\r\n" + junk + "tail without break");
    EXPECT_EQ(ini.ReadStr("ErrPath", ""), "/logs");
}

TEST_F(StRegIniTest, SettingsFileIsFoundWhateverTheCaseOfItsName) {
    EXPECT_EQ(SettingsFilePath(folder_.string()), PathOf("LOGNEX.INI"));
#ifndef _WIN32                                   // names that differ in case alone are one name on Windows
    fs::create_directory(PathOf("lognex.ini"));  // a folder is not the settings file
    EXPECT_EQ(SettingsFilePath(folder_.string()), PathOf("LOGNEX.INI"));
    Put(PathOf("Lognex.Ini"), "[Main]\nTop=9\n");
    EXPECT_EQ(SettingsFilePath(folder_.string()), PathOf("Lognex.Ini"));
    Put(PathOf("LOGNEX.INI"), "");
    EXPECT_EQ(SettingsFilePath(folder_.string()), PathOf("LOGNEX.INI"));
#endif
    EXPECT_EQ(DisplayPath(SettingsFilePath(PathOf("missing")), NativePathSyntax()),
              DisplayPath(PathOf("missing/LOGNEX.INI"), NativePathSyntax()));
}

}  // namespace
}  // namespace lognex
