// Retentive data registers: groups of 50 registers saved to _DIO_DV.ini (and
// the write-check cells to _DIO_WrDChk.ini) and loaded back at attach.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::config {

// Set_Map: kind "D..." puts the D line of `index` into the mailbox (only when
// no line is pending) and saves its group; kind "WrDChk" saves the
// write-check group.  An index outside the area does nothing.  Always
// returns 0.
int32_t SetMap(const Context& context, const char* kind, int32_t index);

// Loads _DIO_DV.ini from the memory-parameter directory into D, group by
// group; a missing file loads nothing.  The caller decides whether the
// registers need loading (D1000..D1099 summing to 0).
void LoadRetentiveRegisters(const Context& context);

}  // namespace quorsma::config
