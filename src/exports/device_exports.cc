// Exported operand, device read and device write functions.
#include "device/operand.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "device/write.h"
#include "exports/library.h"

using quorsma::exports::Ctx;
namespace dev = quorsma::device;

// Every export fails cleanly (0, null, nothing written) while the image is
// not mapped in this process.
extern "C" {

QSMA_EXPORT int32_t QSMA_API GetIndex(const char* operand) {
  const auto& c = Ctx();
  return c.image && operand ? dev::GetIndex(c, operand) : QSMA_BAD_OPERAND;
}
QSMA_EXPORT int32_t QSMA_API ResolveOP(const char* operand, ResolvedOperand* record) {
  const auto& c = Ctx();
  return operand && record ? dev::ResolveOP(c, operand, record) : 0;
}
QSMA_EXPORT int32_t QSMA_API GetSma(const char* operand) {
  const auto& c = Ctx();
  return c.image && operand ? dev::GetSma(c, operand) : 0;
}
QSMA_EXPORT int32_t QSMA_API GetValue2Word(const char* operand) {
  const auto& c = Ctx();
  return c.image && operand ? dev::GetValue2Word(c, operand) : 0;
}
QSMA_EXPORT int32_t* QSMA_API SmaGetPoint(const char* operand) {
  const auto& c = Ctx();
  return c.image && operand ? dev::SmaGetPoint(c, operand) : nullptr;
}
QSMA_EXPORT char* QSMA_API GetComSma(const char* operand) {
  const auto& c = Ctx();
  return c.image && operand ? dev::GetComSma(c, operand) : nullptr;
}
QSMA_EXPORT int32_t QSMA_API SmaTGet(int32_t timer) {
  const auto& c = Ctx();
  return c.image ? dev::SmaTGet(c, timer) : 0;
}
QSMA_EXPORT void QSMA_API SetSma(const char* operand, int32_t value) {
  const auto& c = Ctx();
  // The plain form (D100) inline: device::SetSma without the call.
  if (c.image && operand) dev::WriteDevice(c, operand, value);
}
QSMA_EXPORT void QSMA_API SmaTSet(int32_t timer, int32_t set_value) {
  const auto& c = Ctx();
  if (c.image) dev::SmaTSet(c, timer, set_value);
}
QSMA_EXPORT int32_t QSMA_API SM(int32_t relay) {
  const auto& c = Ctx();
  return c.image ? dev::SM(c, relay) : 0;
}

}  // extern "C"
