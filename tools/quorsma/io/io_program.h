// quorsma io: the section's communication program.  It takes the section's
// "communication" lock (a second one is refused with "another communication
// program is running (pid N)"), registers its pid as the communication
// window's handle (smSethWndComm; 0 again when it ends), and polls its
// stations, each TCP station on a thread of its own and the RTU stations of
// one serial line on one thread, until asked to stop.
#pragma once

#include <functional>

#include "io_config.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::io {

struct IoOptions {
  bool verbose = false;  // one line per transfer and cycle
  bool once = false;     // one cycle of every station, what it moved printed
  std::function<bool()> stop_requested = [] { return false; };
};

// 0 after a stop (or --once with every station answering), 1 on a failure:
// the lock taken by another program, or --once with a station failing.
int RunIo(const Config& config, MH_SHARED_STRUCTURE* image, const IoOptions& options);

}  // namespace quorsma::tool::io
