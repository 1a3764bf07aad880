// Value-change checks of M, B, L, D and W devices.
//
// The check that finds no change is inlined into every device access; only a
// real change goes to the out-of-line path that writes the mailbox line (and,
// for data registers, saves the register's group).  With logging off, a
// check of M, B, L or W costs one read of LogEnable and calls nothing.
#pragma once

#include <cstdint>

#include "config/retentive_store.h"
#include "core/areas.h"
#include "core/context.h"
#include "core/shared_cell.h"

namespace quorsma::config {

// Out-of-line halves: called only when the device differs from its last
// logged value.  Indices are already known to lie inside the area.  They
// take the LogLock only when a line is to be written or a group saved.
void LogChangeM(const Context& context, int32_t index);
void LogChangeB(const Context& context, int32_t index);
void LogChangeL(const Context& context, int32_t index);
void LogChangeW(const Context& context, int32_t index);
void LogChangeD(const Context& context, int32_t index);

// Whether a change can be acted on at all: with logging off only the data
// registers saved at every change (D300..D1099) are; the out-of-line halves
// return at once otherwise.  M, B, L and W test it first, so that with logging
// off their check reads no last logged value and calls nothing.
inline bool Logging(const Image& image) { return LoadRelaxed(image.LogEnable) != 0; }

// The checks.  An index outside the area is neither read nor written.
inline void CheckM(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && Logging(*c.image) && c.image->LogPrevM[i] != c.image->M[i]) LogChangeM(c, i);
}
inline void CheckB(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && Logging(*c.image) && c.image->LogPrevB[i] != c.image->B[i]) LogChangeB(c, i);
}
inline void CheckL(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && Logging(*c.image) && c.image->LogPrevL[i] != c.image->L[i]) LogChangeL(c, i);
}
inline void CheckW(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && Logging(*c.image) && c.image->LogPrevW[i] != c.image->W[i]) LogChangeW(c, i);
}
// The comparison comes first for D: a register that has not changed (the
// common case of a read) needs no more.  The log state and the exclusion flag
// only stop the check.
inline void CheckD(const Context& c, int32_t i) {
  if (InArea(i, kLargeArea) && c.image->LogPrevD[i] != c.image->D[i] && (Logging(*c.image) || IsAlwaysRetentive(i)) &&
      c.image->NoLogD[i] == 0)
    LogChangeD(c, i);
}

}  // namespace quorsma::config
