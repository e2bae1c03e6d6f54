// A new, private folder for temporary files.
// temporary_folder_posix.cpp and temporary_folder_windows.cpp implement this.
#pragma once

#include <filesystem>
#include <string_view>

namespace lognex {

// The system's temporary folder, not checked: TMPDIR when it is set and not
// empty (a relative one is taken from the current folder), else /tmp; the
// folder GetTempPath names on Windows.
std::filesystem::path SystemTemporaryFolder();

// Creates a folder named prefix followed by random characters in
// SystemTemporaryFolder(), readable by this user alone where the platform
// has such a mode, and returns its path. Throws std::system_error with an
// errno value when that folder cannot take it.
std::filesystem::path MakeTemporaryFolder(std::string_view prefix);

}  // namespace lognex
