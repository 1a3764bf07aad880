// A checked instruction-list program, ready to run: every instruction with
// its export, its operand texts, and its edge-memory slot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "instruction_table.h"

namespace quorsma::tool {

struct ProgramLine {
  int line = 0;                        // 1-based line number in the file
  std::string mnemonic;                // as written
  std::vector<std::string> operands;   // as written
};

struct Instruction {
  const InstructionInfo* info = nullptr;
  int line = 0;
  std::string operands[3];  // missing operands are empty texts
  int32_t pulse_slot = -1;  // edge instructions: the PulseSlot value to write
};

struct Program {
  std::string name;  // file name, for messages
  std::vector<Instruction> instructions;
  // Timer numbers driven by a coil with a set value (LAD_OUT or PLS on T).
  std::vector<int32_t> timers;
  int32_t pulse_slots = 0;  // number of edge instructions
};

}  // namespace quorsma::tool
