#include "device_requests.h"

#include <limits>

#include "server_limits.h"

namespace quorsma::tool::http {
namespace {

Refusal Bad(std::string reason) { return Refusal{400, std::move(reason)}; }

std::optional<Refusal> CheckShape(const nlohmann::json& body, const char* example) {
  if (!body.is_array()) return Bad(std::string("the body is a JSON array such as ") + example);
  if (body.empty()) return Bad("the list is empty");
  if (body.size() > kMaxRequestDevices)
    return Bad("at most " + std::to_string(kMaxRequestDevices) + " items in one request, not " +
               std::to_string(body.size()));
  return std::nullopt;
}

std::string Item(std::size_t index) { return "item " + std::to_string(index + 1) + ": "; }

// The "operand" member of an item as typed and as checked for `role`, or a
// refusal.
std::optional<Refusal> OperandOf(const nlohmann::json& item, std::size_t index, Role role, std::string* text,
                                 Operand* op) {
  if (!item.is_object()) return Bad(Item(index) + "an object with \"operand\"");
  const auto member = item.find("operand");
  if (member == item.end() || !member->is_string()) return Bad(Item(index) + "\"operand\" is missing or not a string");
  *text = member->get<std::string>();
  std::string reason;
  if (!CheckOperand(*text, role, op, &reason)) return Bad(Item(index) + "operand '" + *text + "': " + reason);
  return std::nullopt;
}

bool IsBitTarget(const Operand& op) { return op.bit >= 0 || IsBitDevice(op.device); }

std::optional<Refusal> ValueOf(const nlohmann::json& item, std::size_t index, const std::string& operand, bool bit,
                               int32_t* value) {
  const auto member = item.find("value");
  if (member == item.end()) return Bad(Item(index) + "\"value\" is missing");
  if (member->is_boolean()) {
    if (!bit) return Bad(Item(index) + operand + " is a register: the value is an integer");
    *value = member->get<bool>() ? 1 : 0;
    return std::nullopt;
  }
  if (!member->is_number_integer())
    return Bad(Item(index) + "the value of " + operand + " is not an integer");
  const bool fits = member->is_number_unsigned()
                        ? member->get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                        : member->get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                              member->get<int64_t>() <= std::numeric_limits<int32_t>::max();
  if (!fits) return Bad(Item(index) + "the value of " + operand + " is beyond 32 bits");
  const int64_t v = member->get<int64_t>();
  if (bit && v != 0 && v != 1) return Bad(Item(index) + operand + " is a bit: the value is 0 or 1");
  *value = static_cast<int32_t>(v);
  return std::nullopt;
}

}  // namespace

std::optional<Refusal> ParseWatchList(std::string_view text, std::vector<Operand>* out) {
  if (text.empty()) return Bad("operands=LIST is needed, such as operands=D100..D120,X0..X1F,T0");
  DeviceList list;
  std::string reason;
  if (!DeviceList::Parse(text, RangeOptions{}, &list, &reason)) return Bad(reason);
  const std::size_t count = list.OperandCount();
  if (count > kMaxRequestDevices)
    return Bad("at most " + std::to_string(kMaxRequestDevices) + " devices in one request, not " +
               std::to_string(count));
  std::vector<Operand> operands;
  operands.reserve(count);
  for (const std::string& operand : list.Operands()) {
    Operand op;
    if (!CheckOperand(operand, Role::kMonitor, &op, &reason)) return Bad("'" + operand + "': " + reason);
    operands.push_back(op);
  }
  *out = std::move(operands);
  return std::nullopt;
}

std::optional<Refusal> PlanDeviceWrites(const nlohmann::json& body, const Permission& allowed,
                                        const MH_SHARED_STRUCTURE* image, std::vector<qsc_write_target>* plan) {
  if (auto refusal = CheckShape(body, "[{\"operand\":\"D100\",\"value\":5}]")) return refusal;
  std::vector<qsc_write_target> writes;
  writes.reserve(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    const nlohmann::json& item = body[i];
    std::string text;
    Operand op;
    if (auto refusal = OperandOf(item, i, Role::kWrite, &text, &op)) return refusal;
    int32_t value = 0;
    if (auto refusal = ValueOf(item, i, OperandText(op), IsBitTarget(op), &value)) return refusal;
    // Resolved once: the write goes to the cells checked, even if an index
    // register changes before it is made.
    qsc_write_target target{};
    std::string reason;
    const int32_t status = CheckWrite(image, allowed, text, Role::kWrite, value, &target, &reason);
    if (status == QSC_NOT_ALLOWED) return Refusal{403, Item(i) + reason};
    if (status != QSC_OK) return Bad(Item(i) + reason);
    writes.push_back(target);
  }
  *plan = std::move(writes);
  return std::nullopt;
}

std::optional<Refusal> PlanCommentWrites(const nlohmann::json& body, const Permission& allowed,
                                         std::vector<CommentWrite>* plan) {
  if (auto refusal = CheckShape(body, "[{\"operand\":\"D100\",\"comment\":\"text\"}]")) return refusal;
  std::vector<CommentWrite> writes;
  writes.reserve(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    const nlohmann::json& item = body[i];
    std::string text;
    Operand op;
    if (auto refusal = OperandOf(item, i, Role::kComment, &text, &op)) return refusal;
    if (!op.IsPlainDevice()) return Bad(Item(i) + "'" + text + "': a comment belongs to a plain device");
    const std::string operand = OperandText(op);
    if (!allowed.Allows(op.device, op.number))
      return Refusal{403, Item(i) + operand + " is outside the devices this server may write"};
    const auto member = item.find("comment");
    if (member == item.end() || !member->is_string()) return Bad(Item(i) + "\"comment\" is missing or not a string");
    CommentWrite write{operand, op.device, static_cast<int32_t>(op.number), {}};
    std::string reason;
    if (!CommentFromUtf8(member->get<std::string>(), &write.cp949, &reason))
      return Bad(Item(i) + "the comment of " + operand + ": " + reason);
    writes.push_back(std::move(write));
  }
  *plan = std::move(writes);
  return std::nullopt;
}

}  // namespace quorsma::tool::http
