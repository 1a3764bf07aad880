// What a checked program touches, for the demo's closing table and the
// devices command.
#pragma once

#include <string>
#include <vector>

#include "program.h"

namespace quorsma::tool {

// Every device operand of the program (constants and special relays aside),
// once each in canonical text, in device order (X Y M L B S T D W R Z, then
// by number).  Register bits, digit groups and indexed operands are listed
// as written; they sort with their device.
std::vector<std::string> DevicesOf(const Program& program);

// "12 instructions, 2 edge slots, 1 timer".
std::string ProgramSize(const Program& program);

}  // namespace quorsma::tool
