// Sparkplug B payloads as plain C++ values, and their encoding and decoding
// with the vendored schema (third_party/sparkplug) through protobuf-c.  Only
// what an edge node of devices needs: metrics with a name and/or an alias, a
// data type, a timestamp, a value of an integer, boolean or string type, and
// string properties.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorsma::tool::mqtt::sparkplug {

// Data type numbers of the schema.
enum DataType : uint32_t {
  kInt32 = 3,
  kInt64 = 4,
  kUInt32 = 7,
  kUInt64 = 8,
  kBoolean = 11,
  kString = 12,
};

struct Metric {
  std::string name;  // empty: not sent (data messages go by alias)
  std::optional<uint64_t> alias;
  std::optional<uint64_t> timestamp;  // milliseconds since 1970 (UTC)
  uint32_t datatype = 0;              // 0: not sent
  bool is_null = false;               // no value (sent only when true)
  // The value: `number` for integer and boolean types (an Int32 as its
  // 32-bit pattern), `text` for strings.
  enum class Value { kNone, kInt, kLong, kBool, kString } value = Value::kNone;
  uint64_t number = 0;
  std::string text;
  std::vector<std::pair<std::string, std::string>> properties;  // string properties
};

struct Payload {
  std::optional<uint64_t> timestamp;
  std::optional<uint64_t> seq;
  std::vector<Metric> metrics;
};

std::string Encode(const Payload& payload);

// Decodes a received payload; false with a reason when it is not one, or has
// more than `max_metrics` metrics.  Values of other types than those above
// keep Value::kNone.
bool Decode(const std::string& bytes, std::size_t max_metrics, Payload* out, std::string* error);

}  // namespace quorsma::tool::mqtt::sparkplug
