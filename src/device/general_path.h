// The general parsers behind GetSma and SetSma, which take every operand
// text.  GetSma and SetSma read and write the common short forms (D100,
// M10Z2, D100.3, K4M100) in one pass and hand everything else to these; the
// two must agree wherever the short forms apply, which the tests and the
// fuzz target check by calling these directly.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::device {

int32_t GetSmaGeneral(const Context& context, const char* operand);
void SetSmaGeneral(const Context& context, const char* operand, int32_t value);

}  // namespace quorsma::device
