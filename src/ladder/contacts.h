// Basic contacts, inline so that each export runs its instruction without a
// second call.  Values travel on the stack as plain int32: LD, AND and OR
// pass a word device's number through unchanged, and only ANI insists on a
// current result of exactly 1.  AND, OR and ORI leave their operand unread
// when the current result already decides the outcome, since a read may log.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "device/plain_device.h"
#include "ladder/result_stack.h"

namespace quorsma::ladder {

inline void LD(const Context& c, const char* operand) { Push(c, device::ReadDevice(c, operand)); }

inline void LDI(const Context& c, const char* operand) { Push(c, device::ReadDevice(c, operand) == 0 ? 1 : 0); }

inline void AND(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) { return p != 0 ? device::ReadDevice(c, operand) : 0; });
}

inline void ANI(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) {
    int32_t x = device::ReadDevice(c, operand);
    return p == 1 && x == 0 ? 1 : 0;
  });
}

inline void OR(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) { return p != 0 ? 1 : device::ReadDevice(c, operand); });
}

inline void ORI(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) { return p != 0 ? 1 : (device::ReadDevice(c, operand) == 0 ? 1 : 0); });
}

inline void INV(const Context& c) {
  ReplaceResult(c, [](int32_t p) { return p == 0 ? 1 : 0; });
}

}  // namespace quorsma::ladder
