#include "program_checker.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "cli/client_names.h"
#include "cli/input_file.h"
#include "program_parser.h"
#include "rung_check.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool {
namespace {

// Asks the library whether it reads `text` the way the tool's grammar does.
// Only operand resolvers that neither touch a device nor log are used:
// ResolveOP (fills a record of its own) and GetIndex (reads at most an index
// register).  The grammar has already excluded the texts for which these two
// would raise a message box (K or Z directly followed by Z, index registers
// above Z20).
bool LibraryAccepts(const std::string& text, const Operand& op, Role role) {
  if (op.kind == Operand::Kind::kConstant) return true;  // read by value, never resolved
  const bool plain_index_register = op.kind == Operand::Kind::kDevice && op.device == "Z";
  if (!plain_index_register) {
    // ResolveOP takes one hexadecimal digit after '.', while the device reads
    // and writes take the bit number in decimal (D100.12 is bit 12): a bit
    // operand is resolved without its bit, which GetIndex then confirms.
    const std::string device = op.bit >= 0 ? text.substr(0, text.find('.')) : text;
    ResolvedOperand record;
    std::memset(&record, 0, sizeof record);
    if (ResolveOP(device.c_str(), &record) != 1) return false;
  }
  // Writes, cells, timers, comments and bits are found through GetIndex.
  const bool resolved_by_index =
      op.bit >= 0 || (role != Role::kValue && role != Role::kMulDivValue && role != Role::kShiftLength);
  if (resolved_by_index && GetIndex(text.c_str()) == QSMA_BAD_OPERAND) return false;
  return true;
}

class Checker {
 public:
  Checker(const std::string& name, std::vector<std::string>* errors) : name_(name), errors_(errors) {}

  void Error(int line, const std::string& message) {
    errors_->push_back(name_ + ":" + std::to_string(line) + ": " + message);
    ok_ = false;
  }

  // Checks operand `index` (0-based) of the instruction for `role`.
  bool CheckOperandAt(const ProgramLine& line, const InstructionInfo& info, std::size_t index, Role role,
                Operand* out = nullptr) {
    const std::string& text = line.operands[index];
    Operand op;
    std::string reason;
    if (!CheckOperand(text, role, &op, &reason)) {
      Error(line.line, std::string(info.name) + ": operand " + std::to_string(index + 1) + " '" + text + "': " +
                           reason);
      return false;
    }
    if (!LibraryAccepts(text, op, role)) {
      Error(line.line, std::string(info.name) + ": operand " + std::to_string(index + 1) + " '" + text +
                           "': the library does not accept this operand");
      return false;
    }
    if (out) *out = op;
    return true;
  }

  bool ok() const { return ok_; }

 private:
  const std::string& name_;
  std::vector<std::string>* errors_;
  bool ok_ = true;
};

std::string OperandCountText(const InstructionInfo& info) {
  auto plural = [](int n) { return std::to_string(n) + (n == 1 ? " operand" : " operands"); };
  if (info.min_operands == info.max_operands) return plural(info.min_operands);
  return std::to_string(info.min_operands) + " or " + plural(info.max_operands);
}

}  // namespace

bool CheckProgram(const std::vector<ProgramLine>& lines, const std::string& name, Program* program,
                  std::vector<std::string>* errors, std::vector<std::string>* warnings) {
  Checker check(name, errors);
  Program result;
  result.name = name;
  bool ended = false;
  for (ProgramLine line : lines) {
    // Operands may be written in either case; the library reads upper case.
    for (std::string& text : line.operands) {
      for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const InstructionInfo* info = FindInstruction(line.mnemonic);
    if (info == nullptr) {
      check.Error(line.line, "unknown instruction '" + line.mnemonic + "'");
      continue;
    }
    if (ended) {
      check.Error(line.line, "END ends the program; nothing may follow it");
      continue;
    }
    const std::size_t count = line.operands.size();
    if (count < info->min_operands || count > info->max_operands) {
      check.Error(line.line, std::string(info->name) + " takes " + OperandCountText(*info) + ", not " +
                                 std::to_string(count));
      continue;
    }
    bool good = true;
    auto operand = [&](std::size_t i, Role role, Operand* out = nullptr) {
      good = check.CheckOperandAt(line, *info, i, role, out) && good;
    };
    Operand first, second, third;
    switch (info->form) {
      case OperandForm::kNone:
        break;
      case OperandForm::kEnd:
        ended = true;
        continue;  // the runner calls END at the end of every scan
      case OperandForm::kContact:
        operand(0, Role::kValue);
        break;
      case OperandForm::kCompare:
        operand(0, Role::kValue);
        operand(1, Role::kValue);
        break;
      case OperandForm::kOut:
      case OperandForm::kPulse:
        if (count == 1 && !line.operands[0].empty() && line.operands[0][0] == 'T' &&
            info->form == OperandForm::kOut) {
          check.Error(line.line, "a timer coil needs a set value, e.g. OUT " + line.operands[0] + " K30");
          good = false;
        } else if (count == 1) {
          operand(0, info->form == OperandForm::kOut ? Role::kWrite : Role::kPulseRelay);
        } else {
          operand(0, Role::kTimer, &first);
          operand(1, Role::kValue);
        }
        break;
      case OperandForm::kSetReset:
        operand(0, Role::kWrite);
        break;
      case OperandForm::kPlusMinus:
        operand(0, Role::kValue);
        operand(1, count == 2 ? Role::kCell : Role::kValue);
        if (count == 3) operand(2, Role::kCell);
        break;
      case OperandForm::kMultiply:
      case OperandForm::kDivide:
        operand(0, Role::kMulDivValue);
        operand(1, count == 2 ? Role::kMulDivCell : Role::kMulDivValue);
        if (count == 3) operand(2, Role::kMulDivCell, &third);
        if (good && info->form == OperandForm::kDivide && third.number + 1 >= AreaCount(third.device)) {
          check.Error(line.line, std::string(info->name) + ": operand 3 '" + line.operands[2] +
                                     "': the remainder goes to the next register, which does not exist");
          good = false;
        }
        break;
      case OperandForm::kIncrement:
        operand(0, Role::kIncrement);
        break;
      case OperandForm::kDecrement:
        operand(0, Role::kDecrement);
        break;
      case OperandForm::kShift:
        operand(0, Role::kShiftStart, &first);
        operand(1, Role::kShiftLength, &second);
        if (good && first.number + second.number > QSMA_AREA_LARGE) {
          check.Error(line.line, std::string(info->name) + ": the run of " + std::to_string(second.number) +
                                     " relays from " + line.operands[0] + " goes past M131070");
          good = false;
        }
        break;
    }
    if (!good) continue;
    Instruction instruction;
    instruction.info = info;
    instruction.line = line.line;
    for (std::size_t i = 0; i < count; ++i) instruction.operands[i] = line.operands[i];
    if (info->edge) {
      if (result.pulse_slots >= QSMA_AREA_LARGE) {
        check.Error(line.line, "more edge instructions than edge-memory cells (131,071)");
        continue;
      }
      instruction.pulse_slot = result.pulse_slots++;
    }
    if ((info->form == OperandForm::kOut || info->form == OperandForm::kPulse) && count == 2) {
      result.timers.push_back(static_cast<int32_t>(first.number));
    }
    result.instructions.push_back(std::move(instruction));
  }
  if (check.ok() && result.instructions.empty()) check.Error(lines.empty() ? 1 : lines.back().line, "no instruction to run");
  if (!check.ok()) return false;
  std::vector<std::string> rung_errors, rung_warnings;
  CheckRungs(result.instructions, name, &rung_errors, &rung_warnings);
  if (warnings) warnings->insert(warnings->end(), rung_warnings.begin(), rung_warnings.end());
  if (!rung_errors.empty()) {
    errors->insert(errors->end(), rung_errors.begin(), rung_errors.end());
    return false;
  }
  std::sort(result.timers.begin(), result.timers.end());
  result.timers.erase(std::unique(result.timers.begin(), result.timers.end()), result.timers.end());
  *program = std::move(result);
  return true;
}

bool LoadProgram(const std::string& path, Program* program, std::vector<std::string>* errors,
                 std::vector<std::string>* warnings) {
  std::string text, error;
  if (!ReadInputFile(path, kMaxProgramBytes, &text, &error)) {
    errors->push_back(error);
    return false;
  }
  const std::size_t errors_before = errors->size();
  const std::size_t warnings_before = warnings ? warnings->size() : 0;
  const bool ok = CheckProgram(ParseProgramText(text), path, program, errors, warnings);
  // The messages quote the file's text, which may hold any byte: a NUL would
  // cut the message short and an escape sequence would act on the terminal.
  for (std::size_t i = errors_before; i < errors->size(); ++i) (*errors)[i] = EscapeControls((*errors)[i]);
  for (std::size_t i = warnings_before; warnings && i < warnings->size(); ++i)
    (*warnings)[i] = EscapeControls((*warnings)[i]);
  return ok;
}

}  // namespace quorsma::tool

namespace quorsma::tool {

bool LoadPrograms(const std::vector<std::string>& paths, Program* program, std::vector<std::string>* errors,
                  std::vector<std::string>* warnings) {
  Program merged;
  bool ok = true;
  for (const std::string& path : paths) {
    Program part;
    if (!LoadProgram(path, &part, errors, warnings)) {
      ok = false;
      continue;
    }
    if (!merged.name.empty()) merged.name += " + ";
    merged.name += part.name;
    for (Instruction& in : part.instructions) {
      if (in.pulse_slot >= 0) in.pulse_slot += merged.pulse_slots;
      merged.instructions.push_back(std::move(in));
    }
    merged.pulse_slots += part.pulse_slots;
    merged.timers.insert(merged.timers.end(), part.timers.begin(), part.timers.end());
  }
  if (ok && merged.pulse_slots > QSMA_AREA_LARGE) {
    errors->push_back("the programs together hold more edge instructions than edge-memory cells (131,071)");
    ok = false;
  }
  if (!ok) return false;
  std::sort(merged.timers.begin(), merged.timers.end());
  merged.timers.erase(std::unique(merged.timers.begin(), merged.timers.end()), merged.timers.end());
  *program = std::move(merged);
  return true;
}

}  // namespace quorsma::tool
