// The three error tables on private copies of the table files the build
// installs into the program folder.
#pragma once

#include <filesystem>
#include <memory>

#include "common/temp_folder.h"
#include "tables/error_tables.h"

namespace lognex::testing {

// Copies the three table files from the program folder into to (made when
// missing), replacing any there.
inline void CopyInstalledTableFiles(const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"}) {
        std::filesystem::copy_file(std::filesystem::path(LOGNEX_PROGRAM_DIR) / name, to / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

// The three tables, open and empty, in a folder of their own that the alias
// registry (in memory only) names.
struct InstalledTables {
    InstalledTables() {
        CopyInstalledTableFiles(folder.Path());
        aliases.AddAlias(kDatabaseAlias, folder.Path().string());
        tables = std::make_unique<ErrorTables>(aliases);
        tables->Open();
    }

    TempFolder folder;
    AliasRegistry aliases;
    std::unique_ptr<ErrorTables> tables;
};

}  // namespace lognex::testing
