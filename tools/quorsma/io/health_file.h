// The health of the stations, published for monitors (quorsma info) as the
// section file "communication.stats" of the client library
// (qsc_section_file_write: <lock directory>/quorsma.<section>.communication.stats),
// whose keys client.h states beside it.  Rewritten whole every half second
// and once more at the end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "station_worker.h"

namespace quorsma::tool::io {

inline constexpr const char* kHealthFileName = "communication.stats";

std::string FormatHealth(const std::vector<const StationHealth*>& stations, long pid, bool running,
                         int64_t updated_unix_ms);
bool WriteHealthFile(const std::string& text, std::string* error);

}  // namespace quorsma::tool::io
