// Finding the database folder at start-up.
//
// The alias EgErrors names the folder with the table files. OpenErrorTables
// makes sure the alias exists and that ErrorName opens; when it does not, the
// user points the alias at the right folder through the folder dialog, and
// the tables are tried once more. A second failure is the caller's cue to
// tell the user and end the program.
#pragma once

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "tables/error_tables.h"
#include "tables/folder_dialog.h"

namespace lognex {

// What the caller shows when the tables cannot be found (message, caption).
inline constexpr char kNoDatabaseFilesText[] = "The database files cannot be found.\rThe program will exit";
inline constexpr char kNoDatabaseFilesCaption[] = "No database files";

// The folder dialog's caption and the instruction above its folder tree.
inline constexpr char kFolderDialogCaption[] = "Browse for database files";
inline constexpr char kFolderDialogInstruction[] = "Show location of files (*.ff2)";

// kNoDatabaseFilesText with cause (when not empty) as a line between its two
// sentences.
std::string NoDatabaseFilesText(std::string_view cause);

// "<folder>/<table>.ff2: <reason>" for a table that failed to open, the
// store's "Database error: " prefix and any detail lines after the first dropped
// ("/opt/lognex/ErrorName.ff2: file is not a database").
std::string TableOpenFailure(const std::filesystem::path& folder, const Table& table, const std::exception& failure);

enum class OpenTablesOutcome {
    Opened,  // ErrorName is open
    GaveUp,  // the confirmed folder did not work either: the program ends
};

// folder with one trailing separator removed; a bare drive ("C:") gets its
// backslash back and the root "/" stays "/".
std::string NormaliseFolder(std::string_view folder);

// Shows dialog, preselecting currentDirectory (normalised), until the user
// confirms a folder (Cancel shows it again, at the folder last selected),
// then points kDatabaseAlias at that folder.
// reason, when not empty, tells the user why the dialog is shown.
void BrowseForDatabaseFolder(AliasRegistry& aliases, FolderDialog& dialog, std::string_view currentDirectory,
                             std::string_view reason = {});
// The same, preselecting the process's current directory.
void BrowseForDatabaseFolder(AliasRegistry& aliases, FolderDialog& dialog);

// Registers kDatabaseAlias for programFolder when it is missing and opens
// ErrorName. When that fails, for whatever reason, the user chooses the
// folder (BrowseForDatabaseFolder, which changes the alias only once a folder
// is confirmed), the database is closed and ErrorName opened once more. The first failure is not raised: its cause
// (TableOpenFailure) is the dialog's reason, so a lock or a damaged file is
// named; the second gives GaveUp with its cause in *cause when given. Errors
// of the dialog itself pass through.
OpenTablesOutcome OpenErrorTables(ErrorTables& tables, FolderDialog& dialog, std::string_view programFolder,
                                  std::string* cause = nullptr);

}  // namespace lognex
