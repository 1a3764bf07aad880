#include "write_permission.h"

namespace quorsma::tool::modbus {

bool ParseWritePermission(const std::string& text, WritePermission* out, std::string* error) {
  if (text.empty()) {
    *out = [](const DeviceKind&, int32_t) { return false; };
    return true;
  }
  if (text == "all") {
    *out = [](const DeviceKind&, int32_t) { return true; };
    return true;
  }
  *error = "not yet";
  return false;
}

}  // namespace quorsma::tool::modbus
