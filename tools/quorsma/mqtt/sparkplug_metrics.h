// The metrics of a Sparkplug edge node: one per device of --watch, grouped
// into one Sparkplug device per device kind ("D", "M", "X", ...), named by
// their operand ("D100", "K4M0", "D7.3").  A value of one bit (a bit device,
// a bit of a word) is a Boolean metric, any other an Int32.  Aliases are 1, 2,
// ... in the order of --watch (0 is the node's Rebirth control).  The last
// value sent of each is kept, so that only changes go out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "quorsma/client.h"
#include "quorsma/quorsma.h"
#include "sparkplug_payload.h"

namespace quorsma::tool::mqtt::sparkplug {

using namespace quorsma::client;

struct MetricEntry {
  std::string name;       // the operand's canonical text
  std::string device_id;  // the device kind
  Operand operand;
  uint64_t alias = 0;
  bool boolean = false;
  std::string comment;  // UTF-8; empty when none
  int32_t value = 0;    // last read or taken from a line
  bool readable = true;  // false: an index register pointed outside the area
};

class MetricTable {
 public:
  // At most this many metrics in one node (each birth carries all of them).
  static constexpr std::size_t kMaxMetrics = 10000;

  // Parses a list of operands and ranges (range_grammar.h); false with a reason.
  bool Parse(const std::string& text, std::string* error);
  bool empty() const { return entries_.empty(); }
  const std::vector<MetricEntry>& entries() const { return entries_; }
  // The device ids, in the order of their first metric.
  const std::vector<std::string>& device_ids() const { return device_ids_; }

  // Reads every metric from the image; the indices of those whose value
  // changed since the last read (all of them when `all`).  Comments are
  // read again when `all`.
  std::vector<std::size_t> Sample(const MH_SHARED_STRUCTURE* image, bool all);
  // A value-change line of plain device `kind` `index` with value `value`:
  // the index of its metric when the value differs from the last one.
  std::optional<std::size_t> FromLine(char kind, int32_t index, int32_t value);
  // The metric of a command to `device_id`: by alias when given, else by name.
  const MetricEntry* Find(const std::string& device_id, const Metric& metric) const;

  // The metric as a birth (name, alias, type, value, comment) or as data
  // (alias, value) carries it.
  static Metric Birth(const MetricEntry& e, uint64_t now_ms);
  static Metric Data(const MetricEntry& e, uint64_t now_ms);

 private:
  std::vector<MetricEntry> entries_;
  std::vector<std::string> device_ids_;
  std::unordered_map<std::string, std::size_t> by_device_;  // plain devices by their text
};

}  // namespace quorsma::tool::mqtt::sparkplug
