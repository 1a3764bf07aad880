#include "rung_check.h"

#include <cstring>
#include <map>

#include "cli/client_names.h"
#include "cli/plural.h"

namespace quorsma::tool {
namespace {

bool Starts(const char* name, const char* prefix) { return std::strncmp(name, prefix, std::strlen(prefix)) == 0; }
bool Is(const char* name, const char* other) { return std::strcmp(name, other) == 0; }

}  // namespace

void CheckRungs(const std::vector<Instruction>& instructions, const std::string& name,
                std::vector<std::string>* errors, std::vector<std::string>* warnings) {
  int blocks = 0;     // loads not yet joined by ANB or ORB
  int branches = 0;   // MPS not yet popped by MPP
  bool after_output = false;
  int rung_line = 0;  // line of the rung's first load
  std::map<std::string, int> coils;  // device driven by OUT -> its first line
  auto at = [&](int line) { return name + ":" + std::to_string(line) + ": "; };
  auto end_rung = [&](int line) {
    if (branches > 0)
      warnings->push_back(at(rung_line ? rung_line : line) + "warning: the rung ends with " +
                          std::to_string(branches) + " MPS not popped by MPP");
    else if (blocks > 1)
      warnings->push_back(at(rung_line ? rung_line : line) + "warning: the rung ends with " +
                          Counted(blocks - 1, "block") + " not joined by ANB or ORB");
    blocks = 0;
    branches = 0;
    after_output = false;
  };
  for (const Instruction& in : instructions) {
    const char* n = in.info->name;
    auto need_condition = [&](const char* what) {
      if (blocks > 0) return true;
      errors->push_back(at(in.line) + what + " needs a condition before it; start the rung with LD or LDI");
      blocks = 1;  // one error per missing condition, not one per instruction after it
      return false;
    };
    if (Is(n, "END")) continue;
    if (Starts(n, "LD")) {
      if (after_output) end_rung(in.line);
      if (blocks == 0) rung_line = in.line;
      ++blocks;
    } else if (Is(n, "ANB") || Is(n, "ORB")) {
      if (blocks < 2) {
        errors->push_back(at(in.line) + n + " joins two blocks, but " +
                          (blocks == 0 ? std::string("none is") : std::string("only one is")) + " open");
      } else {
        --blocks;
      }
    } else if (Is(n, "MPS")) {
      if (need_condition(n)) ++branches;
    } else if (Is(n, "MRD") || Is(n, "MPP")) {
      if (branches == 0) {
        errors->push_back(at(in.line) + n + " without an MPS before it");
      } else if (Is(n, "MPP")) {
        --branches;
      }
    } else if (Starts(n, "AND") || Starts(n, "ANI") || Starts(n, "OR") || Is(n, "INV") || Is(n, "MEP")) {
      need_condition(n);
    } else {
      // Every other instruction is an output of the rung.
      if (need_condition(Is(n, "LAD_OUT") ? "OUT" : n)) after_output = true;
      if (Is(n, "LAD_OUT")) {
        Operand op;
        std::string reason;
        const std::string device =
            ParseOperand(in.operands[0], &op, &reason) && op.index_register < 0 ? OperandText(op) : std::string();
        if (!device.empty()) {
          const auto [it, fresh] = coils.emplace(device, in.line);
          if (!fresh)
            warnings->push_back(at(in.line) + "warning: " + device + " is driven by OUT here and at line " +
                                std::to_string(it->second) + " (double coil: the last one wins)");
        }
      }
    }
  }
  if (!instructions.empty()) end_rung(instructions.back().line);
}

}  // namespace quorsma::tool
