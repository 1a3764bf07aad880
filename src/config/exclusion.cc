#include "config/exclusion.h"

namespace quorsma::config {

bool ReadMemorySettings(const Context&, const std::string&) { return false; }

}  // namespace quorsma::config
