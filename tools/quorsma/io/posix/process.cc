#include "../process.h"

#include <unistd.h>

#include <csignal>

namespace quorsma::tool::io {

long OwnProcessId() { return static_cast<long>(getpid()); }

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace quorsma::tool::io
