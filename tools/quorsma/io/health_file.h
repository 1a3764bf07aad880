// The health of the stations, published for monitors (quorsma info) in a
// small text file beside the section's lock files:
//
//   <lock directory>/quorsma.<section>.communication.stats
//
// One "key value" line each, values decimal integers, as the runner's
// statistics file:
//
//   pid 4242                    the communication program's process
//   running 1                   0 once it has ended
//   updated_unix_ms 1765300000000
//   stations 2
//   station.NAME.up 1           1 while the station answers
//   station.NAME.failures 0     consecutive failed cycles
//   station.NAME.cycles 5120    good cycles since the start
//   station.NAME.failed_cycles 3
//   station.NAME.cycle_us 840   the last good cycle's duration
//
// (the five station lines for each station in the order of the
// configuration; station names hold no blanks).  The file is rewritten whole
// (a new file renamed over the old) every half second and once more at the
// end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "station_worker.h"

namespace quorsma::tool::io {

std::string HealthFilePath();
std::string FormatHealth(const std::vector<const StationHealth*>& stations, long pid, bool running,
                         int64_t updated_unix_ms);
bool WriteHealthFile(const std::string& text, std::string* error);

}  // namespace quorsma::tool::io
