// The general parsers behind GetSma, SetSma and SmaGetPoint, which take every
// operand text.  The plain form (D100: plain_device.h) and the common short
// suffixes (M10Z2, D100.3, K4M100) are read and written in one pass, and
// SmaGetPoint places a plain operand without the resolver; everything else
// goes to these.  Both ways must agree wherever the short ones apply, which
// the tests and the fuzz target check by calling these directly.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::device {

int32_t GetSmaGeneral(const Context& context, const char* operand);
void SetSmaGeneral(const Context& context, const char* operand, int32_t value);
int32_t* SmaGetPointGeneral(const Context& context, const char* operand);

}  // namespace quorsma::device
