#include "set_request.h"

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
                            const Permission& allowed) {
  std::string reason;
  if (!CheckOperand(operand, Role::kWrite, nullptr, &reason)) return "operand '" + operand + "': " + reason;
  int32_t value = 0;
  if (!ParseSetValue(payload, &value))
    return "value '" + Trim(payload) + "' for " + operand + ": a 32-bit number, decimal or 0x hexadecimal";
  // Resolved, checked and written in one step: the cells checked are the
  // cells written, whatever an index register does meanwhile.
  qsc_write_target target{};
  if (CheckWrite(image, allowed, operand, Role::kWrite, value, &target, &reason) != QSC_OK) return reason;
  // A write the library refused, or whose retentive save failed, is no
  // success: its message is the reason.
  if (ApplyWrite(target, &reason) != QSC_OK) return reason;
  return {};
}

}  // namespace quorsma::tool::mqtt
