// A steadier scan: real-time scheduling for the runner's scan thread, its
// memory locked, an optional CPU of its own, and a clock that sleeps to an
// absolute deadline.
#pragma once

#include <cstdint>
#include <string>

#include "cli/clock.h"

namespace quorsma::tool {

struct RealtimeOptions {
  int priority = 0;  // SCHED_FIFO priority 1..99; 0: normal scheduling
  int cpu = -1;      // the one CPU the scan thread runs on; -1: any
};

inline constexpr int kDefaultRealtimePriority = 40;

// The system calls EnterRealtime makes, each returning 0 or an errno value;
// tests put failing ones in their place.
class RealtimeSystem {
 public:
  virtual ~RealtimeSystem() = default;
  // The calling thread runs on `cpu` only.
  virtual int PinToCpu(int cpu) = 0;
  // Every page of the process stays in memory from its first use on.
  virtual int LockMemory() = 0;
  // The calling thread is scheduled first-in first-out at `priority`.
  virtual int ScheduleFifo(int priority) = 0;
};

// The system's own calls (Linux; elsewhere they fail with ENOSYS).
RealtimeSystem& SystemRealtime();

// Applies `options` to the calling thread (CPU, then scheduling) and the
// process (memory, between the two).  Returns "" or, at the first call that
// fails, what could not be done, why, and what would permit it; the calls
// before it stay done (the runner then ends).
std::string EnterRealtime(const RealtimeOptions& options, RealtimeSystem& system = SystemRealtime());

// The runner's clock: steady, and sleeping to an absolute deadline where the
// system can (Linux), so that time spent between reading the clock and going
// to sleep does not move the wake-up.
class ScanClock final : public Clock {
 public:
  int64_t NowNs() override;
  void SleepUntilNs(int64_t deadline_ns) override;
};

}  // namespace quorsma::tool
