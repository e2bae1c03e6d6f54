// Files written whole or not at all.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lognex {

// Writes bytes to a temporary file in the target's folder, flushes it and
// renames it over path, so a failure never leaves a half-written file or
// destroys the previous one. Throws std::system_error with the system's
// reason; callers turn it into their own message.
void WriteFileWhole(const std::filesystem::path& path, std::string_view bytes);

// The message for a file that cannot be written, "Cannot create file "%s".
// %s": path as the user should see it (the caller makes it absolute; it is
// converted to Windows-1252 here), then the reason, usually SystemErrorText.
std::string CannotCreateFileText(std::string_view path, std::string_view reason);

// The system's text for an errno value ("No such file or directory").
std::string SystemErrorText(int errorNumber);

}  // namespace lognex
