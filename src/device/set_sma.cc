// SetSma: writes a value to the device an operand text names.
//
// The operand is resolved like GetIndex does.  Whole cells of M, X, Y, B, S,
// L and Z take the value; T loads the timer; D and W take either the whole
// value or, with a full stop, a bit.  Writes of M, B, L, D and W are followed
// by the device's value-change check.  A cell outside its area, or an operand
// that names no register, is not written.
#include "config/value_change_log.h"
#include "core/areas.h"
#include "core/messages.h"
#include "device/area_access.h"
#include "device/general_path.h"
#include "device/operand_index.h"
#include "device/plain_device.h"
#include "device/report.h"
#include "device/write.h"

namespace quorsma::device {
namespace {

// Bit numbers a D or W bit write accepts.
constexpr int32_t kHighestBit = 15;


// D and W: with a full stop, bit b of the register becomes the old value with
// bit b cleared, OR-ed with the value shifted left by b (the value is not cut
// to one bit); without one, the register takes the whole value.
template <void (*Check)(const Context&, int32_t), std::size_t N>
void WriteRegister(const Context& context, int32_t (&area)[N], const char* operand, const OperandIndex& index,
                   int32_t value, const char* bit_message) {
  const int32_t n = index.cell;
  const int32_t dot = index.shape.first_dot;
  if (dot != 0) {
    const int32_t b = ParseBitNumber(operand + dot + 1);
    if (b < 0 || b > kHighestBit) {
      ShowMessage(context, bit_message);
      return;
    }
    if (!InBounds(area, n)) return;
    const uint32_t old = static_cast<uint32_t>(area[n]);
    area[n] = static_cast<int32_t>((old & ~(1u << b)) | (static_cast<uint32_t>(value) << b));
    Check(context, n);
    return;
  }
  WriteChecked<Check>(context, area, n, value);
}

}  // namespace

// Every form, resolved as GetIndex does.  Kept out of line, so that the
// short form pays for none of it.
[[gnu::noinline]] void SetSmaGeneral(const Context& context, const char* operand, int32_t value) {
  const OperandIndex index = ResolveIndex(context, operand);
  if (index.value == kBadOperand) return;
  Image& image = *context.image;
  const int32_t n = index.cell;
  switch (operand[0]) {
    case 'M': WriteChecked<config::CheckM>(context, image.M, n, value); return;
    case 'X': WriteCell(image.X, n, value); return;
    case 'Y': WriteCell(image.Y, n, value); return;
    case 'B': WriteChecked<config::CheckB>(context, image.B, n, value); return;
    case 'S':
      if (operand[1] == 'M') break;  // special relays are not written
      WriteCell(image.S, n, value);
      return;
    case 'L': WriteChecked<config::CheckL>(context, image.L, n, value); return;
    case 'Z': WriteCell(image.Z, n, value); return;
    case 'T': SmaTSet(context, n, value); return;
    case 'D':
      WriteRegister<config::CheckD>(context, image.D, operand, index, value, text::kMsgSetBitOverD);
      return;
    case 'W':
      WriteRegister<config::CheckW>(context, image.W, operand, index, value, text::kMsgSetBitOverW);
      return;
    default: break;
  }
  ShowMessage(context, text::kMsgSetValue);
}

void SetSma(const Context& context, const char* operand, int32_t value) { WriteDevice(context, operand, value); }

}  // namespace quorsma::device
