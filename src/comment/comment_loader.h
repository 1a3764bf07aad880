// Loads COMMENT.WCD into the comment areas at attach and writes MEMORY.TXT.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::comment {

int32_t LoadMemoryComment(const Context& context);

}  // namespace quorsma::comment
