// Basic contacts.  Values travel on the stack as plain int32: LD, AND and OR
// pass a word device's number through unchanged, and only ANI insists on a
// current result of exactly 1.  AND, OR and ORI leave their operand unread
// when the current result already decides the outcome, since a read may log.
#include "device/plain_device.h"
#include "device/read.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"

namespace quorsma::ladder {

void LD(const Context& c, const char* operand) { Push(c, device::ReadDevice(c, operand)); }

void LDI(const Context& c, const char* operand) { Push(c, device::ReadDevice(c, operand) == 0 ? 1 : 0); }

void AND(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) { return p != 0 ? device::ReadDevice(c, operand) : 0; });
}

void ANI(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) {
    int32_t x = device::ReadDevice(c, operand);
    return p == 1 && x == 0 ? 1 : 0;
  });
}

void OR(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) { return p != 0 ? 1 : device::ReadDevice(c, operand); });
}

void ORI(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) { return p != 0 ? 1 : (device::ReadDevice(c, operand) == 0 ? 1 : 0); });
}

void INV(const Context& c) {
  ReplaceResult(c, [](int32_t p) { return p == 0 ? 1 : 0; });
}

}  // namespace quorsma::ladder
