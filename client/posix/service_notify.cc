// Readiness, status and watchdog messages to systemd through libsystemd's
// sd_notify, which sends nothing when NOTIFY_SOCKET is not set.
#include <systemd/sd-daemon.h>

#include <time.h>

#include <atomic>
#include <cstdint>

#include "quorsma/client.h"

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_service_notify(const char* state) {
  if (state == nullptr) return -1;
  const int result = sd_notify(0, state);
  return result > 0 ? 1 : result == 0 ? 0 : -1;
}

QSC_EXPORT int64_t QSC_CALL qsc_service_watchdog_usec(void) {
  uint64_t usec = 0;
  // Only when WATCHDOG_PID, if set, names this process: a child started by
  // the service does not take its parent's watchdog.
  if (sd_watchdog_enabled(0, &usec) <= 0) return 0;
  return usec > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(usec);
}

QSC_EXPORT int32_t QSC_CALL qsc_service_alive(void) {
  // The interval is read once: -1 until then, 0 without a watchdog.
  static std::atomic<int64_t> interval_us{-1};
  static std::atomic<int64_t> next_due_us{0};
  int64_t interval = interval_us.load(std::memory_order_relaxed);
  if (interval == 0) return 0;
  if (interval < 0) {
    interval = qsc_service_watchdog_usec();
    interval_us.store(interval, std::memory_order_relaxed);
    if (interval == 0) return 0;
  }
  timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const int64_t now_us = static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
  int64_t due = next_due_us.load(std::memory_order_relaxed);
  if (now_us < due) return 0;
  // One caller of those that find it due sends it.
  if (!next_due_us.compare_exchange_strong(due, now_us + interval / 3, std::memory_order_relaxed)) return 0;
  return sd_notify(0, "WATCHDOG=1") > 0 ? 1 : 0;
}

}  // extern "C"
