// Operand texts to element indices (GetIndex) and to their parts (ResolveOP).
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::device {

// Element index of the operand in its area, index register applied; -999 for
// text that is not an operand, 0 for the empty text and a few forms.
int32_t GetIndex(const Context& context, const char* operand);

// Splits the operand into `record` (which the caller zero-fills); 1 when the
// whole text was understood, else 0.
int32_t ResolveOP(const Context& context, const char* operand, ResolvedOperand* record);

}  // namespace quorsma::device
