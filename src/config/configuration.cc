#include "config/configuration.h"

namespace quorsma::config {

void ReadConfiguration(const Context&) {}

}  // namespace quorsma::config
