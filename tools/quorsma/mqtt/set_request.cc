#include "set_request.h"

#include <cerrno>
#include <cstdlib>

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

bool ParseSetValue(std::string text, int32_t* value) {
  text = Trim(text);
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  int base = 10;
  if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
    base = 16;
    pos += 2;
  }
  if (pos >= text.size() || text.size() - pos > 10) return false;
  int64_t v = 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    const int digit = c >= '0' && c <= '9'                  ? c - '0'
                      : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                            : -1;
    if (digit < 0) return false;
    v = v * base + digit;
    if (v > 0xFFFFFFFFLL) return false;
  }
  if (base == 16 && !negative && v > INT32_MAX) v -= 0x100000000LL;
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

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
