// Index resolution shared by the operations that address one cell by operand
// text (SetSma, SmaGetPoint, GetComSma, GetValue2Word) and by GetIndex.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "device/operand_text.h"

namespace quorsma::device {

// The outcome of resolving an operand.
struct OperandIndex {
  // What GetIndex reports: the element index, -999 for text that is not an
  // operand, or 0 for the empty text and for D and G texts that name no
  // single register.
  int32_t value = 0;
  // The register the operand names, or -999 when it names none: the register
  // GetSma reads for the same text.  Differs from `value` only for bits of
  // D and W registers: D12345.7 (GetIndex: 0) names D12345, and D10Z1.3 or
  // W10Z1.3 name register 10 (16 for W) plus Z1, where GetIndex ignores the
  // index register.
  int32_t cell = -999;
  // The shape of the text, for the callers that look at its suffixes.
  OperandShape shape;
};

OperandIndex ResolveIndex(const Context& context, const char* operand);

// The plain form that nearly every operand takes: an upper-case device letter
// other than U and a short number, hexadecimal after X, Y, W and B and
// decimal after any other letter (D100, Y1F, T3, K5).  For such a text the
// resolver names the element n, with no message and no trace; false for any
// other text.
inline bool ShortPlainNumber(const char* operand, int32_t* n) {
  const char first = operand[0];
  if (first < 'A' || first > 'Z' || first == 'U') return false;
  if (first == 'X' || first == 'Y' || first == 'W' || first == 'B') return ShortHex(operand + 1, n);
  return ShortDecimal(operand + 1, n);
}

}  // namespace quorsma::device
