#include "write_permission.h"

#include "quorsma/client.h"

namespace quorsma::tool::modbus {

using namespace quorsma::client;

bool ParseWritePermission(const std::string& text, WritePermission* out, std::string* error) {
  // The server writes whole devices: a register bit (D100.3) would let a
  // write change the other 15 bits too, so it is refused here.
  std::vector<RangeItem> items;
  RangeOptions options;
  options.allow_all = true;
  if (!text.empty() && !ParseRangeList(text, options, &items, error)) return false;
  for (const RangeItem& item : items) {
    if (item.kind == RangeItem::Kind::kOperand && item.operand.bit >= 0) {
      *error = "a register bit such as D100.3 cannot be allowed: Modbus writes whole registers";
      return false;
    }
  }
  Permission permission;
  if (!Permission::Parse(text, &permission, error)) return false;
  *out = [permission](const DeviceKind& kind, int32_t number) { return permission.Allows(kind.name, number); };
  return true;
}

}  // namespace quorsma::tool::modbus
