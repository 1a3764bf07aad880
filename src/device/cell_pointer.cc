// SmaGetPoint: the address of a device's cell, for read-modify-write by the
// caller (the arithmetic instructions, programs that drive timers).
#include <cstdint>

#include "config/value_change_log.h"
#include "core/messages.h"
#include "device/area_access.h"
#include "device/general_path.h"
#include "device/operand_index.h"
#include "device/read.h"
#include "device/report.h"

namespace quorsma::device {
namespace {

// The cell's address after the device's value-change check; null outside the
// area.
template <void (*Check)(const Context&, int32_t), std::size_t N>
int32_t* CheckedCell(const Context& context, int32_t (&area)[N], int32_t n) {
  int32_t* cell = ElementAt(area, n);
  if (cell) Check(context, n);
  return cell;
}

// The cell of device `first` number n (the cell GetIndex's resolver names).
int32_t* CellOf(const Context& context, const char* operand, int32_t n) {
  Image& image = *context.image;
  switch (operand[0]) {
    case 'S':
      if (operand[1] == 'M') return ElementAt(image.SM, n);
      return ElementAt(image.S, n);
    case 'M': return CheckedCell<config::CheckM>(context, image.M, n);
    case 'B': return CheckedCell<config::CheckB>(context, image.B, n);
    case 'W': return CheckedCell<config::CheckW>(context, image.W, n);
    case 'X': return ElementAt(image.X, n);
    case 'Y': return ElementAt(image.Y, n);
    case 'T': return ElementAt(image.Tcur, n);  // the current value, not the contact
    case 'R': return ElementAt(image.R, n);
    case 'L': return CheckedCell<config::CheckL>(context, image.L, n);
    case 'D': return CheckedCell<config::CheckD>(context, image.D, n);
    case 'Z': return ElementAt(image.Z, n);
    case 'K':
      // The constant goes to the one scratch cell; its address is valid until
      // the next K request.
      image.Kscratch = ParseDecimal(operand + 1);
      return &image.Kscratch;
    default:
      ShowMessage(context, text::kMsgGetPointError);
      return nullptr;
  }
}

}  // namespace

[[gnu::noinline]] int32_t* SmaGetPointGeneral(const Context& context, const char* operand) {
  return CellOf(context, operand, ResolveIndex(context, operand).cell);
}

int32_t* SmaGetPoint(const Context& context, const char* operand) {
  // A letter and a short number (D100, Y1F) names that device's cell as the
  // resolver would; anything else is resolved in full.
  int32_t n;
  if (ShortPlainNumber(operand, &n)) return CellOf(context, operand, n);
  return SmaGetPointGeneral(context, operand);
}

void CellWritten(const Context& context, const int32_t* cell) {
  const Image& image = *context.image;
  const auto address = reinterpret_cast<std::uintptr_t>(cell);
  const auto begin = reinterpret_cast<std::uintptr_t>(&image.D[0]);
  if (address < begin) return;
  const std::uintptr_t n = (address - begin) / sizeof(int32_t);
  if (n < static_cast<std::uintptr_t>(kLargeArea)) config::CheckD(context, static_cast<int32_t>(n));
}

}  // namespace quorsma::device
