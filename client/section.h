// The section this process works on, as the core library names it.
#pragma once

#include <string>

namespace qsc {

// QUORSMA_SECTION, or the default name when it is unset or empty.
std::string SectionName();

}  // namespace qsc
