// Splitting one fuzzer input into the pieces a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lognex::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // One byte, 0 when the input is used up.
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    // Up to the next NUL (dropped), or the rest.
    std::string_view Piece() {
        const std::size_t end = rest_.find('\0');
        const std::string_view piece = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return piece;
    }
    std::string_view Rest() {
        const std::string_view all = rest_;
        rest_ = {};
        return all;
    }

private:
    std::string_view rest_;
};

// A scratch file in memory-backed storage when there is some, unique per process.
std::string ScratchPath(std::string_view name);

// Writes bytes to path (plain write, no flush to disk); aborts on failure.
void WriteScratch(const std::string& path, std::string_view bytes);

}  // namespace lognex::fuzz
