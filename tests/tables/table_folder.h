// A temporary folder holding copies of the built table files, with a
// registry whose EgErrors alias points at it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temporary_folder.h"
#include "tables/error_tables.h"

namespace lognex::testing {

class TempFolder {
public:
    TempFolder() {
        path_ = MakeTemporaryFolder("lognex-tables-");
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Copies the three table files the build put into the program folder.
inline void CopyInstalledTableFiles(const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    for (const char* name : {"ErrorName.ff2", "ErrorOccur.ff2", "ForExcel.ff2"}) {
        std::filesystem::copy_file(std::filesystem::path(LOGNEX_PROGRAM_DIR) / name, to / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace lognex::testing
