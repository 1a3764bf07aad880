// The local time of a moment, through each system's thread-safe call.
#pragma once

#include <ctime>

namespace qsc {

std::tm LocalTime(std::time_t seconds);

}  // namespace qsc
