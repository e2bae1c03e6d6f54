// The data module: the alias registry, the three error tables and the folder
// dialog that finds their folder. Created before the main window and
// destroyed after it.
#pragma once

#include <memory>
#include <string>

#include "tables/alias_registry.h"
#include "tables/error_tables.h"
#include "tables/folder_dialog.h"

namespace lognex {

class TdtmData {
public:
    // The registry lives in programFolder; dlgBrowseDir is shown when the
    // tables cannot be found.
    TdtmData(const std::string& programFolder, std::unique_ptr<FolderDialog> dlgBrowseDir);
    // The registry lives in aliasFolder; the alias, when missing, is
    // registered with tableFolder (an installed copy: the user's folders).
    TdtmData(const std::string& aliasFolder, const std::string& tableFolder,
             std::unique_ptr<FolderDialog> dlgBrowseDir);
    ~TdtmData();

    ErrorTables& Tables() { return tables_; }
    // The database and its tables by the names the window gives them.
    Database& LocalDb() { return tables_.database; }
    Table& tblError() { return tables_.errorNames; }
    Table& tblOccur() { return tables_.occurrences; }
    Table& tblExcel() { return tables_.exportRows; }
    AliasRegistry& Aliases() { return aliases_; }
    // Why the alias registry could not be read (empty when it was): the
    // registry then lives in memory for this run, and its file is left alone.
    const std::string& RegistryProblem() const { return registryProblem_; }

    // Finds the database folder and opens ErrorName, asking the user for the
    // folder when needed. False when the tables still cannot be found and the
    // program must end (the caller shows why), or when a signal ended the
    // folder dialog (the caller ends the program quietly).
    bool OpenErrorTables();
    // What the last failed OpenErrorTables could not open, and why.
    const std::string& OpenFailureCause() const { return openFailureCause_; }
    // Opens ErrorOccur, then ForExcel.
    void OpenRemainingTables();
    // Empties ErrorName, ErrorOccur and ForExcel.
    void EmptyAllTables();
    // Empties ErrorOccur, then ErrorName, when ErrorOccur is open.
    void EmptyOccurrencesAndErrors();
    bool OccurrencesOpen() const { return tables_.occurrences.IsOpen(); }
    // Closes ErrorOccur, ErrorName and ForExcel.
    void CloseTables() noexcept;

private:
    std::string tableFolder_;
    std::string registryProblem_;  // before aliases_, which fills it
    AliasRegistry aliases_;
    ErrorTables tables_;
    std::unique_ptr<FolderDialog> dlgBrowseDir_;
    std::string openFailureCause_;
};

}  // namespace lognex
