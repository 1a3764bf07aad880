// Values between Modbus registers and device cells: 16-bit registers read
// signed or unsigned, 32-bit values in two registers with the high or the low
// half at the lower address.
#pragma once

#include <cstdint>
#include <vector>

#include "io_config.h"

namespace quorsma::tool::io {

// The device values `registers` hold in `format` (one or two registers each).
void DecodeRegisters(const uint16_t* registers, int32_t devices, Format format, int32_t* values);
// The registers that carry `values` in `format`; a 16-bit format sends the
// low 16 bits.
void EncodeRegisters(const int32_t* values, int32_t devices, Format format, uint16_t* registers);

}  // namespace quorsma::tool::io
