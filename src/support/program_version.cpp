#include "support/program_version.h"

namespace lognex {

std::string_view ProgramVersionText() { return LOGNEX_VERSION; }

}  // namespace lognex
