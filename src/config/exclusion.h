// Applies _MEM_SMEF.ini: sets the exclusion flags of the devices it lists.
#pragma once

#include <string>

#include "core/context.h"

namespace quorsma::config {

// Returns false (after its trace line) when the file cannot be opened.
bool ReadMemorySettings(const Context& context, const std::string& path);

}  // namespace quorsma::config
