// The three error tables on table files made fresh for the test, never the
// program folder's: a window run from the build fills those.
#pragma once

#include <filesystem>
#include <memory>

#include "common/temp_folder.h"
#include "tables/error_tables.h"

namespace lognex::testing {

// Writes the three empty table files into to (made when missing), replacing
// any there: the same files the build installs.
inline void MakeFreshTableFiles(const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    CreateErrorTableFiles(to);
}

// The three tables, open and empty, in a folder of their own that the alias
// registry (in memory only) names.
struct FreshTables {
    FreshTables() {
        MakeFreshTableFiles(folder.Path());
        aliases.AddAlias(kDatabaseAlias, folder.Path().string());
        tables = std::make_unique<ErrorTables>(aliases);
        tables->Open();
    }

    TempFolder folder;
    AliasRegistry aliases;
    std::unique_ptr<ErrorTables> tables;
};

}  // namespace lognex::testing
