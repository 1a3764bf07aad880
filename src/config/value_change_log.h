// Value-change checks of M, B, L, D and W devices.
//
// The check that finds no change is inlined into every device access; only a
// real change goes to the out-of-line path that writes the mailbox line (and,
// for data registers, saves the register's group).
#pragma once

#include <cstdint>

#include "core/areas.h"
#include "core/context.h"

namespace quorsma::config {

// Out-of-line halves: called only when the device differs from its last
// logged value.  Indices are already known to lie inside the area.  They
// take the LogLock only when a line is to be written or a group saved.
void LogChangeM(const Context& context, int32_t index);
void LogChangeB(const Context& context, int32_t index);
void LogChangeL(const Context& context, int32_t index);
void LogChangeW(const Context& context, int32_t index);
void LogChangeD(const Context& context, int32_t index);

// The checks.  An index outside the area is neither read nor written.
inline void CheckM(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && c.image->LogPrevM[i] != c.image->M[i]) LogChangeM(c, i);
}
inline void CheckB(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && c.image->LogPrevB[i] != c.image->B[i]) LogChangeB(c, i);
}
inline void CheckL(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && c.image->LogPrevL[i] != c.image->L[i]) LogChangeL(c, i);
}
inline void CheckW(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && c.image->LogPrevW[i] != c.image->W[i]) LogChangeW(c, i);
}
// The exclusion flag is tested after the comparison: both only stop the
// check, and the comparison alone decides the common case.
inline void CheckD(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && c.image->LogPrevD[i] != c.image->D[i] && c.image->NoLogD[i] == 0)
    LogChangeD(c, i);
}

}  // namespace quorsma::config
