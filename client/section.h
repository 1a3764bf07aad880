// The section this process works on, as the core library names it.
#pragma once

#include <string>

namespace qsc {

// QUORSMA_SECTION, or the default name when it is unset or empty.
std::string SectionName();

// The identity of the section instance in use, which changes when the
// section is made anew; "-" where there is none or it cannot be told
// (Windows).
std::string SectionIdentity();

}  // namespace qsc
