// A new, private folder for temporary files.
// temporary_folder_posix.cpp and temporary_folder_windows.cpp implement this.
#pragma once

#include <filesystem>
#include <string_view>

namespace lognex {

// Creates a folder named prefix followed by random characters in the
// system's temporary folder, readable by this user alone where the platform
// has such a mode, and returns its path. Throws std::system_error with an
// errno value; parent is then the folder that could not take it.
std::filesystem::path MakeTemporaryFolder(std::string_view prefix);

}  // namespace lognex
