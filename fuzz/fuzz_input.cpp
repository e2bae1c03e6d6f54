#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace lognex::fuzz {

std::string ScratchPath(std::string_view name) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", ec)
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    return (folder / ("lognex-fuzz-" + std::to_string(::getpid()) + "-" + std::string(name))).string();
}

void WriteScratch(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    if (std::fclose(file) != 0) std::abort();
}

}  // namespace lognex::fuzz
