#include "permission.h"

namespace qsc {

bool Permission::Parse(std::string_view text, Permission* out, std::string* error) {
  Permission permission;
  if (text.find_first_not_of(" \t") == std::string_view::npos) {
    *out = std::move(permission);
    return true;
  }
  std::vector<RangeItem> items;
  RangeOptions options;
  options.allow_all = true;
  if (!ParseRangeList(text, options, &items, error)) return false;
  for (const RangeItem& item : items) {
    switch (item.kind) {
      case RangeItem::Kind::kAll:
        permission.cells_.AddAll();
        break;
      case RangeItem::Kind::kRange:
        permission.cells_.Add(item.range);
        break;
      case RangeItem::Kind::kOperand: {
        const Operand& op = item.operand;
        if (op.index_register >= 0) {
          if (error) *error = "'" + OperandText(op) + "': an indexed device names no fixed device";
          return false;
        }
        if (op.bit >= 0) {
          permission.bits_.push_back({op.device, op.number, op.bit});
        } else {
          permission.cells_.Add(CellsOf(op));
        }
        break;
      }
    }
  }
  *out = std::move(permission);
  return true;
}

bool Permission::AllowsBit(std::string_view device, int64_t number, int32_t bit) const {
  if (cells_.Contains(device, number)) return true;
  for (const RegisterBit& granted : bits_) {
    if (granted.device == device && granted.number == number && granted.bit == bit) return true;
  }
  return false;
}

}  // namespace qsc
