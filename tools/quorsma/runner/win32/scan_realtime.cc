// Windows: the scan thread may be given a CPU of its own; real-time
// scheduling and memory locking are not offered.
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "runner/scan_realtime.h"

namespace quorsma::tool {
namespace {

class WindowsRealtime final : public RealtimeSystem {
 public:
  int PinToCpu(int cpu) override {
    if (cpu >= static_cast<int>(sizeof(DWORD_PTR) * 8)) return EINVAL;
    return SetThreadAffinityMask(GetCurrentThread(), DWORD_PTR{1} << cpu) != 0 ? 0 : EINVAL;
  }
  int LockMemory() override { return ENOSYS; }
  int ScheduleFifo(int) override { return ENOSYS; }
};

}  // namespace

RealtimeSystem& SystemRealtime() {
  static WindowsRealtime system;
  return system;
}

int64_t ScanClock::NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void ScanClock::SleepUntilNs(int64_t deadline_ns) {
  const int64_t now = NowNs();
  if (deadline_ns > now) std::this_thread::sleep_for(std::chrono::nanoseconds(deadline_ns - now));
}

}  // namespace quorsma::tool
