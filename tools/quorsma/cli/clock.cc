#include "clock.h"

#include <chrono>
#include <thread>

namespace quorsma::tool {

int64_t SteadyClock::NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SteadyClock::SleepUntilNs(int64_t deadline_ns) {
  int64_t now = NowNs();
  if (deadline_ns > now) std::this_thread::sleep_for(std::chrono::nanoseconds(deadline_ns - now));
}

}  // namespace quorsma::tool
