// Message boxes and trace lines of the device operations.  These are the
// failure paths: the formatted texts go to a bounded buffer on the stack, and
// an operand text is only ever a format argument, never a format.
#pragma once

#include "core/context.h"
#include "core/format.h"
#include "platform/env.h"

namespace quorsma::device {

inline void ShowMessage(const Context& context, const char* text) {
  context.env->ShowMessage(text);
}

// One trace line: `Format` (a text of the system with one %s) applied to the
// operand.  Operands too long for the line are cut.
template <const auto& Format>
void TraceOperand(const Context& context, const char* operand) {
  char line[512];
  FormatTo(line, Format, operand);
  context.env->Trace(line);
}

}  // namespace quorsma::device
