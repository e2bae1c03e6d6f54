#include "tables/database_folder.h"
#include "support/platform_files.h"

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

std::string NoDatabaseFilesText(std::string_view cause) {
    std::string text = kNoDatabaseFilesText;
    if (cause.empty()) return text;
    const std::size_t lineEnd = text.find('\r');
    return text.substr(0, lineEnd + 1) + std::string(cause) + text.substr(lineEnd);
}

std::string TableOpenFailure(const std::filesystem::path& folder, const Table& table, const std::exception& failure) {
    std::string reason = failure.what();
    constexpr std::string_view kPrefix = "Database error: ";
    if (reason.rfind(kPrefix, 0) == 0) reason.erase(0, kPrefix.size());
    reason = reason.substr(0, reason.find('\n'));
    // The busy timeout ran out: say who is in the way.
    if (reason == "database is locked") reason += " by another program";
    std::error_code ec;
    std::filesystem::path file = folder / (table.Name() + std::string(kTableFileExtension));
    const std::filesystem::path full = std::filesystem::absolute(file, ec);
    if (!ec) file = full.lexically_normal();
    return PathText(file) + ": " + reason;
}

void BrowseForDatabaseFolder(AliasRegistry& aliases, FolderDialog& dialog, std::string_view currentDirectory,
                             std::string_view reason) {
    FolderDialogState state;
    state.selectedFolder = NormaliseFolder(currentDirectory);
    state.reason = std::string(reason);
    // Only a confirmed file-system folder ends the loop; the state carries
    // the last selection and the status text into the next showing.
    while (!dialog.Execute(state) || state.selectedFolder.empty()) {
    }
    if (aliases.IsAlias(kDatabaseAlias)) aliases.DeleteAlias(kDatabaseAlias);
    aliases.AddAlias(kDatabaseAlias, NormaliseFolder(state.selectedFolder));
}

namespace {

std::string CurrentDirectory() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string() : PathText(current);
}

}  // namespace

void BrowseForDatabaseFolder(AliasRegistry& aliases, FolderDialog& dialog) {
    BrowseForDatabaseFolder(aliases, dialog, CurrentDirectory());
}

OpenTablesOutcome OpenErrorTables(ErrorTables& tables, FolderDialog& dialog, std::string_view programFolder,
                                  std::string* cause) {
    AliasRegistry& aliases = tables.aliases;
    if (!aliases.IsAlias(kDatabaseAlias)) aliases.AddAlias(kDatabaseAlias, programFolder);
    // The folder the alias names at the time of a failure, for its cause.
    auto aliasFolder = [&aliases] { return aliases.FolderOf(kDatabaseAlias).value_or(std::string()); };
    std::string firstCause;
    try {
        tables.errorNames.Open();
        return OpenTablesOutcome::Opened;
    } catch (const std::exception& failure) {
        // Not raised: it sends the user to the folder dialog, which names it.
        firstCause = TableOpenFailure(aliasFolder(), tables.errorNames, failure);
    }
    // The alias stays as it is until a folder is confirmed: a lock that ends
    // or a dialog that is interrupted must not lose the folder for good.
    BrowseForDatabaseFolder(aliases, dialog, CurrentDirectory(), firstCause);
    // The database reaches its folder through the alias as it now stands.
    tables.database.Close();
    try {
        tables.errorNames.Open();
        return OpenTablesOutcome::Opened;
    } catch (const std::exception& failure) {
        if (cause != nullptr) *cause = TableOpenFailure(aliasFolder(), tables.errorNames, failure);
        return OpenTablesOutcome::GaveUp;
    }
}

}  // namespace lognex
