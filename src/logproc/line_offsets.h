// Byte offsets of a text's lines in four bytes each, for texts of any size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lognex {

// Offsets that never decrease, each kept in its low bits (32 by default).
// The high bits of offset n are the number of steps at or below n, a step
// being the first offset past one more multiple of 2^lowBits: a text of less
// than 4 GiB has no steps at all.
class LineOffsets {
public:
    explicit LineOffsets(unsigned lowBits = 32) : lowBits_(lowBits) {}

    void Reserve(std::size_t count) { low_.reserve(count); }

    // offset is not below the last one added.
    void Add(std::uint64_t offset) {
        for (; (offset >> lowBits_) > steps_.size();) steps_.push_back(low_.size());
        low_.push_back(static_cast<std::uint32_t>(offset & LowMask()));
    }

    std::uint64_t operator[](std::size_t n) const {
        const auto high =
            static_cast<std::uint64_t>(std::upper_bound(steps_.begin(), steps_.end(), n) - steps_.begin());
        return high << lowBits_ | low_[n];
    }

    std::size_t Size() const { return low_.size(); }
    bool Empty() const { return low_.empty(); }

private:
    std::uint64_t LowMask() const { return (std::uint64_t{1} << lowBits_) - 1; }

    unsigned lowBits_;
    std::vector<std::uint32_t> low_;
    std::vector<std::size_t> steps_;
};

}  // namespace lognex
