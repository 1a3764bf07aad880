// Readiness, status and watchdog messages to systemd through libsystemd's
// sd_notify, which sends nothing when NOTIFY_SOCKET is not set.
#include <systemd/sd-daemon.h>

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

}  // extern "C"
