#include "set_request.h"

#include <cerrno>
#include <cstdlib>

#include "device_format.h"
#include "operand_syntax.h"

namespace quorsma::tool::mqtt {
namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

bool ParseSetValue(std::string text, int32_t* value) { return ParseValueText(Trim(text), value); }

std::string ApplySetRequest(MH_SHARED_STRUCTURE* image, const std::string& operand, const std::string& payload,
                            const DeviceSet& allowed) {
  Operand op;
  std::string reason;
  if (!CheckOperand(operand, Role::kWrite, &op, &reason)) return "operand '" + operand + "': " + reason;
  const int32_t z = op.index_register >= 0 ? image->Z[op.index_register] : 0;
  const DeviceRange cells = CellsOf(op, z);
  const std::string text = OperandText(op);
  if (cells.first < 0 || cells.last >= AreaCount(cells.device))
    return text + " with Z" + std::to_string(op.index_register) + " = " + std::to_string(z) +
           " lies outside the device area";
  if (!allowed.Contains(cells)) return text + " is not in the ranges allowed for writing";
  int32_t value = 0;
  if (!ParseSetValue(payload, &value))
    return "value '" + Trim(payload) + "' for " + text + ": a 32-bit number, decimal or 0x hexadecimal";
  const bool bit = op.bit >= 0 || (op.device != "D" && op.device != "W" && op.device != "Z");
  if (bit && value != 0 && value != 1) return text + " is a bit: the value is 0 or 1";
  SetSma(text.c_str(), value);
  return {};
}

}  // namespace quorsma::tool::mqtt
