#include "section.h"

#include <cstdlib>

#include "quorsma/quorsma.h"

namespace qsc {

std::string SectionName() {
  const char* name = std::getenv("QUORSMA_SECTION");
  return name != nullptr && *name != '\0' ? name : QSMA_SECTION_NAME;
}

}  // namespace qsc
