// The common case of the most frequent instructions, done without a call.
//
// A table-driven client calls one export per program step, and most steps
// are contacts and coils on plain operands (X3A, M416, Y12) whose read or
// write needs nothing beyond the image.  Each function here does its whole
// instruction in that case and returns true; otherwise it returns false
// having changed nothing, and the export runs the instruction in full
// (instructions.h).  Kept free of calls, an export's common case makes no
// call of its own and saves fewer registers, and its full form is reached by
// a jump.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "device/plain_device.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"

namespace quorsma::ladder::quick {

inline bool Read(const Context& c, const char* operand, int32_t* value) {
  return device::plain::ReadQuick(*c.image, operand, value);
}
// A read after which the instruction may still decline: one that writes
// nothing (no timer contact).
inline bool ReadPure(const Context& c, const char* operand, int32_t* value) {
  return device::plain::ReadQuick<true>(*c.image, operand, value);
}

inline bool LD(const Context& c, const char* operand) {
  int32_t x;
  if (!Read(c, operand, &x)) return false;
  Push(c, x);
  return true;
}

inline bool LDI(const Context& c, const char* operand) {
  int32_t x;
  if (!Read(c, operand, &x)) return false;
  Push(c, x == 0 ? 1 : 0);
  return true;
}

// AND and OR read their operand only when the current result leaves the
// outcome open, as the full forms do.
inline bool AND(const Context& c, const char* operand) {
  return TryReplaceResult(c, [&](int32_t p, int32_t* value) {
    *value = 0;
    return p == 0 || Read(c, operand, value);
  });
}

inline bool ANI(const Context& c, const char* operand) {
  return TryReplaceResult(c, [&](int32_t p, int32_t* value) {
    int32_t x;
    if (!Read(c, operand, &x)) return false;
    *value = p == 1 && x == 0 ? 1 : 0;
    return true;
  });
}

inline bool OR(const Context& c, const char* operand) {
  return TryReplaceResult(c, [&](int32_t p, int32_t* value) {
    *value = 1;
    return p != 0 || Read(c, operand, value);
  });
}

inline bool ORI(const Context& c, const char* operand) {
  return TryReplaceResult(c, [&](int32_t p, int32_t* value) {
    *value = 1;
    if (p != 0) return true;
    int32_t x;
    if (!Read(c, operand, &x)) return false;
    *value = x == 0 ? 1 : 0;
    return true;
  });
}

// Comparison contacts: both operands read (first, then second) when the
// outcome depends on them, as the full forms do.
template <Relation R>
inline int32_t Holds(int32_t a, int32_t b) {
  if constexpr (R == Relation::kEq) return a == b ? 1 : 0;
  if constexpr (R == Relation::kNeq) return a != b ? 1 : 0;
  if constexpr (R == Relation::kLt) return a < b ? 1 : 0;
  if constexpr (R == Relation::kLte) return a <= b ? 1 : 0;
  if constexpr (R == Relation::kGt) return a > b ? 1 : 0;
  if constexpr (R == Relation::kGte) return a >= b ? 1 : 0;
}

template <Relation R>
inline bool Outcome(const Context& c, const char* first, const char* second, int32_t* value) {
  int32_t a;
  int32_t b;
  if (!ReadPure(c, first, &a) || !ReadPure(c, second, &b)) return false;
  *value = Holds<R>(a, b);
  return true;
}

template <Form F, Relation R>
inline bool Compare(const Context& c, const char* first, const char* second) {
  if constexpr (F == Form::kLoad) {
    int32_t value;
    if (!Outcome<R>(c, first, second, &value)) return false;
    Push(c, value);
    return true;
  } else if constexpr (F == Form::kAnd) {
    return TryReplaceResult(c, [&](int32_t p, int32_t* value) {
      *value = 0;
      return p == 0 || Outcome<R>(c, first, second, value);
    });
  } else {
    return TryReplaceResult(c, [&](int32_t p, int32_t* value) {
      *value = 1;
      return p != 0 || Outcome<R>(c, first, second, value);
    });
  }
}

// LAD_OUT without a set value: the popped value stored in a plain cell.
inline bool OUT(const Context& c, const char* operand, const char* set_value) {
  if (set_value[0] != '\0') return false;
  device::plain::QuickTarget target;
  if (!device::plain::WriteTargetQuick(*c.image, operand, &target)) return false;
  return TryPop(c, [&](int32_t value) {
    if (!target.Quiet(*c.image, value)) return false;
    if (target.cell != nullptr) *target.cell = value;
    return true;
  });
}

// SET and RST: `value` stored in a plain cell when the popped result is on.
inline bool Store(const Context& c, const char* operand, int32_t value) {
  device::plain::QuickTarget target;
  if (!device::plain::WriteTargetQuick(*c.image, operand, &target)) return false;
  return TryPop(c, [&](int32_t p) {
    if (p == 0) return true;
    if (!target.Quiet(*c.image, value)) return false;
    if (target.cell != nullptr) *target.cell = value;
    return true;
  });
}

}  // namespace quorsma::ladder::quick
