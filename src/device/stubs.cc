// Placeholders until device access lands.
#include "device/operand.h"
#include "device/read.h"
#include "device/write.h"

namespace quorsma::device {

int32_t GetIndex(const Context&, const char*) { return -999; }
int32_t ResolveOP(const Context&, const char*, ResolvedOperand*) { return 0; }
int32_t GetSma(const Context&, const char*) { return 0; }
int32_t GetValue2Word(const Context&, const char*) { return 0; }
int32_t* SmaGetPoint(const Context&, const char*) { return nullptr; }
char* GetComSma(const Context&, const char*) { return nullptr; }
int32_t SmaTGet(const Context&, int32_t) { return 0; }
void SetSma(const Context&, const char*, int32_t) {}
void SmaTSet(const Context&, int32_t, int32_t) {}
int32_t SM(const Context&, int32_t) { return 0; }

}  // namespace quorsma::device
