// Exported comment editors (C calling convention).
#include "exports/library.h"

extern "C" {

QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment([[maybe_unused]] const char* kind, [[maybe_unused]] int32_t number,
                                                     [[maybe_unused]] const char* comment) {
  return 0;
}
QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment_FromFile([[maybe_unused]] const char* path) { return 0; }

}  // extern "C"
