// GetValue2Word: a 32-bit value from two consecutive registers, the low 16
// bits of register n as bits 0-15 and those of register n+1 as bits 16-31.
#include "core/messages.h"
#include "device/area_access.h"
#include "device/operand_index.h"
#include "device/read.h"
#include "device/report.h"

namespace quorsma::device {
namespace {

// Both registers must lie inside the area; otherwise 0.
template <std::size_t N>
int32_t DoubleWord(const int32_t (&area)[N], int32_t n) {
  if (!InBounds(area, n) || !InBounds(area, int64_t{n} + 1)) return 0;
  const uint32_t low = static_cast<uint32_t>(area[n]) & 0xFFFFu;
  const uint32_t high = static_cast<uint32_t>(area[n + 1]) & 0xFFFFu;
  return static_cast<int32_t>(low | (high << 16));
}

}  // namespace

int32_t GetValue2Word(const Context& context, const char* operand) {
  const OperandIndex index = ResolveIndex(context, operand);
  switch (operand[0]) {
    case 'K': return index.value;  // the constant as GetIndex reads it
    case 'W': return DoubleWord(context.image->W, index.cell);
    case 'D': return DoubleWord(context.image->D, index.cell);
    default:
      ShowMessage(context, text::kMsgGetValue2Word);
      return 0;
  }
}

}  // namespace quorsma::device
