#include "device_history.h"

#include <algorithm>

namespace quorsma::tool::http {

using nlohmann::json;
using namespace quorsma::client;

void DeviceHistory::Sample(int64_t unix_ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t slot = ticks_ % kHistorySamples;
  times_[slot] = unix_ms;
  for (Track& t : tracks_) {
    const DeviceValue v = ReadDeviceValue(image_, t.operand, ReadPath::kImage);
    t.values[slot] = v.timer ? v.timer_current : v.value;
  }
  ++ticks_;
}

DeviceHistory::Track& DeviceHistory::Keep(const Operand& operand) {
  const std::string text = OperandText(operand);
  for (Track& t : tracks_) {
    if (t.text == text) return t;
  }
  if (tracks_.size() >= kHistoryDevices) {
    auto oldest = std::min_element(tracks_.begin(), tracks_.end(),
                                   [](const Track& a, const Track& b) { return a.asked < b.asked; });
    tracks_.erase(oldest);
  }
  Track t;
  t.operand = operand;
  t.text = text;
  t.first_tick = ticks_;
  t.values.assign(kHistorySamples, 0);
  tracks_.push_back(std::move(t));
  return tracks_.back();
}

json DeviceHistory::Read(const std::vector<Operand>& operands, int64_t after_ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<const Track*> asked;
  for (const Operand& op : operands) {
    Track& t = Keep(op);
    t.asked = ++asks_;
  }
  // Found again after every Keep: a later one may have moved the earlier ones.
  for (const Operand& op : operands) {
    const std::string text = OperandText(op);
    for (const Track& t : tracks_)
      if (t.text == text) asked.push_back(&t);
  }
  const uint64_t oldest = ticks_ > kHistorySamples ? ticks_ - kHistorySamples : 0;
  json times = json::array();
  std::vector<json> values(asked.size(), json::array());
  for (uint64_t tick = oldest; tick < ticks_; ++tick) {
    const std::size_t slot = tick % kHistorySamples;
    if (times_[slot] <= after_ms) continue;
    times.push_back(times_[slot]);
    for (std::size_t k = 0; k < asked.size(); ++k) {
      if (tick < asked[k]->first_tick)
        values[k].push_back(nullptr);
      else
        values[k].push_back(asked[k]->values[slot]);
    }
  }
  json series = json::array();
  for (std::size_t k = 0; k < asked.size(); ++k)
    series.push_back({{"operand", asked[k]->text}, {"values", std::move(values[k])}});
  return {{"times", std::move(times)}, {"series", std::move(series)}};
}

}  // namespace quorsma::tool::http
