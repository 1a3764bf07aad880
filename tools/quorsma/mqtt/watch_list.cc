#include "watch_list.h"

#include "quorsma/client.h"

namespace quorsma::tool::mqtt {

using namespace quorsma::client;

bool WatchList::Parse(const std::string& text, std::string* error) {
  DeviceList list;
  if (!DeviceList::Parse(text, RangeOptions{}, &list, error)) return false;
  std::vector<Device> devices;
  for (const std::string& operand : list.Operands()) {
    Device d;
    std::string reason;
    if (!CheckOperand(operand, Role::kMonitor, &d.operand, &reason)) {
      *error = "'" + operand + "': " + reason;
      return false;
    }
    d.text = OperandText(d.operand);
    devices.push_back(std::move(d));
  }
  devices_.insert(devices_.end(), devices.begin(), devices.end());
  return true;
}

std::vector<std::pair<std::string, std::string>> WatchList::Sample(MH_SHARED_STRUCTURE* image, bool all) {
  std::vector<std::pair<std::string, std::string>> changed;
  for (Device& d : devices_) {
    const DeviceValue v = ReadDeviceValue(image, d.operand, ReadPath::kImage);
    std::string value = v.ok ? FormatValue(v, ValueFormat::kDec) : "error";
    if (!all && value == d.last) continue;
    d.last = value;
    changed.emplace_back(d.text, std::move(value));
  }
  return changed;
}

}  // namespace quorsma::tool::mqtt
