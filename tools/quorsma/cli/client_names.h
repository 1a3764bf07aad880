// The client library's C++ names (quorsma/client.hpp), used throughout the
// tool as its own: operands, ranges, permissions, values, comments.
#pragma once

#include "quorsma/client.h"

namespace quorsma::tool {
using namespace quorsma::client;
}  // namespace quorsma::tool
