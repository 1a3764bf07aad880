// Output instructions: each pops the rung's result and drives a device.
#include "core/areas.h"
#include "core/messages.h"
#include "device/operand.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "device/write.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"
#include "platform/env.h"

namespace quorsma::ladder {

// LAD_OUT: with an empty second operand the popped value is written
// unchanged (a word value reaches the device as a number).  With a second
// operand the device must be a timer: the coil state goes to Tcoil and the
// timer is loaded with the set value while the coil is on, reset while off.
void LAD_OUT(const Context& c, const char* operand, const char* set_value) {
  int32_t a = Pop(c);
  if (set_value[0] == '\0') {
    device::WriteDevice(c, operand, a);
    return;
  }
  if (operand[0] != 'T') {
    c.env->ShowMessage(text::kMsgLadOut);
    return;
  }
  int32_t v = device::ReadDevice(c, set_value);  // read whether or not the coil is on
  int32_t timer = device::GetIndex(c, operand);
  // A timer number outside the timer areas has no coil cell; SmaTSet gives
  // such numbers its own report and leaves them alone.
  if (InArea(timer, CountOf(c.image->Tcoil))) c.image->Tcoil[timer] = a;
  device::SmaTSet(c, timer, a != 0 ? v : 0);
}

void SET(const Context& c, const char* operand) {
  if (Pop(c) != 0) device::WriteDevice(c, operand, 1);
}

void RST(const Context& c, const char* operand) {
  if (Pop(c) != 0) device::WriteDevice(c, operand, 0);
}

// PLS: the device is on for the one call at which the result rises to
// exactly 1 (while SM403 is on) and off on every other call.  With a second
// operand the rising edge runs LAD_OUT, whose own pop takes the next entry
// down (or the last pushed value).  A device that SmaGetPoint cannot place
// (it has reported it) is left alone.
void PLS(const Context& c, const char* operand, const char* set_value) {
  int32_t a = Pop(c);
  int32_t edge = CheckPulse(c, a);
  if (set_value[0] == '\0') {
    if (int32_t* cell = device::SmaGetPoint(c, operand)) *cell = edge == 1 ? 1 : 0;
    return;
  }
  if (edge == 1) LAD_OUT(c, operand, set_value);
}

}  // namespace quorsma::ladder
