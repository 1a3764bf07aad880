#include "sparkplug_metrics.h"

#include <algorithm>

namespace quorsma::tool::mqtt::sparkplug {

bool MetricTable::Parse(const std::string& text, std::string* error) {
  DeviceList list;
  if (!DeviceList::Parse(text, RangeOptions{}, &list, error)) return false;
  for (const std::string& operand : list.Operands()) {
    MetricEntry e;
    std::string reason;
    if (!CheckOperand(operand, Role::kMonitor, &e.operand, &reason)) {
      *error = "'" + operand + "': " + reason;
      return false;
    }
    e.name = OperandText(e.operand);
    if (std::any_of(entries_.begin(), entries_.end(), [&](const MetricEntry& o) { return o.name == e.name; }))
      continue;  // one metric per name
    if (entries_.size() >= kMaxMetrics) {
      *error = "more than " + std::to_string(kMaxMetrics) + " devices: a Sparkplug node carries at most that many";
      return false;
    }
    e.device_id = e.operand.device;
    e.alias = entries_.size() + 1;
    if (e.operand.IsPlainDevice()) by_device_[e.name] = entries_.size();
    if (std::find(device_ids_.begin(), device_ids_.end(), e.device_id) == device_ids_.end())
      device_ids_.push_back(e.device_id);
    entries_.push_back(std::move(e));
  }
  return true;
}

std::vector<std::size_t> MetricTable::Sample(const MH_SHARED_STRUCTURE* image, bool all) {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    MetricEntry& e = entries_[i];
    const DeviceValue v = ReadDeviceValue(image, e.operand, ReadPath::kImage);
    if (all) {
      e.boolean = v.width == 1;
      e.comment = Cp949ToUtf8(v.comment);
    }
    if (!all && v.ok == e.readable && (!v.ok || v.value == e.value)) continue;
    e.readable = v.ok;
    e.value = v.ok ? v.value : 0;
    changed.push_back(i);
  }
  return changed;
}

std::optional<std::size_t> MetricTable::FromLine(char kind, int32_t index, int32_t value) {
  const auto it = by_device_.find(DeviceText(std::string_view(&kind, 1), index));
  if (it == by_device_.end()) return std::nullopt;
  MetricEntry& e = entries_[it->second];
  if (e.readable && e.value == value) return std::nullopt;
  e.readable = true;
  e.value = value;
  return it->second;
}

const MetricEntry* MetricTable::Find(const std::string& device_id, const Metric& metric) const {
  for (const MetricEntry& e : entries_) {
    if (e.device_id != device_id) continue;
    if (metric.alias ? e.alias == *metric.alias : e.name == metric.name) return &e;
  }
  return nullptr;
}

Metric MetricTable::Data(const MetricEntry& e, uint64_t now_ms) {
  Metric m;
  m.alias = e.alias;
  m.timestamp = now_ms;
  if (!e.readable) {
    m.is_null = true;
    return m;
  }
  m.value = e.boolean ? Metric::Value::kBool : Metric::Value::kInt;
  m.number = e.boolean ? (e.value != 0) : static_cast<uint32_t>(e.value);
  return m;
}

Metric MetricTable::Birth(const MetricEntry& e, uint64_t now_ms) {
  Metric m = Data(e, now_ms);
  m.name = e.name;
  m.datatype = e.boolean ? kBoolean : kInt32;
  if (!e.comment.empty()) m.properties.emplace_back("comment", e.comment);
  return m;
}

}  // namespace quorsma::tool::mqtt::sparkplug
