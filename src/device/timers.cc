// Timers: the contact (SmaTGet) and the set value (SmaTSet).
//
// Timer t uses element t of Tcur, Tset, Tcoil, TcurCopy and TsetCopy.  A
// timer number outside 0..65,534 has no cells: it reads 0 and writes
// nothing (numbers of 65,535 and above with their message).
#include "core/areas.h"
#include "core/messages.h"
#include "device/operand_text.h"
#include "device/read.h"
#include "device/report.h"
#include "device/write.h"

namespace quorsma::device {

int32_t SmaTGet(const Context& context, int32_t timer) {
  if (timer >= kSmallArea) ShowMessage(context, text::kMsgTimerGet);
  if (!InArea(timer, kSmallArea)) return 0;
  Image& image = *context.image;
  // Each cell is loaded once, so the copies hold the values compared.
  const int32_t current = image.Tcur[timer];
  const int32_t set = image.Tset[timer];
  if (image.Tcoil[timer] > 0 && current >= set) {
    image.TcurCopy[timer] = current;
    image.TsetCopy[timer] = set;
    return 1;
  }
  return 0;
}

void SmaTSet(const Context& context, int32_t timer, int32_t set_value) {
  if (timer >= kSmallArea) ShowMessage(context, text::kMsgTimerSet);
  if (!InArea(timer, kSmallArea)) return;
  Image& image = *context.image;
  // Ten times the program's value, held at the 32-bit range.
  const int32_t tenfold = Clamp32(int64_t{set_value} * 10);
  if (tenfold > 0 && tenfold > image.Tcur[timer]) {
    image.Tset[timer] = tenfold;
    image.TsetCopy[timer] = tenfold;
  } else if (tenfold == 0) {
    image.Tset[timer] = 0;
    image.Tcur[timer] = 0;
  }
  // Otherwise (negative, or not above the count already reached) the timer
  // keeps its set value.
}

}  // namespace quorsma::device
