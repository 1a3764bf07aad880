#include "range_grammar.h"

#include <cctype>

namespace qsc {
namespace {

bool Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return false;
}

// 'text', quoted for a message.
std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  out.append(text);
  out += '\'';
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// One end of a range: a plain device.
bool ParseEnd(std::string_view text, const char* which, Operand* out, std::string* error) {
  std::string reason;
  if (!ParseOperand(text, out, &reason)) return Fail(error, std::string(which) + " end " + Quoted(text) + ": " + reason);
  if (!out->IsPlainDevice())
    return Fail(error, std::string(which) + " end " + Quoted(text) +
                           ": a range joins two plain devices (no constant, digit group, bit or index)");
  return true;
}

}  // namespace

bool ParseRangeItem(std::string_view typed, const RangeOptions& options, RangeItem* out, std::string* error) {
  const std::string_view text = Trim(typed);
  if (text.empty()) return Fail(error, "empty item");
  if (text == "all" || text == "ALL") {
    if (!options.allow_all) return Fail(error, "'all' is not allowed here");
    *out = RangeItem{};
    out->kind = RangeItem::Kind::kAll;
    return true;
  }
  RangeItem item;
  const std::size_t dots = text.find("..");
  if (dots != std::string_view::npos) {
    Operand first, last;
    if (!ParseEnd(Trim(text.substr(0, dots)), "first", &first, error)) return false;
    if (!ParseEnd(Trim(text.substr(dots + 2)), "last", &last, error)) return false;
    if (first.device != last.device)
      return Fail(error, "both ends of a range are of one device kind, not " + first.device + " and " + last.device);
    if (last.number < first.number) return Fail(error, "the range runs backwards");
    if (last.number - first.number + 1 > kMaxRangeDevices)
      return Fail(error, "a range holds at most " + std::to_string(kMaxRangeDevices) + " devices, not " +
                             std::to_string(last.number - first.number + 1));
    item.range = {first.device, static_cast<int32_t>(first.number), static_cast<int32_t>(last.number)};
    *out = item;
    return true;
  }
  Operand op;
  std::string reason;
  if (!CheckOperand(text, Role::kMonitor, &op, &reason)) return Fail(error, reason);
  if (op.kind == Operand::Kind::kConstant) return Fail(error, "a constant is not a device");
  if (op.IsPlainDevice()) {
    item.range = {op.device, static_cast<int32_t>(op.number), static_cast<int32_t>(op.number)};
  } else {
    item.kind = RangeItem::Kind::kOperand;
    item.operand = op;
  }
  *out = item;
  return true;
}

bool ParseRangeList(std::string_view text, const RangeOptions& options, std::vector<RangeItem>* out,
                    std::string* error) {
  std::vector<RangeItem> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string_view piece = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
    RangeItem item;
    std::string reason;
    if (!ParseRangeItem(piece, options, &item, &reason))
      return Fail(error, Trim(piece).empty() ? "empty item in the list " + Quoted(text)
                                             : Quoted(Trim(piece)) + ": " + reason);
    items.push_back(std::move(item));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  *out = std::move(items);
  return true;
}

std::vector<std::string> ExpandOperands(const std::vector<RangeItem>& items) {
  std::vector<std::string> operands;
  for (const RangeItem& item : items) {
    if (item.kind == RangeItem::Kind::kOperand) {
      operands.push_back(OperandText(item.operand));
    } else if (item.kind == RangeItem::Kind::kRange) {
      for (int64_t n = item.range.first; n <= item.range.last; ++n) operands.push_back(DeviceText(item.range.device, n));
    }
  }
  return operands;
}

DeviceRange CellsOf(const Operand& op, int32_t z_value) {
  const int64_t offset = op.index_register >= 0 ? z_value : 0;
  const int64_t first = op.number + offset;
  const int64_t count = op.kind == Operand::Kind::kDigits ? 4 * op.digits : 1;
  return {op.device, static_cast<int32_t>(first), static_cast<int32_t>(first + count - 1)};
}

bool DeviceSet::Contains(std::string_view device, int64_t number, int64_t count) const {
  if (all_) return true;
  int64_t next = number;
  const int64_t end = number + count;
  while (next < end) {
    bool found = false;
    for (const DeviceRange& range : ranges_) {
      if (range.Contains(device, next)) {
        next = static_cast<int64_t>(range.last) + 1;
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

}  // namespace qsc
