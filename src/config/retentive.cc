#include "config/retentive.h"

namespace quorsma::config {

int32_t SetMap(const Context&, const char*, int32_t) { return 0; }
void LoadRetentiveRegisters(const Context&) {}

}  // namespace quorsma::config
