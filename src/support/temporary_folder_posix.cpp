// POSIX implementation of temporary_folder.h.
#include <stdlib.h>

#include <cerrno>
#include <system_error>

#include "support/temporary_folder.h"

namespace lognex {

std::filesystem::path MakeTemporaryFolder(std::string_view prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category());
    return pattern;
}

}  // namespace lognex
