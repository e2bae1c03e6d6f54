#include "support/app_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/platform_files.h"
#include "support/process_info.h"

#ifndef LOGNEX_SHARED_DATA_FROM_BIN
#define LOGNEX_SHARED_DATA_FROM_BIN "../share/lognex"
#endif

namespace lognex {
namespace {

namespace fs = std::filesystem;

bool IsAbsolute(const std::string& path) { return IsAbsolutePath(path, NativePathSyntax()); }

std::string Join(const std::string& folder, std::string_view name) {
    if (!folder.empty() && folder.back() == '/') return folder + std::string(name);
    return folder + "/" + std::string(name);
}

// A folder without a trailing separator, except the root.
std::string Tidy(const fs::path& path) {
    return std::string(WithoutTrailingSeparators(PathText(path.lexically_normal()), NativePathSyntax()));
}

bool MakeFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    if (folder.has_parent_path() && folder.parent_path() != folder && !MakeFolder(folder.parent_path())) return false;
    return MakeOwnFolder(folder);
}

void CopyIfMissing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(to, ec) || !fs::is_regular_file(from, ec)) return;
    const fs::path part =
        to.parent_path() / ("." + PathText(to.filename()) + "." + std::to_string(ProcessId()) + ".part");
    if (fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec) && !ec) {
        // The installed files are read-only; the user's copy must be writable.
        fs::permissions(part, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        // A second name rather than a rename: a copy another start put in
        // place meanwhile stays; when it fails the part file is simply dropped.
        static_cast<void>(AddNameIfAbsent(part, to));
    }
    fs::remove(part, ec);
}

}  // namespace

AppPaths ProgramFolderPaths(const std::string& programFolder) {
    AppPaths paths;
    paths.configFolder = programFolder;
    paths.dataFolder = programFolder;
    paths.resourceFolder = programFolder;
    paths.installedTableFolder = programFolder;
    paths.logDialogFolder = programFolder;
    return paths;
}

AppPaths ResolveAppPaths(const PathFacts& facts) {
    // A bin folder without tables beside an installed data folder is an
    // installation even when it can be written (root running /usr/bin/lognex).
    const bool installed = !facts.programFolderHasTables && facts.sharedDataFolderHasTables;
    const std::string xdgConfig = IsAbsolute(facts.xdgConfigHome) ? facts.xdgConfigHome : std::string();
    const std::string xdgData = IsAbsolute(facts.xdgDataHome) ? facts.xdgDataHome : std::string();
    const bool canFormUserFolders = IsAbsolute(facts.home) || (!xdgConfig.empty() && !xdgData.empty());

    AppPaths paths = ProgramFolderPaths(facts.programFolder);
    if (installed) {
        paths.resourceFolder = facts.sharedDataFolder;
        paths.installedTableFolder = facts.sharedDataFolder;
    }
    if ((facts.programFolderWritable && !installed) || !canFormUserFolders) return paths;

    paths.perUser = true;
    paths.configFolder = Tidy(fs::path(xdgConfig.empty() ? Join(facts.home, ".config") : xdgConfig) / "lognex");
    paths.dataFolder = Tidy(fs::path(xdgData.empty() ? Join(facts.home, ".local/share") : xdgData) / "lognex");
    // The program folder is no place to look for logs; the home folder is.
    paths.logDialogFolder = IsAbsolute(facts.home) ? Tidy(facts.home) : paths.dataFolder;
    return paths;
}

PathFacts ProbePathFacts(const std::string& programFolder) {
    PathFacts facts;
    facts.programFolder = programFolder;
    std::error_code ec;
    const std::string firstTable(kInstalledTableFiles[0]);
    facts.programFolderHasTables = fs::is_regular_file(Join(programFolder, firstTable), ec);
    facts.sharedDataFolder = Tidy(fs::path(programFolder) / LOGNEX_SHARED_DATA_FROM_BIN);
    facts.sharedDataFolderHasTables = fs::is_regular_file(Join(facts.sharedDataFolder, firstTable), ec);
    // An installation is never written to, so its bin folder is not probed.
    const bool installed = !facts.programFolderHasTables && facts.sharedDataFolderHasTables;
    facts.programFolderWritable = !installed && IsWritableFolder(programFolder);
    facts.home = HomeFolder();
    facts.xdgConfigHome = UserConfigBase();
    facts.xdgDataHome = UserDataBase();
    return facts;
}

void PrepareUserFolders(const AppPaths& paths) {
    if (!paths.perUser) return;
    MakeFolder(paths.configFolder);
    if (!MakeFolder(paths.dataFolder)) return;
    for (std::string_view table : kInstalledTableFiles)
        CopyIfMissing(fs::path(paths.installedTableFolder) / table, fs::path(paths.dataFolder) / table);
}

bool IsWritableFolder(const std::string& folder) { return CanCreateFileIn(folder); }

std::string ChooseOutputFolder(const std::string& logFolder, const std::string& documentsFolder,
                               const std::function<bool(const std::string&)>& writable) {
    if (writable(".")) return {};
    if (!logFolder.empty() && writable(logFolder)) return logFolder;
    return documentsFolder;
}

}  // namespace lognex
