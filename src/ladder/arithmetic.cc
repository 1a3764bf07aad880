// Arithmetic, increment and decrement.  Sources are read with GetSma; results
// are stored as whole int32 values through the cell that SmaGetPoint gives for
// the destination, with two's-complement wrap-around on overflow.  A popped
// result of 0 means nothing is read, written or reported (the pulse forms
// follow their edge instead).
//
// Where a destination has no usable cell nothing is stored anywhere:
//  - a constant destination of LAD_MULTIPLY / LADALL_DIVIDE (after its message);
//  - a destination SmaGetPoint cannot place (it has reported it);
//  - LADALL_DIVIDE without a destination, dividing by zero, or
//    -2147483648 / -1 (no quotient fits), or a quotient cell that is the last
//    of its area (the remainder has no cell; quotient and remainder are
//    stored together or not at all).
// LAD_MULTIPLY and LADALL_DIVIDE store into any named destination device that
// SmaGetPoint places (W, R, L, ... as well as M, D and Z), and read sources
// of any kind with GetSma.
#include <cstdint>
#include <limits>

#include "core/areas.h"
#include "core/messages.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"
#include "platform/env.h"

namespace quorsma::ladder {
namespace {

int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

void Store(const Context& c, const char* operand, int32_t value) {
  if (int32_t* cell = device::SmaGetPoint(c, operand)) {
    *cell = value;
    device::CellWritten(c, cell);
  }
}

// The cell after `cell` in the same device area, or null when `cell` is the
// last cell of its area (or lies in no device area).
int32_t* NextCellInArea(Image& im, const int32_t* cell) {
  struct Area {
    int32_t* begin;
    int32_t count;
  };
  const Area areas[] = {
      {im.Z, CountOf(im.Z)}, {im.M, CountOf(im.M)},       {im.D, CountOf(im.D)},   {im.S, CountOf(im.S)},
      {im.SM, CountOf(im.SM)}, {im.L, CountOf(im.L)},     {im.R, CountOf(im.R)},   {im.B, CountOf(im.B)},
      {im.W, CountOf(im.W)}, {im.Tcur, CountOf(im.Tcur)}, {im.X, CountOf(im.X)},   {im.Y, CountOf(im.Y)},
      {&im.Kscratch, 1},
  };
  const auto address = reinterpret_cast<std::uintptr_t>(cell);
  for (const Area& area : areas) {
    const auto begin = reinterpret_cast<std::uintptr_t>(area.begin);
    if (address < begin) continue;
    const std::uintptr_t index = (address - begin) / sizeof(int32_t);
    if (index >= static_cast<std::uintptr_t>(area.count)) continue;
    return index + 1 < static_cast<std::uintptr_t>(area.count) ? area.begin + index + 1 : nullptr;
  }
  return nullptr;
}

}  // namespace

// Three-operand form: destination := first + second.  Two-operand form (empty
// destination): the second operand accumulates the first.
void LAD_PLUS(const Context& c, const char* first, const char* second, const char* destination) {
  if (Pop(c) == 0) return;
  int32_t x1 = device::ReadDevice(c, first);
  int32_t x2 = device::ReadDevice(c, second);
  Store(c, destination[0] != '\0' ? destination : second, WrapAdd(x1, x2));
}

// Three-operand form: destination := first - second.  Two-operand form: the
// first operand is subtracted from the second.
void LAD_MINUS(const Context& c, const char* first, const char* second, const char* destination) {
  if (Pop(c) == 0) return;
  int32_t x1 = device::ReadDevice(c, first);
  int32_t x2 = device::ReadDevice(c, second);
  if (destination[0] != '\0') {
    Store(c, destination, WrapSub(x1, x2));
  } else {
    Store(c, second, WrapSub(x2, x1));
  }
}

// destination := low 32 bits of first x second; an empty destination stores
// into the second operand.
void LAD_MULTIPLY(const Context& c, const char* first, const char* second, const char* destination) {
  if (Pop(c) == 0) return;
  int32_t x1 = device::ReadDevice(c, first);
  int32_t x2 = device::ReadDevice(c, second);
  if (destination[0] == 'K') {
    c.env->ShowMessage(text::kMsgMultiplyConstDest);
    return;
  }
  Store(c, destination[0] != '\0' ? destination : second, WrapMul(x1, x2));
}

// destination := first / second truncated toward zero, and the next cell of
// the destination's area := the remainder (with the sign of first).
void LADALL_DIVIDE(const Context& c, const char* first, const char* second, const char* destination) {
  if (Pop(c) == 0) return;
  int32_t x1 = device::ReadDevice(c, first);
  int32_t x2 = device::ReadDevice(c, second);
  if (destination[0] == 'K') {
    c.env->ShowMessage(text::kMsgDivideConstDest);
    return;
  }
  if (destination[0] == '\0') return;
  int32_t* quotient = device::SmaGetPoint(c, destination);
  if (quotient == nullptr) return;
  int32_t* remainder = NextCellInArea(*c.image, quotient);
  if (remainder == nullptr) return;
  if (x2 == 0 || (x1 == std::numeric_limits<int32_t>::min() && x2 == -1)) return;
  *quotient = x1 / x2;
  *remainder = x1 % x2;
  device::CellWritten(c, quotient);
  device::CellWritten(c, remainder);
}

void IncDevice(const Context& c, const char* operand) {
  char kind = operand[0];
  if (kind != 'D' && kind != 'W' && kind != 'Z') {
    c.env->ShowMessage(text::kMsgIncError);
    return;
  }
  if (int32_t* cell = device::SmaGetPoint(c, operand)) {
    *cell = WrapAdd(*cell, 1);
    device::CellWritten(c, cell);
  }
}

// Index registers are not decremented.
void DecDevice(const Context& c, const char* operand) {
  char kind = operand[0];
  if (kind != 'D' && kind != 'W') {
    c.env->ShowMessage(text::kMsgDecError);
    return;
  }
  if (int32_t* cell = device::SmaGetPoint(c, operand)) {
    *cell = WrapSub(*cell, 1);
    device::CellWritten(c, cell);
  }
}

void INC(const Context& c, const char* operand) {
  if (Pop(c) != 0) IncDevice(c, operand);
}

// The pulse forms evaluate their edge cell on every call, whatever the device.
void INCP(const Context& c, const char* operand) {
  if (CheckPulse(c, Pop(c)) == 1) IncDevice(c, operand);
}

// Steps the one cell the operand names, like INCP.
void DINCP(const Context& c, const char* operand) {
  if (CheckPulse(c, Pop(c)) == 1) IncDevice(c, operand);
}

void DECP(const Context& c, const char* operand) {
  if (CheckPulse(c, Pop(c)) == 1) DecDevice(c, operand);
}

}  // namespace quorsma::ladder
