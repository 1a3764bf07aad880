// Map files: an address map that replaces the default one.
//
// One range per line, fields separated by blanks or tabs; `#` starts a comment
// that runs to the end of the line; blank lines are allowed:
//
//   TABLE  ADDRESS  DEVICE  COUNT  [ro|rw]  [int16|int32-high-first|int32-low-first]
//
//   TABLE    coils, discrete-inputs, holding-registers or input-registers
//   ADDRESS  the first address, decimal, 0 to 65535
//   DEVICE   the first device, in operand form: X Y M L B S SM in the bit
//            tables, D W R Z, Tcur (timer current values) and Tset (timer set
//            values) in the register tables; X Y B W numbers are hexadecimal
//   COUNT    the number of devices, decimal, at least 1
//   ro / rw  read only (the default) or writable; discrete inputs and input
//            registers are always read only, and SM, R, Tcur and Tset cannot
//            be written by the library's device write, so they are ro
//   int16    one register per device: its low 16 bits; a write stores the
//            signed 16-bit value (the default)
//   int32-high-first / int32-low-first
//            two registers per device holding all 32 bits, the high or the low
//            half at the lower address
//
// A file with any error is refused whole: every error is reported with its
// line, and nothing of the file is used.
#pragma once

#include <string>
#include <vector>

#include "address_map.h"

namespace quorsma::tool::modbus {

// Parses map-file text; `name` prefixes the errors ("map.txt:3: ...").  Returns
// false and every error when the text is refused.
bool ParseMapText(const std::string& text, const std::string& name, AddressMap* map,
                  std::vector<std::string>* errors);

}  // namespace quorsma::tool::modbus
