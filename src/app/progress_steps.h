// The progress bar's rule: during the pair loop over a log of n lines the
// bar advances by one step of 5 at loop steps 0, s, 2s, ... (n + 1 steps in
// all, s = n / 20 + 1), so about twenty times whatever the log's size.
#pragma once

#include <cstddef>

namespace lognex {

// How many advances are due once done of total loop steps are walked.
constexpr std::size_t BarAdvancesDue(std::size_t done, std::size_t total) {
    if (total == 0) return 0;
    const std::size_t step = (total - 1) / 20 + 1;
    return (done + step - 1) / step;
}

}  // namespace lognex
