#include "app/data_module.h"

#include <filesystem>

#include "tables/database_folder.h"

namespace lognex {

TdtmData::TdtmData(const std::string& programFolder, std::unique_ptr<FolderDialog> dlgBrowseDir)
    : TdtmData(programFolder, programFolder, std::move(dlgBrowseDir)) {}

TdtmData::TdtmData(const std::string& aliasFolder, const std::string& tableFolder,
                   std::unique_ptr<FolderDialog> dlgBrowseDir)
    : tableFolder_(tableFolder),
      aliases_(std::filesystem::path(aliasFolder) / std::string(kAliasRegistryFileName)),
      tables_(aliases_),
      dlgBrowseDir_(std::move(dlgBrowseDir)) {}

TdtmData::~TdtmData() { tables_.Close(); }

bool TdtmData::OpenErrorTables() {
    openFailureCause_.clear();
    return lognex::OpenErrorTables(tables_, *dlgBrowseDir_, tableFolder_, &openFailureCause_) ==
           OpenTablesOutcome::Opened;
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
