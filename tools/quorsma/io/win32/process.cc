#include "../process.h"

#include <windows.h>

namespace quorsma::tool::io {

long OwnProcessId() { return static_cast<long>(GetCurrentProcessId()); }

void IgnoreBrokenPipes() {}

}  // namespace quorsma::tool::io
