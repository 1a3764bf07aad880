#include "write_permission.h"

#include <memory>

#include "range_grammar.h"

namespace quorsma::tool::modbus {

bool ParseWritePermission(const std::string& text, WritePermission* out, std::string* error) {
  if (text.empty()) {
    *out = [](const DeviceKind&, int32_t) { return false; };
    return true;
  }
  // The server writes whole devices: a register bit (D100.3) would let a
  // write change the other 15 bits too, so it is refused here.
  std::vector<RangeItem> items;
  RangeOptions options;
  options.allow_all = true;
  if (!ParseRangeList(text, options, &items, error)) return false;
  for (const RangeItem& item : items) {
    if (item.kind == RangeItem::Kind::kOperand && item.operand.bit >= 0) {
      *error = "a register bit such as D100.3 cannot be allowed: Modbus writes whole registers";
      return false;
    }
  }
  auto devices = std::make_shared<DeviceSet>();
  if (!DeviceSet::Parse(text, devices.get(), error)) return false;
  *out = [devices](const DeviceKind& kind, int32_t number) { return devices->Contains(kind.name, number); };
  return true;
}

}  // namespace quorsma::tool::modbus
