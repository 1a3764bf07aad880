// Counts as the tool prints them: "1 timer", "2 timers", "0 timers".
#pragma once

#include <cstdint>
#include <string>

namespace quorsma::tool {

// `n` and the noun, with an "s" unless n is 1.  The noun is one whose plural
// takes a plain "s" (timer, scan, line, device, edge slot).
inline std::string Counted(int64_t n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace quorsma::tool
