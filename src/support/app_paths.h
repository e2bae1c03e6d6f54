// Where the program's own files live.
//
// While the program folder can be written (the build folder, a portable copy)
// it holds everything, as it always has: settings file, alias registry, table
// files, log copy, help and pictures. An installed copy (read-only, or a bin
// folder without table files next to <prefix>/share/lognex) keeps each user's
// files in the user's XDG folders instead: the settings file and the alias
// registry in $XDG_CONFIG_HOME/lognex, the table files (copied from the
// installed ones on first start) and the log copy in $XDG_DATA_HOME/lognex;
// help and pictures are read from the installation. Two users of one
// installation therefore never share tables.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace lognex {

// The table files an installation ships and every user gets a copy of.
inline constexpr std::string_view kInstalledTableFiles[] = {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"};

// What the decision looks at. ProbePathFacts fills it from the running system;
// tests fill it by hand.
struct PathFacts {
    std::string programFolder;            // folder of the running executable
    bool programFolderWritable = false;   // a file can be created there
    bool programFolderHasTables = false;  // the first table file lies beside the executable
    std::string sharedDataFolder;         // <prefix>/share/lognex as seen from the program folder
    bool sharedDataFolderHasTables = false;
    std::string home;           // $HOME, else the password entry's home folder
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME as set: may be empty or relative (%APPDATA% on Windows)
    std::string xdgDataHome;    // $XDG_DATA_HOME as set (%LOCALAPPDATA% on Windows)
};

struct AppPaths {
    bool perUser = false;              // the user's folders, not the program folder
    std::string configFolder;          // settings file and alias registry
    std::string dataFolder;            // table files (first alias target) and the log copy
    std::string resourceFolder;        // help/ and pictures/
    std::string installedTableFolder;  // where a user's table files are copied from
    std::string logDialogFolder;       // where the log dialog opens before a folder is stored
};

// Everything in programFolder: the paths of a build folder or a portable copy.
AppPaths ProgramFolderPaths(const std::string& programFolder);

// The decision described at the top of this file. An XDG variable that is
// empty or not an absolute path is ignored, as the XDG base directory rules
// say. Without any home folder per-user folders cannot be formed, and the
// program folder is used as if it could be written (its writes then fail
// with the usual messages).
AppPaths ResolveAppPaths(const PathFacts& facts);

// The facts for programFolder on this system; sharedDataFolder comes from the
// install layout the program was built for (relative to the bin folder, so
// an installed tree can be moved).
PathFacts ProbePathFacts(const std::string& programFolder);

// For per-user paths: creates the config and data folders (mode 0700, as the
// XDG rules ask) and copies every table file missing in dataFolder from
// installedTableFolder; files already there are left alone. Each copy is put
// in place by a rename, so two programs starting at once cannot see half a
// file. Nothing happens for program-folder paths. Failures are not reported:
// they surface later as the usual messages (the settings file cannot be
// written, the database folder dialog).
void PrepareUserFolders(const AppPaths& paths);

// True when folder is an existing folder in which this process may create files.
bool IsWritableFolder(const std::string& folder);

// Where a file that would go to the current folder goes instead: "" (the
// current folder itself) when it can be written; else logFolder when it is
// not empty and can be written; else documentsFolder.
std::string ChooseOutputFolder(const std::string& logFolder, const std::string& documentsFolder,
                               const std::function<bool(const std::string&)>& writable = IsWritableFolder);

}  // namespace lognex
