// The window program's command line: a log to open at once, the help
// component's switch, and the two questions answered without a window.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lognex {

// What "--help" (or "-h") and "--version" print on standard output: the
// usage, or "lognex <version>". nullopt when the window is to start. Only
// arguments before a "--" are looked at, so a log named "--help" still opens.
std::optional<std::string> CommandLineAnswer(const std::vector<std::string>& arguments);

}  // namespace lognex
