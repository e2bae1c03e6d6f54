// A fresh folder of its own under the system's temporary folder, removed
// with everything in it at the end of the scope. Each one has a unique name,
// so tests running side by side never share one.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "support/temporary_folder.h"

namespace lognex::testing {

class TempFolder {
public:
    TempFolder() { path_ = MakeTemporaryFolder("lognex-test-"); }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of name inside the folder.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace lognex::testing
