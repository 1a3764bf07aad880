// The section has no identity on Windows that outlives a handle: forces stay
// until cleared.
#include "../section.h"

namespace qsc {

std::string SectionIdentity() { return "-"; }

}  // namespace qsc
