// Exported value-change checks and Set_Map.
#include "config/retentive.h"
#include "config/value_change_log.h"
#include "exports/library.h"

using quorsma::exports::Ctx;
namespace cfg = quorsma::config;

extern "C" {

QSMA_EXPORT void QSMA_API smLogWrite_M(int32_t index) {
  const auto& c = Ctx();
  if (c.image) cfg::CheckM(c, index);
}
QSMA_EXPORT void QSMA_API smLogWrite_B(int32_t index) {
  const auto& c = Ctx();
  if (c.image) cfg::CheckB(c, index);
}
QSMA_EXPORT void QSMA_API smLogWrite_L(int32_t index) {
  const auto& c = Ctx();
  if (c.image) cfg::CheckL(c, index);
}
QSMA_EXPORT void QSMA_API smLogWrite_D(int32_t index) {
  const auto& c = Ctx();
  if (c.image) cfg::CheckD(c, index);
}
QSMA_EXPORT void QSMA_API smLogWrite_W(int32_t index) {
  const auto& c = Ctx();
  if (c.image) cfg::CheckW(c, index);
}
QSMA_EXPORT int32_t QSMA_API Set_Map(const char* kind, int32_t index, int32_t /*value*/) {
  const auto& c = Ctx();
  if (c.image && kind) cfg::SetMap(c, kind, index);
  return 0;
}

}  // extern "C"
