// Retentive data registers: groups of 50 registers saved to _DIO_DV.ini (and
// the write-check cells to _DIO_WrDChk.ini) and loaded back at attach.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::config {

// Set_Map: kind "D..." logs the D line and saves the group of `index`;
// kind "WrDChk" saves the write-check group.  Always returns 0.
int32_t SetMap(const Context& context, const char* kind, int32_t index);

// Loads _DIO_DV.ini from the memory-parameter directory into D.
void LoadRetentiveRegisters(const Context& context);

}  // namespace quorsma::config
