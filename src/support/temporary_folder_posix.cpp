// POSIX implementation of temporary_folder.h.
#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "support/temporary_folder.h"

namespace lognex {

std::filesystem::path SystemTemporaryFolder() {
    // An empty TMPDIR is as good as none.
    const char* variable = std::getenv("TMPDIR");
    return variable != nullptr && *variable != '\0' ? variable : "/tmp";
}

std::filesystem::path MakeTemporaryFolder(std::string_view prefix) {
    std::string pattern = (SystemTemporaryFolder() / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category());
    return pattern;
}

}  // namespace lognex
