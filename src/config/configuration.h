// Reads _Configuration/_Configuration.ini beside the host executable into the
// configuration texts of the image (every attach, before the other loaders).
#pragma once

#include "core/context.h"

namespace quorsma::config {

void ReadConfiguration(const Context& context);

}  // namespace quorsma::config
