#include "program_devices.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <set>
#include <utility>

#include "cli/client_names.h"
#include "cli/plural.h"

namespace quorsma::tool {

std::vector<std::string> DevicesOf(const Program& program) {
  static const char* const kOrder[] = {"X", "Y", "M", "L", "B", "S", "T", "D", "W", "R", "Z"};
  auto rank = [](const Operand& op) {
    std::size_t kind = 0;
    while (kind < std::size(kOrder) && op.device != kOrder[kind]) ++kind;
    return static_cast<int64_t>(kind) << 32 | op.number;
  };
  std::vector<std::pair<int64_t, std::string>> ranked;
  std::set<std::string> seen;
  for (const Instruction& in : program.instructions) {
    for (const std::string& text : in.operands) {
      Operand op;
      if (text.empty() || !CheckOperand(text, Role::kValue, &op, nullptr)) continue;
      if (op.kind == Operand::Kind::kConstant || op.device == "SM") continue;
      std::string canonical = OperandText(op);
      if (seen.insert(canonical).second) ranked.emplace_back(rank(op), std::move(canonical));
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> devices;
  devices.reserve(ranked.size());
  for (auto& entry : ranked) devices.push_back(std::move(entry.second));
  return devices;
}

std::string ProgramSize(const Program& program) {
  return Counted(static_cast<int64_t>(program.instructions.size()), "instruction") + ", " +
         Counted(program.pulse_slots, "edge slot") + ", " + Counted(static_cast<int64_t>(program.timers.size()), "timer");
}

}  // namespace quorsma::tool
