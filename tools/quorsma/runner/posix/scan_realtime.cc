// Real-time scheduling, memory locking and CPU affinity on Linux.
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <time.h>

#include <cerrno>

#include "runner/scan_realtime.h"

namespace quorsma::tool {
namespace {

class LinuxRealtime final : public RealtimeSystem {
 public:
  int PinToCpu(int cpu) override {
    if (cpu >= CPU_SETSIZE) return EINVAL;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return pthread_setaffinity_np(pthread_self(), sizeof set, &set);
  }
  int LockMemory() override {
    // The section's comment areas are half a gigabyte the runner mostly never
    // touches: lock pages as they are first used rather than all at once.
#ifdef MCL_ONFAULT
    if (mlockall(MCL_CURRENT | MCL_FUTURE | MCL_ONFAULT) == 0) return 0;
    if (errno != EINVAL) return errno;  // EINVAL: a kernel without MCL_ONFAULT
#endif
    return mlockall(MCL_CURRENT | MCL_FUTURE) == 0 ? 0 : errno;
  }
  int ScheduleFifo(int priority) override {
    sched_param param{};
    param.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  }
};

}  // namespace

RealtimeSystem& SystemRealtime() {
  static LinuxRealtime system;
  return system;
}

int64_t ScanClock::NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

void ScanClock::SleepUntilNs(int64_t deadline_ns) {
  if (deadline_ns <= 0) return;
  timespec at{};
  at.tv_sec = static_cast<time_t>(deadline_ns / 1000000000);
  at.tv_nsec = static_cast<long>(deadline_ns % 1000000000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

}  // namespace quorsma::tool
