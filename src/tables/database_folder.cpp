#include "tables/database_folder.h"

#include <filesystem>
#include <system_error>

namespace lognex {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string NormaliseFolder(std::string_view folder) {
    std::string result(folder);
    if (result.empty()) return result;
    const char separator = result.back();
    if (IsSeparator(separator)) result.pop_back();
    if (result.size() == 2 && result[1] == ':') result += '\\';
    if (result.empty()) result = std::string(1, separator);
    return result;
}

void BrowseForDatabaseFolder(AliasRegistry& aliases, FolderDialog& dialog, std::string_view currentDirectory) {
    FolderDialogState state;
    state.selectedFolder = NormaliseFolder(currentDirectory);
    // Only a confirmed file-system folder ends the loop; the state carries
    // the last selection and the status text into the next showing.
    while (!dialog.Execute(state) || state.selectedFolder.empty()) {
    }
    if (aliases.IsAlias(kDatabaseAlias)) aliases.DeleteAlias(kDatabaseAlias);
    aliases.AddAlias(kDatabaseAlias, NormaliseFolder(state.selectedFolder));
}

void BrowseForDatabaseFolder(AliasRegistry& aliases, FolderDialog& dialog) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    BrowseForDatabaseFolder(aliases, dialog, error ? std::string() : current.string());
}

OpenTablesOutcome OpenErrorTables(ErrorTables& tables, FolderDialog& dialog, std::string_view programFolder) {
    AliasRegistry& aliases = tables.aliases;
    if (!aliases.IsAlias(kDatabaseAlias)) aliases.AddAlias(kDatabaseAlias, programFolder);
    try {
        tables.errorNames.Open();
        return OpenTablesOutcome::Opened;
    } catch (const std::exception&) {
        // Not shown: it only sends the user to the folder dialog.
    }
    aliases.DeleteAlias(kDatabaseAlias);
    BrowseForDatabaseFolder(aliases, dialog);
    // The database reaches its folder through the alias as it now stands.
    tables.database.Close();
    try {
        tables.errorNames.Open();
        return OpenTablesOutcome::Opened;
    } catch (const std::exception&) {
        return OpenTablesOutcome::GaveUp;
    }
}

}  // namespace lognex
