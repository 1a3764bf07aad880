// The ladder instructions the runner knows: each one's exported function, its
// name and conventional aliases, how many operands it takes, what each operand
// must be, and whether it evaluates an edge (and so needs an edge-memory slot).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "quorsma/quorsma.h"

namespace quorsma::tool {

// Shapes of the exported instruction functions.
using InstructionFn0 = void(QSMA_API*)(void);
using InstructionFn1 = void(QSMA_API*)(const char*);
using InstructionFn1R = int32_t(QSMA_API*)(const char*);
using InstructionFn2 = void(QSMA_API*)(const char*, const char*);
using InstructionFn3 = void(QSMA_API*)(const char*, const char*, const char*);

enum class Signature : uint8_t { kNone, kOne, kOneResult, kTwo, kThree };

// How the operands of an instruction are checked (see program_checker.cc).
enum class OperandForm : uint8_t {
  kNone,        // no operand
  kContact,     // one value read
  kCompare,     // two values read
  kOut,         // a written device, or a timer coil and its set value
  kSetReset,    // one written device
  kPulse,       // a relay, or a timer coil and its set value
  kPlusMinus,   // two sources and an optional destination (else the second)
  kMultiply,    // two sources and an optional destination (else the second)
  kDivide,      // two sources and a destination for quotient and remainder
  kIncrement,   // one D, W or Z register
  kDecrement,   // one D or W register
  kShift,       // the first relay of the run and its length
  kEnd,         // END: only as the last instruction; the runner ends every scan
};

struct InstructionInfo {
  const char* name;  // the export's name
  Signature signature;
  OperandForm form;
  uint8_t min_operands;
  uint8_t max_operands;
  bool edge;  // evaluates an edge: the runner writes PulseSlot before it
  // The export; the member that matches `signature` is set.
  InstructionFn0 fn0;
  InstructionFn1 fn1;
  InstructionFn1R fn1r;
  InstructionFn2 fn2;
  InstructionFn3 fn3;
};

// The instruction named `name` (an export name or an alias, in any letter
// case), or null.
const InstructionInfo* FindInstruction(std::string_view name);

// Every instruction, in table order, and the aliases with their targets (for
// help texts and tests).
struct InstructionAlias {
  const char* alias;
  const char* name;
};
std::span<const InstructionInfo> AllInstructions();
std::span<const InstructionAlias> AllAliases();

}  // namespace quorsma::tool
