#include "platform/env.h"

namespace quorsma::platform {

std::string SectionName(Env& env) {
  std::string name = env.GetEnvironment("QUORSMA_SECTION");
  return name.empty() ? std::string(QSMA_SECTION_NAME) : name;
}

}  // namespace quorsma::platform
