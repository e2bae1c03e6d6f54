#include "app/data_module.h"

#include <filesystem>

#include "tables/database_folder.h"

namespace lognex {
namespace {

AliasRegistry ReadAliasRegistry(const std::filesystem::path& file, std::string& problem) {
    try {
        return AliasRegistry(file);
    } catch (const std::exception& failure) {
        problem = failure.what();
        return AliasRegistry();
    }
}

}  // namespace

TdtmData::TdtmData(const std::string& programFolder, std::unique_ptr<FolderDialog> dlgBrowseDir)
    : TdtmData(programFolder, programFolder, std::move(dlgBrowseDir)) {}

TdtmData::TdtmData(const std::string& aliasFolder, const std::string& tableFolder,
                   std::unique_ptr<FolderDialog> dlgBrowseDir)
    : tableFolder_(tableFolder),
      aliases_(ReadAliasRegistry(std::filesystem::path(aliasFolder) / std::string(kAliasRegistryFileName),
                                 registryProblem_)),
      tables_(aliases_),
      dlgBrowseDir_(std::move(dlgBrowseDir)) {}

TdtmData::~TdtmData() { tables_.Close(); }

bool TdtmData::OpenErrorTables() {
    openFailureCause_.clear();
    try {
        return lognex::OpenErrorTables(tables_, *dlgBrowseDir_, tableFolder_, &openFailureCause_) ==
               OpenTablesOutcome::Opened;
    } catch (const FolderDialogInterrupted&) {
        return false;  // the program ends without a word: it was asked to
    }
}

void TdtmData::OpenRemainingTables() {
    tblOccur().Open();
    tblExcel().Open();
}

void TdtmData::EmptyAllTables() {
    tblError().Empty();
    tblOccur().Empty();
    tblExcel().Empty();
}

void TdtmData::EmptyOccurrencesAndErrors() {
    if (!tblOccur().IsOpen()) return;
    tblOccur().Empty();
    tblError().Empty();
}

void TdtmData::CloseTables() noexcept { tables_.Close(); }

}  // namespace lognex
