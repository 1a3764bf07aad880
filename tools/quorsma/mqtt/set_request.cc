#include "set_request.h"

#include <climits>
#include <cstdint>
#include <nlohmann/json.hpp>

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
  if (text.empty() || text.front() != '{') return ParseValueText(text, value);
  const auto object = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (!object.is_object() || object.size() != 1 || !object.contains("value")) return false;
  const auto& v = object["value"];
  if (v.is_string()) return ParseValueText(Trim(v.get<std::string>()), value);
  if (v.is_boolean()) {
    *value = v.get<bool>() ? 1 : 0;
    return true;
  }
  // A JSON number as a decimal text: integers of 32 bits only.
  if (!v.is_number_integer()) return false;
  const int64_t n = v.is_number_unsigned() && v.get<uint64_t>() > INT32_MAX ? int64_t{INT32_MAX} + 1 : v.get<int64_t>();
  if (n < INT32_MIN || n > INT32_MAX) return false;
  *value = static_cast<int32_t>(n);
  return true;
}

std::string ApplySetRequest(MH_SHARED_STRUCTURE* image, const std::string& operand, const std::string& payload,
                            const Permission& allowed) {
  std::string reason;
  if (!CheckOperand(operand, Role::kWrite, nullptr, &reason)) return "operand '" + operand + "': " + reason;
  int32_t value = 0;
  if (!ParseSetValue(payload, &value))
    return "value '" + Trim(payload) + "' for " + operand + ": a 32-bit number, decimal or 0x hexadecimal, alone or as {\"value\": N}";
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
