// Windows has no service manager of this kind to tell: nothing is sent.
#include <cstdint>

#include "quorsma/client.h"

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_service_notify(const char*) { return 0; }

QSC_EXPORT int64_t QSC_CALL qsc_service_watchdog_usec(void) { return 0; }

QSC_EXPORT int32_t QSC_CALL qsc_service_alive(void) { return 0; }

}  // extern "C"
