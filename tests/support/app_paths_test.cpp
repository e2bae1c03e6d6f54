#include "support/app_paths.h"
#include "support/platform_files.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace lognex {
namespace {

namespace fs = std::filesystem;

struct PathCase {
    const char* what;
    PathFacts facts;
    AppPaths expected;
};

// The cases' POSIX paths as absolute paths of this platform: on drive C under Windows.
std::string OnThisPlatform(const std::string& path) {
    const bool windows = NativePathSyntax() == PathSyntax::kWindows;
    return windows && !path.empty() && path.front() == '/' ? "C:" + path : path;
}

PathFacts OnThisPlatform(PathFacts f) {
    for (std::string* s : {&f.programFolder, &f.sharedDataFolder, &f.home, &f.xdgConfigHome, &f.xdgDataHome})
        *s = OnThisPlatform(*s);
    return f;
}

TEST(ResolveAppPaths, DecidesBetweenTheProgramFolderAndTheUsersFolders) {
    const PathFacts portable{"/opt/lognex", true, true, "/opt/share/lognex", false, "/home/ann", "", ""};
    const PathFacts readOnlyPortable{"/mnt/cd/lognex", false, true, "/mnt/cd/share/lognex", false, "/home/ann", "", ""};
    const PathFacts installed{"/usr/bin", false, false, "/usr/share/lognex", true, "/home/ann", "", ""};
    const AppPaths all{false, "/opt/lognex", "/opt/lognex", "/opt/lognex", "/opt/lognex", "/opt/lognex"};
    const AppPaths annInstalled{true,
                                "/home/ann/.config/lognex",
                                "/home/ann/.local/share/lognex",
                                "/usr/share/lognex",
                                "/usr/share/lognex",
                                "/home/ann"};

    PathFacts rootInstalled = installed;  // root may write /usr/bin, but it is still an installation
    rootInstalled.programFolderWritable = true;
    rootInstalled.home = "/root";
    PathFacts withXdg = installed;
    withXdg.xdgConfigHome = "/tmp/x/config/";
    withXdg.xdgDataHome = "/tmp/x/data";
    PathFacts relativeXdg = installed;  // relative values are invalid and ignored
    relativeXdg.xdgConfigHome = "config";
    relativeXdg.xdgDataHome = "./data";
    PathFacts homeWithSlash = installed;
    homeWithSlash.home = "/home/ann/";
    PathFacts noHome = installed;
    noHome.home = "";
    PathFacts noHomeButXdg = withXdg;
    noHomeButXdg.home = "";
    PathFacts emptyBinFolder = portable;  // writable, no tables, nothing installed: the build folder as before
    emptyBinFolder.programFolderHasTables = false;

    const PathCase cases[] = {
        {"writable program folder: everything there", portable, all},
        {"build folder without its tables", emptyBinFolder, all},
        {"read-only portable copy: user folders, help and tables from the copy",
         readOnlyPortable,
         {true, "/home/ann/.config/lognex", "/home/ann/.local/share/lognex", "/mnt/cd/lognex", "/mnt/cd/lognex",
          "/home/ann"}},
        {"installed", installed, annInstalled},
        {"installed, run by root",
         rootInstalled,
         {true, "/root/.config/lognex", "/root/.local/share/lognex", "/usr/share/lognex", "/usr/share/lognex",
          "/root"}},
        {"XDG folders set",
         withXdg,
         {true, "/tmp/x/config/lognex", "/tmp/x/data/lognex", "/usr/share/lognex", "/usr/share/lognex", "/home/ann"}},
        {"relative XDG folders ignored", relativeXdg, annInstalled},
        {"home with a trailing separator", homeWithSlash, annInstalled},
        {"no home at all: the program folder, whose writes then fail",
         noHome,
         {false, "/usr/bin", "/usr/bin", "/usr/share/lognex", "/usr/share/lognex", "/usr/bin"}},
        {"no home, both XDG folders set",
         noHomeButXdg,
         {true, "/tmp/x/config/lognex", "/tmp/x/data/lognex", "/usr/share/lognex", "/usr/share/lognex",
          "/tmp/x/data/lognex"}},
    };
    // Folders the decision forms are written with the platform's separator.
    const auto native = [](const std::string& path) { return DisplayPath(OnThisPlatform(path), NativePathSyntax()); };
    for (const PathCase& c : cases) {
        const AppPaths got = ResolveAppPaths(OnThisPlatform(c.facts));
        EXPECT_EQ(got.perUser, c.expected.perUser) << c.what;
        EXPECT_EQ(DisplayPath(got.configFolder, NativePathSyntax()), native(c.expected.configFolder)) << c.what;
        EXPECT_EQ(DisplayPath(got.dataFolder, NativePathSyntax()), native(c.expected.dataFolder)) << c.what;
        EXPECT_EQ(DisplayPath(got.resourceFolder, NativePathSyntax()), native(c.expected.resourceFolder)) << c.what;
        EXPECT_EQ(DisplayPath(got.installedTableFolder, NativePathSyntax()), native(c.expected.installedTableFolder))
            << c.what;
        EXPECT_EQ(DisplayPath(got.logDialogFolder, NativePathSyntax()), native(c.expected.logDialogFolder)) << c.what;
    }
}

class TempFolder {
public:
    TempFolder() { path_ = MakeTemporaryFolder("lognex-paths-"); }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

TEST(ProbePathFacts, SeesAnInstalledTreeAndAPortableCopy) {
    TempFolder prefix;
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/lognex");
    Write(prefix / "share/lognex/ErrorName.ff2", "t");
    PathFacts facts = ProbePathFacts((prefix / "bin").string());
    EXPECT_FALSE(facts.programFolderHasTables);
    EXPECT_TRUE(facts.sharedDataFolderHasTables);
    EXPECT_EQ(facts.sharedDataFolder, DisplayPath((prefix / "share/lognex").string(), NativePathSyntax()));
    EXPECT_TRUE(ResolveAppPaths(facts).perUser);
    EXPECT_EQ(Names(prefix / "bin"), std::set<std::string>{});  // an installation is not even probed

    Write(prefix / "bin/ErrorName.ff2", "t");  // tables beside the program: a portable copy
    facts = ProbePathFacts((prefix / "bin").string());
    EXPECT_TRUE(facts.programFolderHasTables);
    EXPECT_TRUE(facts.programFolderWritable);
    EXPECT_FALSE(ResolveAppPaths(facts).perUser);
    EXPECT_EQ(Names(prefix / "bin"), std::set<std::string>{"ErrorName.ff2"});  // the probe file is gone
}

TEST(PrepareUserFolders, CreatesPrivateFoldersAndCopiesOnlyMissingTables) {
    TempFolder work;
    fs::create_directories(work / "share");
    for (std::string_view table : kInstalledTableFiles) {
        Write(work / "share" / std::string(table), "installed " + std::string(table));
        fs::permissions(work / "share" / std::string(table), fs::perms::owner_read | fs::perms::group_read);
    }
    AppPaths paths;
    paths.perUser = true;
    paths.configFolder = (work / "home/.config/lognex").string();
    paths.dataFolder = (work / "home/.local/share/lognex").string();
    paths.installedTableFolder = (work / "share").string();

    fs::create_directories(paths.dataFolder);
    Write(fs::path(paths.dataFolder) / "ErrorOccur.ff2", "the user's own");
    PrepareUserFolders(paths);

    EXPECT_TRUE(fs::is_directory(paths.configFolder));
#ifndef _WIN32  // Windows folders take the profile's access list
    struct stat info {};
    ASSERT_EQ(::stat(paths.configFolder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((work / "home/.config").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);  // missing parents too
#endif
    EXPECT_EQ(Names(paths.dataFolder), (std::set<std::string>{"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"}));
    EXPECT_EQ(Read(fs::path(paths.dataFolder) / "ErrorName.ff2"), "installed ErrorName.ff2");
    EXPECT_EQ(Read(fs::path(paths.dataFolder) / "ErrorOccur.ff2"), "the user's own");
    // The copy can be written although the installed file cannot.
    EXPECT_NE(fs::status(fs::path(paths.dataFolder) / "ForExcel.ff2").permissions() & fs::perms::owner_write,
              fs::perms::none);

    // Nothing happens for the program folder.
    AppPaths portable = ProgramFolderPaths((work / "portable").string());
    PrepareUserFolders(portable);
    EXPECT_FALSE(fs::exists(work / "portable"));
}

TEST(ChooseOutputFolder, FallsBackFromTheCurrentFolderToTheLogsThenTheDocuments) {
    struct Case {
        std::set<std::string> writable;
        std::string logFolder, expected;
    } cases[] = {
        {{".", "/logs"}, "/logs", ""},
        {{"/logs"}, "/logs", "/logs"},
        {{}, "/logs", "/home/ann/Documents"},
        {{}, "", "/home/ann/Documents"},  // no run yet
        {{"/home/ann/Documents"}, "", "/home/ann/Documents"},
    };
    for (const Case& c : cases) {
        const auto writable = [&](const std::string& folder) { return c.writable.count(folder) > 0; };
        EXPECT_EQ(ChooseOutputFolder(c.logFolder, "/home/ann/Documents", writable), c.expected) << c.logFolder;
    }
}

TEST(IsWritableFolder, TriesToCreateAFile) {
    TempFolder work;
    EXPECT_TRUE(IsWritableFolder(work.Path().string()));
    EXPECT_EQ(Names(work.Path()), std::set<std::string>{});
    EXPECT_FALSE(IsWritableFolder((work / "missing").string()));
    EXPECT_FALSE(IsWritableFolder(""));
    Write(work / "file", "x");
    EXPECT_FALSE(IsWritableFolder((work / "file").string()));

#ifndef _WIN32  // Windows does not let the current folder be deleted
    // A current folder that was deleted cannot take files, whoever runs this.
    fs::create_directory(work / "gone");
    const fs::path previous = fs::current_path();
    fs::current_path(work / "gone");
    fs::remove(work / "gone");
    EXPECT_FALSE(IsWritableFolder("."));
    fs::current_path(previous);
#endif
}

}  // namespace
}  // namespace lognex
