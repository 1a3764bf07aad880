// The local time of a moment and the zone's offset then: posix/ and win32/
// hold how each system tells them.
#pragma once

#include <ctime>

namespace quorsma::tool::mqtt {

// `seconds` in the local time zone; `offset` gets the zone's distance from
// UTC at that moment, in seconds east.
std::tm LocalTimeAndOffset(std::time_t seconds, long* offset);

}  // namespace quorsma::tool::mqtt
