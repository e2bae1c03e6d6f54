// The version the build gives both programs ("2.20"): the About box of the
// window and lognex-report --version report the same one.
#pragma once

#include <string_view>

namespace lognex {

std::string_view ProgramVersionText();

}  // namespace lognex
