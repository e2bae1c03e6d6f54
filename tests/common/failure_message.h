// Checking the message a failure carries to the user.
#pragma once

#include <exception>
#include <string>

namespace lognex::testing {

// The what() of the exception f throws, or "" when it throws none. Compare
// it with EXPECT_EQ (or a matcher): a wrong message and a missing failure
// both show in the test's output.
template <typename F>
std::string FailureOf(F&& f) {
    try {
        f();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "";
}

}  // namespace lognex::testing
