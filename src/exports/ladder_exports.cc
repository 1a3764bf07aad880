// Exported ladder instructions (placeholders until the engine lands).
#include "exports/library.h"

extern "C" {

QSMA_EXPORT void QSMA_API LD([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API LDI([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API AND([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API ANI([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API OR([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API ORI([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API SET([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API RST([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API INC([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API INCP([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API DINCP([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API DECP([[maybe_unused]] const char* operand) {}
QSMA_EXPORT void QSMA_API INV(void) {}
QSMA_EXPORT void QSMA_API END(void) {}
QSMA_EXPORT void QSMA_API ANB(void) {}
QSMA_EXPORT void QSMA_API ORB(void) {}
QSMA_EXPORT void QSMA_API MPS(void) {}
QSMA_EXPORT void QSMA_API MRD(void) {}
QSMA_EXPORT void QSMA_API MPP(void) {}
QSMA_EXPORT void QSMA_API MEP(void) {}
QSMA_EXPORT int32_t QSMA_API LDP([[maybe_unused]] const char* operand) { return 0;}
QSMA_EXPORT int32_t QSMA_API LDF([[maybe_unused]] const char* operand) { return 0;}
QSMA_EXPORT int32_t QSMA_API ANDP([[maybe_unused]] const char* operand) { return 0;}
QSMA_EXPORT int32_t QSMA_API ANDF([[maybe_unused]] const char* operand) { return 0;}
QSMA_EXPORT int32_t QSMA_API ORP([[maybe_unused]] const char* operand) { return 0;}
QSMA_EXPORT int32_t QSMA_API ORF([[maybe_unused]] const char* operand) { return 0;}
QSMA_EXPORT void QSMA_API LD_EQ([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API LD_NEQ([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API LD_LT([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API LD_LTE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API LD_GT([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API LD_GTE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API AND_EQ([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API AND_NEQ([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API AND_LT([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API AND_LTE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API AND_GT([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API AND_GTE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API OR_EQ([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API OR_NEQ([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API OR_LT([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API OR_LTE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API OR_GTE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second) {}
QSMA_EXPORT void QSMA_API LAD_OUT([[maybe_unused]] const char* operand, [[maybe_unused]] const char* set_value) {}
QSMA_EXPORT void QSMA_API PLS([[maybe_unused]] const char* operand, [[maybe_unused]] const char* set_value) {}
QSMA_EXPORT void QSMA_API BSFLP([[maybe_unused]] const char* device, [[maybe_unused]] const char* count) {}
QSMA_EXPORT void QSMA_API Push([[maybe_unused]] int32_t value) {}
QSMA_EXPORT int32_t QSMA_API Pop_p(void) { return 0;}
QSMA_EXPORT int32_t QSMA_API CheckPulse([[maybe_unused]] int32_t input) { return 0;}
QSMA_EXPORT void QSMA_API LAD_PLUS([[maybe_unused]] const char* first, [[maybe_unused]] const char* second, [[maybe_unused]] const char* destination) {}
QSMA_EXPORT void QSMA_API LAD_MINUS([[maybe_unused]] const char* first, [[maybe_unused]] const char* second, [[maybe_unused]] const char* destination) {}
QSMA_EXPORT void QSMA_API LAD_MULTIPLY([[maybe_unused]] const char* first, [[maybe_unused]] const char* second, [[maybe_unused]] const char* destination) {}
QSMA_EXPORT void QSMA_API LADALL_DIVIDE([[maybe_unused]] const char* first, [[maybe_unused]] const char* second, [[maybe_unused]] const char* destination) {}

}  // extern "C"
